#include "windows/system/AppendOnlyWindowsFile.h"

#include <windows.h>

#include <algorithm>

#include "windows/win32/Win32Error.h"

std::unique_ptr<AppendOnlyFile> AppendOnlyWindowsFile::Open(const std::string& path) {
    // FILE_APPEND_DATA without FILE_WRITE_DATA: the system writes at the end whatever the file
    // pointer says, and it is access enough for FlushFileBuffers.
    FileHandle file(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (!file) {
        throw Win32Error();
    }
    return std::unique_ptr<AppendOnlyFile>(new AppendOnlyWindowsFile(std::move(file)));
}

void AppendOnlyWindowsFile::Append(std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file_.Get(), bytes.data(), size, &written, nullptr)) {
            throw Win32Error();
        }
        if (written == 0) {
            throw Win32Error(ERROR_WRITE_FAULT);
        }
        bytes.remove_prefix(written);
    }
}

void AppendOnlyWindowsFile::Flush() {
    if (!FlushFileBuffers(file_.Get())) {
        throw Win32Error();
    }
}
