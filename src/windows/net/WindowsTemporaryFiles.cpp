// Temporary download files beside the target: their names and the replacement of the target.

#include "windows/net/WindowsTemporaryFiles.h"

#include <windows.h>

#include "windows/win32/ScopedHandles.h"

namespace {

// Names tried for the temporary file before giving up: "<target>.download", then
// "<target>.1.download" ... when a file of that name already stands there.
constexpr int kTemporaryNameAttempts = 100;

class WindowsTemporaryFile final : public TemporaryFile {
public:
    WindowsTemporaryFile(std::string path, std::string target, FileHandle file)
        : path_(std::move(path)), target_(std::move(target)), file_(std::move(file)) {}

    bool Write(std::span<const char> bytes) override {
        DWORD written = 0;
        const auto count = static_cast<DWORD>(bytes.size());
        return WriteFile(file_.Get(), bytes.data(), count, &written, nullptr) && written == count;
    }

    // A read-only target is refused, as Windows refuses it (Wine would replace it).
    bool ReplaceTarget() override {
        file_.Reset();
        const DWORD attributes = GetFileAttributesA(target_.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
            return false;
        }
        return MoveFileExA(path_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
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
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        const std::string path =
            target + (attempt == 0 ? "" : "." + std::to_string(attempt)) + ".download";
        const HANDLE created =
            CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        const DWORD error = GetLastError();
        FileHandle file(created);
        if (file) {
            return std::make_unique<WindowsTemporaryFile>(path, target, std::move(file));
        }
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return nullptr;  // refused for a reason another name will not cure
        }
    }
    return nullptr;
}
