#include "windows/system/WindowsLogFile.h"

#include <windows.h>

#include <cstdio>

#include "windows/win32/Win32Error.h"

namespace {

std::string LocalTimeStamp() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u  ", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond);
    return stamp;
}

}  // namespace

std::unique_ptr<LogFile> WindowsLogFile::Open(const std::string& path) {
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write lands at the end, wherever another
    // writer has put it meanwhile.
    FileHandle file(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        throw Win32Error();
    }
    return std::unique_ptr<LogFile>(new WindowsLogFile(std::move(file)));
}

void WindowsLogFile::WriteLine(std::string_view line) {
    try {
        std::string record = LocalTimeStamp();
        record.append(line).append("\r\n");
        DWORD written = 0;
        WriteFile(file_.Get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    } catch (const std::bad_alloc&) {
        // a line too long to be put together is left out
    }
}
