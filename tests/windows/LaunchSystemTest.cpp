// WindowsLaunchSystem on the real system: the program folder's guard within a process and
// across processes, the wait for a process to end, the probe of a folder's writability, the
// stamped log file, the elevated restart.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <regex>
#include <string>

#include "windows/TempFolder.h"
#include "windows/UnwritableFolder.h"
#include "windows/system/WindowsLaunchSystem.h"
#include "windows/win32/ScopedHandles.h"
#include "windows/win32/Win32Error.h"

namespace {

// The folder whose guard the child process of the guard tests tries to take.
constexpr const char* kGuardFolderVariable = "QUILLMERE_GUARD_FOLDER";

std::string OwnPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// Starts `commandLine`; the process, invalid when it could not be started.
KernelHandle StartProcess(std::string commandLine, DWORD* processId = nullptr) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        return KernelHandle();
    }
    const KernelHandle thread(started.hThread);
    if (processId != nullptr) {
        *processId = started.dwProcessId;
    }
    return KernelHandle(started.hProcess);
}

// Runs `commandLine` and waits for it; its exit code, or -1 when it could not be started.
int RunProcess(const std::string& commandLine) {
    const KernelHandle process = StartProcess(commandLine);
    DWORD code = static_cast<DWORD>(-1);
    if (process) {
        WaitForSingleObject(process.Get(), 60000);
        GetExitCodeProcess(process.Get(), &code);
    }
    return static_cast<int>(code);
}

// What the child case below ends with.
constexpr int kChildFoundItHeld = 20;
constexpr int kChildTookIt = 21;

// This test program again, running only the child case below for `folder`; its exit code.
int ChildTakesGuard(const std::string& folder) {
    SetEnvironmentVariableA(kGuardFolderVariable, folder.c_str());
    return RunProcess("\"" + OwnPath() +
                      "\" --gtest_filter=FolderGuardChild.DISABLED_FindsTheGuardHeld"
                      " --gtest_also_run_disabled_tests");
}

// Started by ChildTakesGuard only: ends the process with what it found.
TEST(FolderGuardChild, DISABLED_FindsTheGuardHeld) {
    const char* folder = std::getenv(kGuardFolderVariable);
    ASSERT_NE(folder, nullptr);
    WindowsLaunchSystem system;
    std::exit(system.TakeFolderGuard(folder) ? kChildTookIt : kChildFoundItHeld);
}

std::string ShortPath(const std::string& path) {
    char shortPath[MAX_PATH] = {};
    const DWORD length = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    return length > 0 && length < MAX_PATH ? shortPath : path;
}

// Waits up to 20 s for the file to hold `text`. True when it did.
bool HoldsSoon(const std::string& path, const std::string& text) {
    for (int round = 0; round < 400; ++round) {
        if (ReadWholeFile(path).find(text) != std::string::npos) {
            return true;
        }
        Sleep(50);
    }
    return false;
}

// --- The folder's guard -----------------------------------------------------------------------

TEST(FolderGuardTest, AFolderHeldIsRefusedToEveryOtherTakeOfItByAnyOfItsNames) {
    TempFolder root;
    const std::string held = root / "Program Folder";
    const std::string other = root / "Other Folder";
    ASSERT_TRUE(CreateDirectoryA(held.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(other.c_str(), nullptr));
    WindowsLaunchSystem holder;
    ASSERT_TRUE(holder.TakeFolderGuard(held));

    struct Row {
        std::string folder;
        bool taken;
    };
    const Row rows[] = {
        {held, false},        {root.Path() + "\\PROGRAM folder", false},
        {held + "\\", false}, {ShortPath(held), false},
        {other, true},
    };
    for (const Row& row : rows) {
        WindowsLaunchSystem second;
        EXPECT_EQ(second.TakeFolderGuard(row.folder), row.taken) << row.folder;
    }
    // The same object, a second time.
    EXPECT_FALSE(holder.TakeFolderGuard(held));
}

TEST(FolderGuardTest, AnotherProcessFindsItHeldAndItGoesWithItsProcess) {
    TempFolder held;
    TempFolder free;
    WindowsLaunchSystem system;
    ASSERT_TRUE(system.TakeFolderGuard(held.Path()));

    EXPECT_EQ(ChildTakesGuard(held.Path()), kChildFoundItHeld);
    // The child took the free folder's guard; once it has ended, the guard is there to take.
    EXPECT_EQ(ChildTakesGuard(free.Path()), kChildTookIt);
    EXPECT_TRUE(system.TakeFolderGuard(free.Path()));
}

// --- The wait for a process -------------------------------------------------------------------

TEST(ProcessWaitTest, FalseWhileItRunsTrueOnceItEndedOrIsNotThere) {
    TempFolder folder;
    DWORD processId = 0;
    KernelHandle process = StartProcess(
        "\"" QUILLMERE_BINARY_DIR "\\sleeper.exe\" 1500 \"" + folder / "marker" + "\"", &processId);
    ASSERT_TRUE(process);
    WindowsLaunchSystem system;

    EXPECT_FALSE(system.WaitForProcessEnd(processId, 200));
    EXPECT_TRUE(system.WaitForProcessEnd(processId, 30000));
    EXPECT_TRUE(PathExists(folder / "marker"));  // it ended on its own, after its work
    // Ended, with nobody holding it any longer: its id names no process.
    process.Reset();
    EXPECT_TRUE(system.WaitForProcessEnd(processId, 0));
    EXPECT_TRUE(system.WaitForProcessEnd(0xFFFFFFF0u, 0));
}

// --- Whether a folder can be written ----------------------------------------------------------

TEST(FolderProbeTest, AWritableFolderIsWritableAndKeepsNothingOfTheProbe) {
    TempFolder folder;
    WindowsLaunchSystem system;
    EXPECT_TRUE(system.CanWriteFolder(folder.Path()));
    EXPECT_TRUE(system.CanWriteFolder(folder.Path() + "\\"));
    EXPECT_TRUE(FolderEntries(folder.Path()).empty());
    EXPECT_FALSE(system.CanWriteFolder(folder / "not there"));
}

TEST(FolderProbeTest, AReadOnlyFolderIsNotWritable) {
    TempFolder folder;
    const UnwritableFolder unwritable(folder.Path());
    if (!unwritable.Holds()) {
        GTEST_SKIP() << "nothing on this system refuses the test's own writes in a folder";
    }
    WindowsLaunchSystem system;
    EXPECT_FALSE(system.CanWriteFolder(folder.Path()));
}

// --- The log file -----------------------------------------------------------------------------

TEST(LogFileTest, LinesAreAppendedStampedWhileOthersReadAndWriteTheFile) {
    TempFolder folder;
    const std::string path = folder / "update log.txt";
    WriteFileBytes(path, "earlier\r\n");
    WindowsLaunchSystem system;
    const std::unique_ptr<LogFile> log = system.OpenLogFile(path);
    // A person watching the file, and the elevated instance that Update starts.
    const FileHandle reader(CreateFileA(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(reader);
    const std::unique_ptr<LogFile> second = system.OpenLogFile(path);

    log->WriteLine("first line");
    second->WriteLine("from the second");
    log->WriteLine("");

    const std::string stamp = R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d  )";
    const std::regex expected("earlier\r\n" + stamp + "first line\r\n" + stamp +
                              "from the second\r\n" + stamp + "\r\n");
    EXPECT_TRUE(std::regex_match(ReadWholeFile(path), expected)) << ReadWholeFile(path);
}

TEST(LogFileTest, AFileThatCannotBeOpenedThrowsTheSystemsText) {
    TempFolder folder;
    WindowsLaunchSystem system;
    try {
        system.OpenLogFile(folder / "no folder\\log.txt");
        FAIL() << "opened";
    } catch (const Win32Error& failure) {
        EXPECT_EQ(failure.what(), Win32Error::SystemMessage(ERROR_PATH_NOT_FOUND));
    }
}

// --- The elevated restart -------------------------------------------------------------------

// The program started again is this test program, which writes its report where an argument
// with blanks says, once its arguments came through whole.
TEST(LaunchSystemTest, TheElevatedRestartStartsTheProgramWithItsArguments) {
    TempFolder folder;
    const std::string report = folder / "report with blanks.xml";
    WindowsLaunchSystem system;
    EXPECT_EQ(
        system.RelaunchElevated({"--gtest_filter=NoSuchCase", "--gtest_output=xml:" + report}),
        LaunchSystem::Relaunch::Started);
    EXPECT_TRUE(HoldsSoon(report, "</testsuites>"));
}

}  // namespace
