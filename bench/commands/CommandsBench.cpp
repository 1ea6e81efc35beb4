// Script-command benchmarks, each measured against a baseline taken in the same run:
//
//   commands_bench erase
//       EraseDirectory on one folder of 1,000 and of 10,000 files. Prints the time per entry of
//       each and their ratio: an eraser that is linear in the number of entries gives about 1.
//   commands_bench wait SLEEPER_EXE SECONDS
//       The processor time the waiting process uses while LaunchExecutable waits for a program
//       that runs SECONDS, with a visible window whose events it processes; beside it, the same
//       wait done by polling (1 ms waits, each followed by a pass over the window's events).
//
// Output: "key=value" lines, read by scripts/bench.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/WallClock.h"
#include "windows/app/EventPump.h"
#include "windows/system/Directories.h"
#include "windows/system/LaunchExecutables.h"
#include "windows/win32/ScopedHandles.h"

namespace {

std::string TemporaryFolder(const std::string& name) {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    return std::string(base) + name + "-" + std::to_string(GetCurrentProcessId());
}

// --- erase -------------------------------------------------------------------------------------

bool FillFolder(const std::string& folder, int files) {
    if (!CreateDirectoryA(folder.c_str(), nullptr)) {
        return false;
    }
    for (int index = 0; index < files; ++index) {
        const std::string path = folder + "\\file-" + std::to_string(index) + ".dat";
        FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return false;
        }
    }
    return true;
}

// The best of `rounds` erases of a folder of `files` files, in seconds per entry.
double ErasePerEntry(int files, int rounds) {
    double best = 1e9;
    for (int round = 0; round < rounds; ++round) {
        const std::string folder = TemporaryFolder("quillmere-erase-bench");
        if (!FillFolder(folder, files)) {
            std::fprintf(stderr, "cannot fill %s\n", folder.c_str());
            std::exit(1);
        }
        const double start = Seconds();
        const bool erased = EraseDirectory(folder + "\\");
        const double elapsed = Seconds() - start;
        if (!erased) {
            std::fprintf(stderr, "EraseDirectory failed on %s\n", folder.c_str());
            std::exit(1);
        }
        best = std::min(best, elapsed / files);
    }
    return best;
}

int Erase() {
    const double small = ErasePerEntry(1000, 5);
    const double large = ErasePerEntry(10000, 2);
    std::printf("erase_1000_us_per_entry=%.2f\n", small * 1e6);
    std::printf("erase_10000_us_per_entry=%.2f\n", large * 1e6);
    std::printf("erase_ratio=%.2f\n", large / small);
    return 0;
}

// --- wait --------------------------------------------------------------------------------------

double ProcessorSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto seconds = [](const FILETIME& time) {
        return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime) /
               1e7;
    };
    return seconds(kernel) + seconds(user);
}

// A visible window like the updater's, whose events the waits process.
HWND CreateBenchWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "QuillmereCommandsBench";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "Quillmere benchmark",
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 480, 360, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
    UpdateWindow(window);
    return window;
}

// The reference: a wait that polls, 1 ms at a time, with a pass over the events after each.
bool PollingWait(const std::string& commandLine, HWND window) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        return false;
    }
    KernelHandle process(started.hProcess);
    KernelHandle thread(started.hThread);
    while (WaitForSingleObject(process.Get(), 1) == WAIT_TIMEOUT) {
        ProcessPendingEvents(window);
    }
    return true;
}

struct WaitCost {
    double wall;
    double processor;
};

template <typename Wait>
WaitCost Measure(Wait wait) {
    const double wallStart = Seconds();
    const double processorStart = ProcessorSeconds();
    if (!wait()) {
        std::fprintf(stderr, "the program did not start\n");
        std::exit(1);
    }
    return {Seconds() - wallStart, ProcessorSeconds() - processorStart};
}

int Wait(const std::string& sleeper, const std::string& seconds) {
    HWND window = CreateBenchWindow();
    ProcessPendingEvents(window);
    const std::string marker = TemporaryFolder("quillmere-wait-bench") + ".marker";
    const std::string commandLine =
        sleeper + " " + std::to_string(std::atoi(seconds.c_str()) * 1000) + " " + marker;

    const WaitCost ours = Measure([&] {
        return LaunchExecutable(commandLine, true, SW_SHOWNORMAL,
                                [window] { ProcessPendingEvents(window); });
    });
    const WaitCost polling = Measure([&] { return PollingWait(commandLine, window); });
    DeleteFileA(marker.c_str());
    DestroyWindow(window);

    std::printf("wait_wall_s=%.3f\n", ours.wall);
    std::printf("wait_cpu_s=%.4f\n", ours.processor);
    std::printf("wait_cpu_percent=%.3f\n", 100.0 * ours.processor / ours.wall);
    std::printf("polling_wall_s=%.3f\n", polling.wall);
    std::printf("polling_cpu_s=%.4f\n", polling.processor);
    std::printf("polling_cpu_percent=%.3f\n", 100.0 * polling.processor / polling.wall);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "erase" && argc == 2) {
        return Erase();
    }
    if (mode == "wait" && argc == 4) {
        return Wait(argv[2], argv[3]);
    }
    std::fprintf(stderr, "usage: commands_bench erase | wait SLEEPER_EXE SECONDS\n");
    return 2;
}
