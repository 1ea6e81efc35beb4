#pragma once
// Whether this process may write in a folder, found by trying: a new file of its own is made
// there and goes again at once. Reading the folder's access list would miss what the system
// decides besides it (integrity levels, virtualisation, read-only media and shares).

#include <string>

// True when a file could be created in `folder`. Leaves nothing behind; never throws.
bool CanCreateFileIn(const std::string& folder);
