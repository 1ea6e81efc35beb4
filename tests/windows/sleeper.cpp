// Helper program of the launch tests and benchmarks: sleeps, then writes a marker file that
// holds its own path, so a test can tell whether, when and which program ran.
//
// Usage: sleeper MILLISECONDS MARKER_FILE
//        sleeper            (writes the marker "<its own path>.ran" at once)
// Only the last two arguments are read: when the system splits a command line at a blank in
// the program's path, the pieces of the path come first and are skipped. With fewer than two,
// the program started without arguments, or a piece of a split path holds the only one.

#include <windows.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    char self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (argc >= 3) {
        Sleep(static_cast<DWORD>(std::strtoul(argv[argc - 2], nullptr, 10)));
    }
    // Written beside the marker, then renamed: a test never sees a half-written marker.
    const std::string marker = argc >= 3 ? argv[argc - 1] : std::string(self, length) + ".ran";
    const std::string partial = marker + ".partial";
    HANDLE file = CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    DWORD written = 0;
    const BOOL wrote = WriteFile(file, self, length, &written, nullptr);
    CloseHandle(file);
    if (!wrote || !MoveFileExA(partial.c_str(), marker.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return 1;
    }
    return 0;
}
