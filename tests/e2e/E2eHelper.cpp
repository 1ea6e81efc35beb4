// e2e_helper.exe: a small program for the EXE lines of update scripts in the end-to-end suites.
// Command line: MILLISECONDS FILE_NAME. Waits that long, then writes FILE_NAME in its own
// folder, so that a test can tell whether the updater waited for it. A GUI program with no
// window: started from the updater, it opens no console either.

#include <windows.h>

#include <cstdlib>
#include <string>

#include "windows/win32/ScopedHandles.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    char* rest = nullptr;
    const unsigned long milliseconds = std::strtoul(commandLine, &rest, 10);
    while (*rest == ' ') {
        ++rest;
    }
    const std::string fileName = rest;
    if (fileName.empty()) {
        return 2;
    }
    Sleep(milliseconds);

    char own[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, own, MAX_PATH);
    std::string path = own;
    path = path.substr(0, path.rfind('\\') + 1) + fileName;
    const std::string content = "written after " + std::to_string(milliseconds) + " ms\r\n";

    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()),
                            &written, nullptr)) {
        return 1;
    }
    return 0;
}
