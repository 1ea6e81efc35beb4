// Quillmere: entry point of quillmere.exe.

#include <windows.h>
#include <commctrl.h>

#include "windows/app/MainWindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls = {sizeof controls,
                                     ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    fMainWindow window;
    if (!window.Create(instance)) {
        return 1;
    }
    return window.RunMessageLoop();
}
