#include "e2e/FolderSnapshot.h"

#include <algorithm>
#include <sstream>

namespace e2e {

namespace {

void AddEntries(const std::string& folder, const std::string& prefix, Snapshot& snapshot) {
    WIN32_FIND_DATAA found;
    const FindHandle listing(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!listing) {
        return;
    }
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") {
            continue;
        }
        EntryState& entry = snapshot[prefix + name];
        entry.attributes = found.dwFileAttributes;
        entry.written = (std::uint64_t{found.ftLastWriteTime.dwHighDateTime} << 32) |
                        found.ftLastWriteTime.dwLowDateTime;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            AddEntries(folder + "\\" + name, prefix + name + "\\", snapshot);
        } else {
            entry.bytes = ReadFileText(folder + "\\" + name);
        }
    } while (FindNextFileA(listing.Get(), &found));
}

std::string Hex(DWORD value) {
    std::ostringstream text;
    text << "0x" << std::hex << value;
    return text.str();
}

}  // namespace

Snapshot TakeSnapshot(const ProgramFolder& folder) {
    Snapshot snapshot;
    AddEntries(folder.Path(), "", snapshot);
    return snapshot;
}

std::vector<std::string> Changes(const Snapshot& before, const Snapshot& after) {
    std::vector<std::string> changes = {};
    for (const auto& [path, old] : before) {
        const auto now = after.find(path);
        if (now == after.end()) {
            changes.push_back(path + ": removed");
            continue;
        }
        std::vector<std::string> what;
        if (now->second.bytes != old.bytes) {
            what.push_back("bytes");
        }
        if (now->second.attributes != old.attributes) {
            what.push_back("attributes " + Hex(old.attributes) + " -> " +
                           Hex(now->second.attributes));
        }
        if (now->second.written != old.written) {
            what.push_back("written");
        }
        if (!what.empty()) {
            std::string line = path + ": " + what[0];
            for (std::size_t at = 1; at < what.size(); ++at) {
                line += ", " + what[at];
            }
            changes.push_back(line);
        }
    }
    for (const auto& [path, entry] : after) {
        if (!before.contains(path)) {
            changes.push_back(path + ": added " + Hex(entry.attributes));
        }
    }
    std::sort(changes.begin(), changes.end());
    return changes;
}

}  // namespace e2e
