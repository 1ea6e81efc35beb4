// Quillmere: entry point of quillmere.exe.

#include <windows.h>
#include <commctrl.h>

#include "windows/app/MainWindow.h"
#include "windows/system/DllSearch.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // First of all: no DLL may load from the program's folder or the current folder.
    RestrictDllSearchToSystem32();

    INITCOMMONCONTROLSEX controls = {sizeof controls,
                                     ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    fMainWindow window;
    if (!window.Create(instance)) {
        return 1;
    }
    return window.RunMessageLoop();
}
