#include "core/transaction/TransactionFiles.h"

#include <exception>
#include <stdexcept>

#include "core/text/AsciiCase.h"

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// Far more names than a folder holds of ours: a folder that has them all is refused.
constexpr unsigned kMaxNamesTried = 65536;

std::string NumberedName(unsigned number, std::string_view suffix) {
    std::string name = "~qm";
    for (int shift = 28; shift >= 0; shift -= 4) {
        name += kHexDigits[(number >> shift) & 0xf];
    }
    return name + std::string(suffix);
}

}  // namespace

std::string WithoutTrailingBackslash(std::string_view path) {
    if (!path.empty() && path.back() == '\\') {
        path.remove_suffix(1);
    }
    return std::string(path);
}

std::size_t EntryNameStart(std::string_view path) {
    const std::string entry = WithoutTrailingBackslash(path);
    const std::size_t separator = entry.find_last_of("\\/");
    if (separator != std::string::npos) {
        return separator + 1;
    }
    // Only a drive's colon ends a folder ("C:app.exe"); any other belongs to the name.
    return entry.size() >= 2 && entry[1] == ':' ? 2 : 0;
}

std::string HoldingFolder(std::string_view path) {
    const std::string entry = WithoutTrailingBackslash(path);
    const std::size_t start = EntryNameStart(entry);
    if (start < 2 || entry[start - 1] == ':') {
        return {};
    }
    const std::string folder = entry.substr(0, start - 1);
    return IsDriveRoot(folder) ? std::string() : folder;
}

bool IsDriveRoot(std::string_view folder) {
    const std::string bare = WithoutTrailingBackslash(folder);
    return bare.size() == 2 && bare[1] == ':';
}

std::string FreeNameBeside(FileSystem& files, std::string_view path, std::string_view suffix,
                           unsigned& counter) {
    const std::string entry = WithoutTrailingBackslash(path);
    const std::string folder = entry.substr(0, EntryNameStart(entry));
    for (unsigned tried = 0; tried < kMaxNamesTried; ++tried) {
        const std::string candidate = folder + NumberedName(counter++, suffix);
        if (!files.EntryExists(candidate)) {
            return candidate;
        }
    }
    throw std::runtime_error("No free name is left for an update's own files in the folder of " +
                             entry + ".");
}

bool IsTemporaryName(std::string_view name) {
    const std::string lower = LowerAscii(name);
    return lower.starts_with("~qm") && (lower.ends_with(".tmp") || lower.ends_with(kStagedSuffix));
}

void RemoveTemporaryFiles(FileSystem& files, const std::string& folder) {
    for (const std::string& name : files.EntryNames(folder)) {
        if (!IsTemporaryName(name)) {
            continue;
        }
        try {
            files.ResetAttributesAndDelete(folder + '\\' + name);
        } catch (const std::exception&) {
            // Still open (a download under way in another Quillmere) or not ours: it stays.
        }
    }
}
