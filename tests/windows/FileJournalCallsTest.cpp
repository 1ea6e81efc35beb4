// The calls of WindowsFileSystem that an update's journal makes, on real files and folders:
// stamps read and put back, renames of read-only, held and running entries, listings,
// append-only files and the Restart Manager's answer.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "windows/TempFolder.h"
#include "windows/system/ProgramsUsingFile.h"
#include "windows/system/WindowsFileSystem.h"
#include "windows/win32/ScopedHandles.h"
#include "windows/win32/Win32Error.h"

namespace {

WindowsFileSystem files;

constexpr DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr std::uint64_t kDay = 864000000000;             // in FILETIME ticks (100 ns)
constexpr std::uint64_t kYear2020 = 132223104000000000;  // 2020-01-01 00:00 UTC

void MakeFolder(const std::string& path) {
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
}

void SetAttributes(const std::string& path, DWORD attributes) {
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes)) << path;
}

// Opened for reading without FILE_SHARE_DELETE: it can be neither renamed nor deleted.
FileHandle HoldOpen(const std::string& path) {
    return FileHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The sleeper program copied to `path` and started; ended when the object goes.
struct RunningProgram {
    explicit RunningProgram(const std::string& path) {
        std::string line = "\"" + path + "\" 600000 \"" + path + ".marker\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        if (CopyFileA(QUILLMERE_BINARY_DIR "\\sleeper.exe", path.c_str(), FALSE) &&
            CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &started)) {
            process.Reset(started.hProcess);
            KernelHandle thread(started.hThread);
        }
    }
    ~RunningProgram() {
        TerminateProcess(process.Get(), 1);
        WaitForSingleObject(process.Get(), INFINITE);
    }
    bool IsRunning() const { return WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT; }

    KernelHandle process;
};

TEST(EntryStampTest, WriteStampPutsBackWhatReadStampRead) {
    TempFolder folder;
    WriteFileBytes(folder / "file.dat", "bytes");
    MakeFolder(folder / "folder");
    for (const std::string name : {"file.dat", "folder"}) {
        SCOPED_TRACE(name);
        const std::string path = folder / name;
        const DWORD kind = name == "folder" ? FILE_ATTRIBUTE_DIRECTORY : 0;
        const DWORD set = kind | FILE_ATTRIBUTE_READONLY | kHiddenSystem;
        files.WriteStamp(path, {set, kYear2020, kYear2020 + kDay});
        const EntryStamp first = files.ReadStamp(path);
        // Wine keeps no read-only bit on folders, nor a creation time of its own.
        EXPECT_EQ(first.attributes & (kind | kHiddenSystem), kind | kHiddenSystem);
        EXPECT_TRUE(kind != 0 || (first.attributes & FILE_ATTRIBUTE_READONLY));
        EXPECT_EQ(first.written, kYear2020 + kDay);

        files.WriteStamp(path, {kind, kYear2020 + 2 * kDay, kYear2020 + 3 * kDay});
        const EntryStamp changed = files.ReadStamp(path);
        EXPECT_EQ(changed.attributes & set, kind);
        EXPECT_EQ(changed.written, kYear2020 + 3 * kDay);

        files.WriteStamp(path, first);
        EXPECT_EQ(files.ReadStamp(path), first);
    }
    EXPECT_THROW(files.ReadStamp(folder / "missing"), Win32Error);
    EXPECT_THROW(files.WriteStamp(folder / "missing", {}), Win32Error);
}

TEST(MoveEntryTest, RenamesKeepingBytesAndStampsAndReplacesOnlyWhenAsked) {
    TempFolder folder;
    WriteFileBytes(folder / "file.dat", "file bytes");
    SetAttributes(folder / "file.dat", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    MakeFolder(folder / "folder");
    WriteFileBytes(folder / "folder\\inner.txt", "inner bytes");
    for (const std::string name : {"file.dat", "folder"}) {
        const EntryStamp before = files.ReadStamp(folder / name);
        files.MoveEntry(folder / name, folder / (name + ".moved"), false);
        EXPECT_FALSE(PathExists(folder / name)) << name;
        EXPECT_EQ(files.ReadStamp(folder / (name + ".moved")), before) << name;
    }
    EXPECT_EQ(ReadWholeFile(folder / "file.dat.moved"), "file bytes");
    EXPECT_EQ(FolderEntries(folder / "folder.moved"), std::vector<std::string>{"inner.txt"});
    EXPECT_EQ(ReadWholeFile(folder / "folder.moved\\inner.txt"), "inner bytes");

    WriteFileBytes(folder / "new", "new bytes");
    WriteFileBytes(folder / "old", "old bytes");
    EXPECT_THROW(files.MoveEntry(folder / "new", folder / "old", false), Win32Error);
    EXPECT_EQ(ReadWholeFile(folder / "old"), "old bytes");
    files.MoveEntry(folder / "new", folder / "old", true);
    EXPECT_EQ(ReadWholeFile(folder / "old"), "new bytes");
    EXPECT_FALSE(PathExists(folder / "new"));
}

TEST(MoveEntryTest, AFileHeldOpenWithoutDeleteSharingIsInUseAsSourceOrAsTarget) {
    TempFolder folder;
    WriteFileBytes(folder / "held", "held bytes");
    WriteFileBytes(folder / "new", "new bytes");
    const FileHandle held = HoldOpen(folder / "held");
    ASSERT_TRUE(held);
    try {
        files.MoveEntry(folder / "held", folder / "moved", false);
        ADD_FAILURE() << "renamed while held open";
    } catch (const EntryInUse& error) {
        EXPECT_EQ(error.what(), Win32Error::SystemMessage(ERROR_SHARING_VIOLATION));
    }
    EXPECT_FALSE(PathExists(folder / "moved"));
    // The system refuses a replacing rename onto an open file as access denied.
    EXPECT_THROW(files.MoveEntry(folder / "new", folder / "held", true), EntryInUse);
    EXPECT_EQ(ReadWholeFile(folder / "held"), "held bytes");
}

TEST(MoveEntryTest, ARunningProgramsFileIsStampedAndRenamedAsideButNotDeleted) {
    TempFolder folder;
    const std::string program = folder / "app.exe";
    const std::string aside = folder / "app.exe.old";
    RunningProgram running(program);
    ASSERT_TRUE(running.IsRunning());
    const EntryStamp stamp = files.ReadStamp(program);
    files.WriteStamp(
        program, {stamp.attributes | FILE_ATTRIBUTE_HIDDEN, stamp.created, stamp.written - kDay});
    EXPECT_EQ(files.ReadStamp(program).written, stamp.written - kDay);
    EXPECT_TRUE(files.ReadStamp(program).attributes & FILE_ATTRIBUTE_HIDDEN);

    files.MoveEntry(program, aside, false);
    EXPECT_FALSE(files.EntryExists(program));
    EXPECT_TRUE(running.IsRunning());
    EXPECT_FALSE(DeleteFileA(aside.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(EntryListingTest, NamesAndExistenceTakeInHiddenAndSystemEntriesAndFolders) {
    TempFolder folder;
    WriteFileBytes(folder / "plain.txt", "");
    WriteFileBytes(folder / "secret.txt", "");
    SetAttributes(folder / "secret.txt", kHiddenSystem);
    MakeFolder(folder / "sub");
    MakeFolder(folder / "hidden-sub");
    SetAttributes(folder / "hidden-sub", FILE_ATTRIBUTE_HIDDEN);
    std::vector<std::string> names = files.EntryNames(folder.Path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"hidden-sub", "plain.txt", "secret.txt", "sub"}));
    for (const std::string& name : names) {
        EXPECT_TRUE(files.EntryExists(folder / name)) << name;
        EXPECT_FALSE(files.EntryExists(folder / (name + ".missing"))) << name;
    }
    EXPECT_FALSE(files.EntryExists(folder / "*.txt"));
    EXPECT_FALSE(files.EntryExists(""));
    for (const std::string& path : {folder / "sub", folder / "missing", folder / "plain.txt"}) {
        EXPECT_TRUE(files.EntryNames(path).empty()) << path;
    }
    // The name as the folder holds it, whatever case the path uses: what an undo renames back to.
    WriteFileBytes(folder / "Read Me.txt", "");
    EXPECT_EQ(files.ActualName(folder / "READ ME.TXT"), "Read Me.txt");
    EXPECT_EQ(files.ActualName(folder / "HIDDEN-SUB"), "hidden-sub");
    EXPECT_THROW(files.ActualName(folder / "missing"), Win32Error);
}

TEST(AppendOnlyFileTest, CreatesAHiddenFileAndEveryAppendLandsAtTheEnd) {
    TempFolder folder;
    const std::string path = folder / "journal";
    {
        const auto journal = files.OpenForAppend(path);
        journal->Append("first;");
        journal->Append("second;");
        EXPECT_EQ(ReadWholeFile(path), "first;second;");  // readable while open
    }
    EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    files.OpenForAppend(path)->Append("third;");
    EXPECT_EQ(ReadWholeFile(path), "first;second;third;");
    EXPECT_THROW(files.OpenForAppend(folder / "missing\\journal"), Win32Error);
}

TEST(ProgramsUsingTest, AnswersForAHeldFileNamesNoneForAMissingOneAndJoinsNames) {
    TempFolder folder;
    WriteFileBytes(folder / "held", "");
    const FileHandle held = HoldOpen(folder / "held");
    ASSERT_TRUE(held);
    // Windows names the programs holding it (this one); Wine's Restart Manager names none.
    const std::string programs = files.ProgramsUsing(folder / "held");
    RecordProperty("programs", programs);
    EXPECT_EQ(programs.find('\0'), std::string::npos);
    EXPECT_EQ(files.ProgramsUsing(folder / "missing"), "");

    using Names = std::vector<std::string>;
    const std::pair<Names, std::string> cases[] = {
        {{}, ""},
        {{"Notepad"}, "Notepad"},
        {{"Notepad", "Word"}, "Notepad and Word"},
        {{"Notepad", "Word", "Paint"}, "Notepad, Word and Paint"},
        {{"Notepad", "", "Word", "Notepad"}, "Notepad and Word"}};
    for (const auto& [names, joined] : cases) {
        EXPECT_EQ(JoinProgramNames(names), joined);
    }
}

}  // namespace
