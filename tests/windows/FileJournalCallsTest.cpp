// The calls of WindowsFileSystem that an update's journal makes, on real files and folders:
// attributes and times read and put back, renames of read-only entries, of files held open and
// of a running program, listings, append-only files and the Restart Manager's answer.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
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

// The stamp as GetFileAttributesExA reports it, beside ReadStamp's handle.
EntryStamp ListedStamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    EXPECT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) << path;
    const auto ticks = [](FILETIME time) {
        return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
    };
    return {data.dwFileAttributes, ticks(data.ftCreationTime), ticks(data.ftLastWriteTime)};
}

// Opened for reading without FILE_SHARE_DELETE: it can be neither renamed nor deleted.
FileHandle HoldOpen(const std::string& path) {
    return FileHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// A copy of the sleeper program at `path`, running until the object goes.
class RunningProgram {
public:
    explicit RunningProgram(const std::string& path) {
        const std::string sleeper = QUILLMERE_BINARY_DIR "\\sleeper.exe";
        std::string line = "\"" + path + "\" 600000 \"" + path + ".marker\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        if (CopyFileA(sleeper.c_str(), path.c_str(), FALSE) &&
            CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &started)) {
            process_.Reset(started.hProcess);
            KernelHandle thread(started.hThread);
        }
    }
    ~RunningProgram() {
        if (process_) {
            TerminateProcess(process_.Get(), 1);
            WaitForSingleObject(process_.Get(), INFINITE);
        }
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool IsRunning() const {
        return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
    }

private:
    KernelHandle process_;
};

TEST(EntryStampTest, WriteStampPutsBackWhatReadStampRead) {
    TempFolder folder;
    WriteFileBytes(folder / "file.dat", "bytes");
    MakeFolder(folder / "folder");
    for (const std::string name : {"file.dat", "folder"}) {
        SCOPED_TRACE(name);
        const std::string path = folder / name;
        const DWORD kind = name == "folder" ? FILE_ATTRIBUTE_DIRECTORY : 0;
        files.WriteStamp(
            path, {kind | FILE_ATTRIBUTE_READONLY | kHiddenSystem, kYear2020, kYear2020 + kDay});
        const EntryStamp first = files.ReadStamp(path);
        EXPECT_EQ(first, ListedStamp(path));
        EXPECT_EQ(first.attributes & (kind | kHiddenSystem), kind | kHiddenSystem);
        EXPECT_EQ(first.written, kYear2020 + kDay);

        files.WriteStamp(path, {kind, kYear2020 + 2 * kDay, kYear2020 + 3 * kDay});
        const EntryStamp changed = files.ReadStamp(path);
        EXPECT_EQ(changed.attributes & (kind | FILE_ATTRIBUTE_READONLY | kHiddenSystem), kind);
        EXPECT_EQ(changed.written, kYear2020 + 3 * kDay);

        files.WriteStamp(path, first);
        EXPECT_EQ(files.ReadStamp(path), first);
    }
    // Wine keeps no read-only bit on folders; Windows does.
    EXPECT_TRUE(files.ReadStamp(folder / "file.dat").attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_THROW(files.ReadStamp(folder / "missing"), Win32Error);
    EXPECT_THROW(files.WriteStamp(folder / "missing", {}), Win32Error);
}

TEST(MoveEntryTest, RenamesAReadOnlyHiddenFileAndAFolderWithItsFilesKeepingTheirStamps) {
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
}

TEST(MoveEntryTest, AnExistingTargetIsAFailureUnlessReplaced) {
    TempFolder folder;
    WriteFileBytes(folder / "new", "new bytes");
    WriteFileBytes(folder / "old", "old bytes");
    EXPECT_THROW(files.MoveEntry(folder / "new", folder / "old", false), Win32Error);
    EXPECT_EQ(ReadWholeFile(folder / "old"), "old bytes");
    files.MoveEntry(folder / "new", folder / "old", true);
    EXPECT_EQ(ReadWholeFile(folder / "old"), "new bytes");
    EXPECT_FALSE(PathExists(folder / "new"));
    EXPECT_THROW(files.MoveEntry(folder / "missing", folder / "other", true), Win32Error);
}

TEST(MoveEntryTest, AFileHeldOpenWithoutDeleteSharingIsInUse) {
    TempFolder folder;
    WriteFileBytes(folder / "held", "held bytes");
    const FileHandle held = HoldOpen(folder / "held");
    ASSERT_TRUE(held);
    try {
        files.MoveEntry(folder / "held", folder / "moved", false);
        ADD_FAILURE() << "renamed while held open";
    } catch (const EntryInUse& error) {
        EXPECT_EQ(error.what(), Win32Error::SystemMessage(ERROR_SHARING_VIOLATION));
    }
    EXPECT_FALSE(PathExists(folder / "moved"));
    // Held open as the target of a replacing rename, which the system refuses as access denied.
    WriteFileBytes(folder / "new", "new bytes");
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
    const EntryStamp older = {stamp.attributes | FILE_ATTRIBUTE_HIDDEN, stamp.created,
                              stamp.written - kDay};
    files.WriteStamp(program, older);
    EXPECT_EQ(files.ReadStamp(program).written, older.written);
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
    }
    for (const std::string& path : {folder / "sub", folder / "missing", folder / "plain.txt"}) {
        EXPECT_TRUE(files.EntryNames(path).empty()) << path;
    }
    for (const std::string& path : {folder / "missing", folder / "*.txt", std::string()}) {
        EXPECT_FALSE(files.EntryExists(path)) << path;
    }
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

TEST(ProgramsUsingTest, AnswersForAHeldFileAndNamesNoneForAMissingOne) {
    TempFolder folder;
    WriteFileBytes(folder / "held", "");
    const FileHandle held = HoldOpen(folder / "held");
    ASSERT_TRUE(held);
    // Windows names this test program; Wine's Restart Manager names none.
    const std::string programs = files.ProgramsUsing(folder / "held");
    RecordProperty("programs", programs);
    EXPECT_EQ(programs.find('\0'), std::string::npos);
    EXPECT_EQ(files.ProgramsUsing(folder / "missing"), "");
}

TEST(ProgramsUsingTest, NamesAreJoinedForASentence) {
    const struct {
        std::vector<std::string> names;
        const char* joined;
    } cases[] = {
        {{}, ""},
        {{"Notepad"}, "Notepad"},
        {{"Notepad", "Word"}, "Notepad and Word"},
        {{"Notepad", "Word", "Paint"}, "Notepad, Word and Paint"},
        {{"Notepad", "", "Word", "Notepad"}, "Notepad and Word"},
    };
    for (const auto& each : cases) {
        EXPECT_EQ(JoinProgramNames(each.names), each.joined);
    }
}

}  // namespace
