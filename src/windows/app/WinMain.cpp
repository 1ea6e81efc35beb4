// Quillmere: entry point of quillmere.exe.

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "core/launch/ExitCode.h"
#include "core/launch/Launch.h"
#include "windows/app/HeadlessWindow.h"
#include "windows/app/MainWindow.h"
#include "windows/app/WindowsPlatform.h"
#include "windows/system/DllSearch.h"
#include "windows/system/WindowsLaunchSystem.h"
#include "windows/system/WindowsProgramHome.h"

namespace {

// The arguments after the program's name, as the runtime split the command line (the system's
// rule: quotes around blanks, backslashes before a quote), in the ANSI code page.
std::vector<std::string> ProgramArguments() {
    std::vector<std::string> arguments;
    for (int index = 1; index < __argc; ++index) {
        arguments.emplace_back(__argv[index]);
    }
    return arguments;
}

// /check and /silent: no window, no box; the exit code says how it went.
int RunUnattended(Launch& launch) {
    if (const std::optional<int> exit = launch.Prepare()) {
        return *exit;
    }
    // No progress bar: the download shows nothing while it still processes the thread's events.
    WindowsPlatform platform(launch.Window(), nullptr);
    return launch.RunUnattended(platform.Roles());
}

// A person's start: the main window and its message loop, then 0. A start refused before the
// window (a faulty command line, another Quillmere on the folder) has its box and its code.
int RunWithWindow(HINSTANCE instance, Launch& launch, fMainWindow& window) {
    // The launch's boxes come before the window exists, and so are shown without an owner.
    if (const std::optional<int> exit = launch.Prepare()) {
        return *exit;
    }
    if (!window.Create(instance, launch)) {
        return 1;
    }
    window.RunMessageLoop();
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // First of all: no DLL may load from the program's folder or the current folder.
    RestrictDllSearchToSystem32();

    WindowsLaunchSystem system;  // holds the folder's guard until the program ends
    WindowsProgramHome home;
    ParsedCommandLine commandLine = ParseCommandLine(ProgramArguments());

    if (commandLine.options.Unattended()) {
        HeadlessWindow headless;
        Launch launch(std::move(commandLine), headless, system, home);
        // Nothing may end the run without its exit code: a failure that escaped is a failed run.
        try {
            return RunUnattended(launch);
        } catch (const std::exception& failure) {
            launch.Window().AppendLog(failure.what());
        } catch (...) {
        }
        return ExitCode::Failed;
    }

    INITCOMMONCONTROLSEX controls = {sizeof controls,
                                     ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    fMainWindow window;
    Launch launch(std::move(commandLine), window, system, home);
    return RunWithWindow(instance, launch, window);
}
