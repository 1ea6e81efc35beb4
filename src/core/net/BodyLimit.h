#pragma once
// How long a body a download accepts, by what it fetches.

#include <cstdint>

#include "core/seam/DownloadKind.h"

// The largest Content-Length a download of `kind` accepts: 16 MiB for the update information
// file and 4 KiB for its signature file, which are read whole into memory before their
// signature is checked; 2^31 - 1 for an update script or a file of a release.
std::int32_t MaximumBodyLength(DownloadKind kind);
