#pragma once
// The names an update's transaction gives its own files. All begin with "~qm", like the
// download's temporary files, and end in names no publisher gives a file: the journal and
// the leftovers list in the program's folder, the aside copies and staged downloads beside
// what they keep, on the same volume.

#include <string>
#include <string_view>

#include "core/seam/FileSystem.h"

// The transaction under way, or one whose undo did not complete (hidden).
inline constexpr std::string_view kJournalName = "~qm.journal";
// Aside copies a committed update could not remove yet (hidden).
inline constexpr std::string_view kLeftoversName = "~qm.leftovers";
// An entry renamed aside: "~qm" and eight hex digits, then this.
inline constexpr std::string_view kAsideSuffix = ".old";
// A download staged beside its target until it takes the target's place.
inline constexpr std::string_view kStagedSuffix = ".new";

// Where the name of the entry `path` starts: what comes before is its folder as a prefix for
// other names in it ("C:\App\" for "C:\App\app.exe", "C:" for "C:app.exe", "" for "app.exe").
// A trailing backslash is not part of the name: "C:\App\data\" names "data".
std::size_t EntryNameStart(std::string_view path);

// `path` without one trailing backslash.
std::string WithoutTrailingBackslash(std::string_view path);

// The folder that holds the entry `path`, without a trailing backslash; empty when the path
// names no folder of its own that may be stamped (a bare name, "C:name", an entry of a root).
std::string HoldingFolder(std::string_view path);

// True for "X:\" and "X:": a drive's root, which cannot be renamed.
bool IsDriveRoot(std::string_view folder);

// True for the name of a file that a download or a transaction keeps only while it runs: the
// download's temporary files ("~qm*.tmp") and staged downloads ("~qm*.new").
bool IsTemporaryName(std::string_view name);

// Removes the temporary files of ours (IsTemporaryName) from `folder`, quietly.
void RemoveTemporaryFiles(FileSystem& files, const std::string& folder);

// A name of the "~qm" family beside `path` that nothing uses yet, ending in `suffix`.
// `counter` is where the search for a free number starts; it is moved past the name taken.
std::string FreeNameBeside(FileSystem& files, std::string_view path, std::string_view suffix,
                           unsigned& counter);
