// Temporary download files beside the target: their names, the removal of leftovers, and the
// replacement of the target by a rename through the file's own handle.

#include "windows/net/WindowsTemporaryFiles.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "core/text/AsciiCase.h"
#include "core/transaction/TransactionFiles.h"
#include "windows/win32/AnsiText.h"
#include "windows/win32/ScopedHandles.h"

namespace {

constexpr char kNamePrefix[] = "~qm";
constexpr char kNameSuffix[] = ".tmp";
constexpr int kNames = 256;  // ~qm00.tmp ... ~qmff.tmp

constexpr char kHexDigits[] = "0123456789abcdef";

std::string TemporaryName(int number) {
    return std::string(kNamePrefix) + kHexDigits[number / 16] + kHexDigits[number % 16] +
           kNameSuffix;
}

// Whether two file names are the same to Windows (which ignores the case of ASCII letters).
bool SameName(const std::string& left, const std::string& right) {
    if (left.size() != right.size()) {
        return false;
    }
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (LowerAscii(left[i]) != LowerAscii(right[i])) {
            return false;
        }
    }
    return true;
}

bool IsHexDigit(char character) {
    const char lower = LowerAscii(character);
    return (lower >= '0' && lower <= '9') || (lower >= 'a' && lower <= 'f');
}

bool IsTemporaryName(const std::string& name) {
    const std::size_t prefix = sizeof kNamePrefix - 1;
    return name.size() == TemporaryName(0).size() &&
           SameName(name.substr(0, prefix), kNamePrefix) && IsHexDigit(name[prefix]) &&
           IsHexDigit(name[prefix + 1]) && SameName(name.substr(prefix + 2), kNameSuffix);
}

// Deletes the temporary files that downloads left in `folder`, except one named `keep` (the
// target itself may carry such a name). A file still open for a download under way refuses to
// be deleted and stays.
void RemoveLeftovers(const std::string& folder, const std::string& keep) {
    std::vector<std::string> leftovers;
    WIN32_FIND_DATAA entry;
    // Only names of the temporary files' shape are listed: an update's aside copies ("~qm" and
    // eight digits) may stand in the same folder by the hundred.
    FindHandle listing(
        FindFirstFileA((folder + kNamePrefix + "??" + kNameSuffix).c_str(), &entry));
    if (!listing) {
        return;
    }
    do {
        // Patterns also match short 8.3 names: the long name decides.
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            IsTemporaryName(entry.cFileName) && !SameName(entry.cFileName, keep)) {
            leftovers.push_back(entry.cFileName);
        }
    } while (FindNextFileA(listing.Get(), &entry));
    listing.Reset();
    for (const std::string& name : leftovers) {
        DeleteFileA((folder + name).c_str());
    }
}

bool IsReadOnlyFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// Renames the open `file` (opened with DELETE access) to `target`, replacing what stands there.
// False with the system's error code from GetLastError.
bool RenameThroughHandle(const FileHandle& file, const std::string& target) {
    // Converted as the ANSI file functions convert it (the ANSI code page).
    const std::wstring name = WideFromAnsi(target);
    if (name.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    // The structure ends in the name, read up to FileNameLength; a NUL follows it all the same
    // (the buffer is zeroed), for a system that reads it as a string.
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    std::copy(name.begin(), name.end(), info->FileName);
    return SetFileInformationByHandle(file.Get(), FileRenameInfo, info,
                                      static_cast<DWORD>(buffer.size())) != FALSE;
}

// How a system or a file system says that it cannot rename a file through its handle (some
// network file systems, a system that has not implemented the call).
bool HandleRenameUnsupported(DWORD error) {
    return error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED ||
           error == ERROR_CALL_NOT_IMPLEMENTED;
}

class WindowsTemporaryFile final : public TemporaryFile {
public:
    WindowsTemporaryFile(std::string path, std::string target, FileHandle file)
        : path_(std::move(path)), target_(std::move(target)), file_(std::move(file)) {}

    bool Write(std::span<const char> bytes) override {
        DWORD written = 0;
        const auto count = static_cast<DWORD>(bytes.size());
        return WriteFile(file_.Get(), bytes.data(), count, &written, nullptr) && written == count;
    }

    bool Flush() override { return FlushFileBuffers(file_.Get()) != FALSE; }

    // A read-only target is refused, as Windows refuses it (Wine would replace it).
    // The file is renamed through the handle that wrote it (the caller has flushed its bytes),
    // so the file that lands is the one whose bytes were written and hashed: while the handle
    // is open, shared with nobody, no other process can delete the file or put another at its
    // name. The renamed file is flushed once more before it is closed: that asks the file
    // system to commit its metadata, the new name included (Windows has no call that flushes a
    // folder's entry alone). A failure of this last flush is not reported: the file already
    // stands at the target.
    bool ReplaceTarget() override {
        if (IsReadOnlyFile(target_)) {
            return false;
        }
        if (RenameThroughHandle(file_, target_)) {
            FlushFileBuffers(file_.Get());
            file_.Reset();
            return true;
        }
        if (!HandleRenameUnsupported(GetLastError())) {
            return false;
        }
        // Where the file system refuses a rename through the handle, the file is renamed by its
        // name once closed, as before. That leaves a local race: between the close and the
        // rename another process that may write in the folder could swap the file at the
        // temporary name for one whose bytes were never checked. MOVEFILE_WRITE_THROUGH: the
        // call returns only once the move is on the disk.
        file_.Reset();
        return MoveFileExA(path_.c_str(), target_.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }

    void Discard() noexcept override {
        file_.Reset();
        DeleteFileA(path_.c_str());
    }

private:
    std::string path_;
    std::string target_;
    FileHandle file_;
};

}  // namespace

std::unique_ptr<TemporaryFile> WindowsTemporaryFiles::CreateBeside(const std::string& target) {
    // The target's folder as a prefix for other names in it ("C:\App\" for
    // "C:\App\app.exe", "C:" for "C:app.exe", "" for "app.exe"), as a transaction names its own.
    const std::size_t nameStart = EntryNameStart(target);
    const std::string folder = target.substr(0, nameStart);
    const std::string targetName = target.substr(nameStart);
    RemoveLeftovers(folder, targetName);
    for (int number = 0; number < kNames; ++number) {
        const std::string name = TemporaryName(number);
        if (SameName(name, targetName)) {
            continue;
        }
        const std::string path = folder + name;
        const HANDLE created =
            CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        const DWORD error = GetLastError();
        FileHandle file(created);
        if (file) {
            return std::make_unique<WindowsTemporaryFile>(path, target, std::move(file));
        }
        // Taken: by a download under way, a file being deleted, a folder. Any other refusal
        // (a missing folder, a full disk) another name will not cure.
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS &&
            error != ERROR_ACCESS_DENIED) {
            return nullptr;
        }
    }
    return nullptr;
}
