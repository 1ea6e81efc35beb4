// A DLL planted beside quillmere.exe by the DLL search suite, under the name of a DLL the program
// uses. It only records that it was loaded: a marker file named after it ("WININET.dll.loaded"
// beside "WININET.dll"). Its exports (PlantedDll.def) let a program that imports WinINet by name
// start with it, as a real planted DLL would make sure of.

#include <windows.h>

#include <string>

extern "C" INT_PTR WINAPI PlantedFunction() {
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH];
        const DWORD length = GetModuleFileNameA(instance, path, MAX_PATH);
        const std::string marker = std::string(path, length) + ".loaded";
        HANDLE file = CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
        }
    }
    return TRUE;
}
