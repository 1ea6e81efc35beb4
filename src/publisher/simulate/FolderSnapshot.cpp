#include "publisher/simulate/FolderSnapshot.h"

#include <ostream>

#include "core/crypto/Sha256Hex.h"
#include "publisher/common/ToolFiles.h"

namespace {

// "notes/" for a folder, "notes/a.txt 12 bytes sha256 ..." for a file.
std::string Described(const std::string& name, const FolderEntry& entry) {
    if (entry.folder)
        return name + "/";
    return name + "  " + std::to_string(entry.size) + " bytes  sha256 " + entry.sha256;
}

}  // namespace

FolderSnapshot TakeFolderSnapshot(const std::filesystem::path& folder, Crypto& crypto) {
    FolderSnapshot snapshot;
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = item.path().lexically_relative(folder).generic_string();
        FolderEntry entry;
        if (item.is_directory()) {
            entry.folder = true;
        } else {
            entry.size = item.file_size();
            entry.sha256 = Sha256Hex(Sha256OfFile(crypto, item.path()));
        }
        snapshot.emplace(name, entry);
    }
    return snapshot;
}

std::size_t WriteFolderChanges(const FolderSnapshot& before, const FolderSnapshot& after,
                               std::ostream& out) {
    std::size_t lines = 0;
    auto old = before.begin();
    auto now = after.begin();
    while (old != before.end() || now != after.end()) {
        if (now == after.end() || (old != before.end() && old->first < now->first)) {
            out << "removed  " << Described(old->first, old->second) << "\n";
            ++old;
        } else if (old == before.end() || now->first < old->first) {
            out << "added    " << Described(now->first, now->second) << "\n";
            ++now;
        } else {
            const FolderEntry& was = old->second;
            const FolderEntry& is = now->second;
            if (was.folder != is.folder) {
                out << "removed  " << Described(old->first, was) << "\n";
                out << "added    " << Described(now->first, is) << "\n";
                ++lines;
            } else if (!is.folder && (was.size != is.size || was.sha256 != is.sha256)) {
                out << "changed  " << now->first << "  " << was.size << " -> " << is.size
                    << " bytes  sha256 " << was.sha256 << " -> " << is.sha256 << "\n";
            } else {
                --lines;
            }
            ++old;
            ++now;
        }
        ++lines;
    }
    return lines;
}
