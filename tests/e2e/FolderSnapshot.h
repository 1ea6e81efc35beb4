#pragma once
// A folder as the suites compare it before and after a run of the program: every entry below
// it, with its attributes, last-write time and a file's bytes.

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "e2e/UiDriver.h"

namespace e2e {

// What the comparison sees of one entry.
struct EntryState {
    DWORD attributes = 0;
    std::uint64_t written = 0;  // last-write time, in FILETIME units
    std::string bytes;          // a file's content
};
// Every entry below a folder, by its path relative to the folder. The folder's own times are
// left out: every update check changes them (its temporary file comes and goes).
using Snapshot = std::map<std::string, EntryState>;

Snapshot TakeSnapshot(const ProgramFolder& folder);

// What differs between two snapshots, one sorted line per entry: "PATH: removed",
// "PATH: added 0x20" (its attributes), "PATH: bytes, attributes 0x21 -> 0x20, written".
std::vector<std::string> Changes(const Snapshot& before, const Snapshot& after);

}  // namespace e2e
