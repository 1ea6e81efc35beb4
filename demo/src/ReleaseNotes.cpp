// release-notes.exe: the demo's stand-in for a program that an update starts and waits for.
// It "shows" the release notes of the version just installed by appending their first line to
// release-notes-shown.txt beside itself, then ends. It opens no window, so the demo runs the
// same with or without a display.
//
// Command line: release-notes.exe NOTES_FILE (relative to the program's folder)

#include <windows.h>

#include <string>

#include "windows/win32/ScopedHandles.h"

namespace {

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string program = path;
    return program.substr(0, program.rfind('\\') + 1);
}

// The first line of the file, or an empty text when it cannot be read.
std::string FirstLine(const std::string& path) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    char buffer[512] = {};
    DWORD read = 0;
    if (!file || !ReadFile(file.Get(), buffer, sizeof buffer - 1, &read, nullptr)) {
        return {};
    }
    const std::string text(buffer, read);
    return text.substr(0, text.find_first_of("\r\n"));
}

bool AppendLine(const std::string& path, const std::string& line) {
    FileHandle file(CreateFileA(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string bytes = line + "\r\n";
    DWORD written = 0;
    return file &&
           WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    const std::string folder = ProgramFolder();
    const std::string notes = FirstLine(folder + commandLine);
    if (notes.empty()) {
        return 1;
    }
    // Long enough for the updater's wait to be seen in its window.
    Sleep(1000);
    return AppendLine(folder + "release-notes-shown.txt", "Release notes shown: " + notes) ? 0 : 1;
}
