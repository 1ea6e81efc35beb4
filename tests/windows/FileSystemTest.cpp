// MKD, RMD, ERD and DEL on real folders, through the real interpreter and Win32 platform:
// existence tests that see or skip hidden and system entries, attribute resets, the erase of
// whole trees, and the reports of refused operations with the system's own description.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "windows/system/Directories.h"
#include "windows/system/WindowsFileSystem.h"
#include "windows/ScriptHarness.h"
#include "windows/TempFolder.h"
#include "windows/win32/ScopedHandles.h"
#include "windows/win32/Win32Error.h"

namespace {

WindowsFileSystem files;

using Lines = std::vector<std::string>;
namespace texts = harness_texts;

void MakeFolder(const std::string& path, DWORD attributes = 0) {
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
    if (attributes != 0) {
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes)) << path;
    }
}

void MakeFile(const std::string& path, DWORD attributes = 0) {
    WriteFileBytes(path, "content of " + path);
    if (attributes != 0) {
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes)) << path;
    }
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Opens the file for reading without FILE_SHARE_DELETE, so that it cannot be deleted while open.
FileHandle HoldOpen(const std::string& path) {
    return FileHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

using FileSystemCommandsTest = HarnessTest;

// --- MKD -------------------------------------------------------------------------------------

TEST_F(FileSystemCommandsTest, MkdCreatesOneFolderInTheProgramFolder) {
    app.Run("MKD \\new");
    EXPECT_TRUE(IsFolder(folder / "new"));
    EXPECT_EQ(app.window.LogLines(),
              (Lines{"", texts::kCreateDirectory, texts::kDirectoryCreated}));
    ExpectNoReport();
}

TEST_F(FileSystemCommandsTest, MkdOfAnExistingFolderOrOfANameHeldByAFileDoesNothing) {
    MakeFolder(folder / "data");
    MakeFile(folder / "data\\keep.txt");
    MakeFile(folder / "taken");
    app.Run("MKD \\data\r\nMKD " + folder / "taken" + "\r\nMKD \\after");
    EXPECT_EQ(app.window.LogLines(),
              (Lines{"", texts::kCreateDirectory, texts::kDirectoryCreated}));
    EXPECT_TRUE(IsFolder(folder / "after"));
    EXPECT_EQ(ReadWholeFile(folder / "data\\keep.txt"), "content of " + folder / "data\\keep.txt");
    EXPECT_EQ(ReadWholeFile(folder / "taken"), "content of " + folder / "taken");
    ExpectNoReport();
}

TEST_F(FileSystemCommandsTest, MkdOfAMissingParentShowsTheSystemsDescription) {
    app.Run("MKD \\no\\sub\r\nMKD \\not-run");
    EXPECT_EQ(app.window.LogLines(), (Lines{"", texts::kCreateDirectory}));
    ExpectReport(Win32Error::SystemMessage(ERROR_PATH_NOT_FOUND), "MKD \\no\\sub");
    EXPECT_FALSE(PathExists(folder / "no"));
    EXPECT_FALSE(PathExists(folder / "not-run"));
    EXPECT_EQ(app.UnrunScript(), "MKD \\not-run");
}

// --- RMD -------------------------------------------------------------------------------------

TEST_F(FileSystemCommandsTest, RmdRemovesAnEmptyFolder) {
    MakeFolder(folder / "empty");
    app.Run("RMD \\empty");
    EXPECT_FALSE(PathExists(folder / "empty"));
    EXPECT_EQ(app.window.LogLines(), (Lines{"", texts::kDeleteMessage, texts::kEndDeleteMessage}));
    ExpectNoReport();
}

TEST_F(FileSystemCommandsTest, RmdOfAFolderThatHoldsAFileShowsTheSystemsDescription) {
    MakeFolder(folder / "full");
    MakeFile(folder / "full\\keep.txt");
    app.Run("RMD \\full\r\nMKD \\not-run");
    EXPECT_EQ(app.window.LogLines(), (Lines{"", texts::kDeleteMessage}));
    ExpectReport(Win32Error::SystemMessage(ERROR_DIR_NOT_EMPTY), "RMD \\full");
    EXPECT_TRUE(PathExists(folder / "full\\keep.txt"));
    EXPECT_FALSE(PathExists(folder / "not-run"));
}

TEST_F(FileSystemCommandsTest, RmdOfAHiddenOrMissingFolderDoesNothing) {
    MakeFolder(folder / "hidden", FILE_ATTRIBUTE_HIDDEN);
    MakeFolder(folder / "system", FILE_ATTRIBUTE_SYSTEM);
    app.Run("RMD \\hidden\r\nRMD \\system\r\nRMD \\missing\r\nMKD \\after");
    EXPECT_TRUE(IsFolder(folder / "hidden"));
    EXPECT_TRUE(IsFolder(folder / "system"));
    EXPECT_TRUE(IsFolder(folder / "after"));
    EXPECT_EQ(app.window.LogLines(),
              (Lines{"", texts::kCreateDirectory, texts::kDirectoryCreated}));
    ExpectNoReport();
}

// --- ERD -------------------------------------------------------------------------------------

// A tree with nested folders and read-only, hidden and system files and folders.
void MakeTree(const std::string& root) {
    MakeFolder(root);
    MakeFile(root + "\\readonly.txt", FILE_ATTRIBUTE_READONLY);
    MakeFile(root + "\\hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    MakeFile(root + "\\system.txt", FILE_ATTRIBUTE_SYSTEM);
    MakeFolder(root + "\\sub");
    MakeFile(root + "\\sub\\plain.txt");
    MakeFolder(root + "\\sub\\deeper", FILE_ATTRIBUTE_HIDDEN);
    MakeFile(root + "\\sub\\deeper\\all.dat",
             FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    MakeFolder(root + "\\readonly-folder");
    MakeFile(root + "\\readonly-folder\\inside.txt");
    ASSERT_TRUE(SetFileAttributesA((root + "\\readonly-folder").c_str(), FILE_ATTRIBUTE_READONLY));
    MakeFolder(root + "\\empty");
}

TEST_F(FileSystemCommandsTest, ErdErasesAWholeTreeWithOrWithoutTheTrailingBackslash) {
    for (const std::string argument : {"\\tree", "\\tree\\"}) {
        MakeTree(folder / "tree");
        MakeFile(folder / "tree-sibling.txt");
        app.Run("ERD " + argument);
        EXPECT_FALSE(PathExists(folder / "tree")) << argument;
        EXPECT_TRUE(PathExists(folder / "tree-sibling.txt")) << argument;
        EXPECT_EQ(app.window.LogLines(),
                  (Lines{"", texts::kDeleteMessage, texts::kEndDeleteMessage}))
            << argument;
        ExpectNoReport();
    }
}

TEST_F(FileSystemCommandsTest, ErdOfAFullPathOrAMissingFolder) {
    MakeTree(folder / "tree");
    MakeFile(folder / "file.txt");  // no folder of that name: nothing to erase
    app.Run("ERD " + folder / "tree" + "\r\nERD \\tree\r\nERD \\never-there\r\nERD \\file.txt");
    EXPECT_FALSE(PathExists(folder / "tree"));
    EXPECT_EQ(app.window.LogLines(), (Lines{"", texts::kDeleteMessage, texts::kEndDeleteMessage}));
    ExpectNoReport();
}

TEST_F(FileSystemCommandsTest, ErdStopsAtAFileThatCannotBeDeleted) {
    MakeFolder(folder / "tree");
    for (const char* name : {"a", "b", "c", "d", "e", "f"}) {
        MakeFile(folder / "tree\\" + name + ".txt", FILE_ATTRIBUTE_READONLY);
    }
    MakeFolder(folder / "tree\\deep");
    for (const char* name : {"1", "2", "3", "4", "5", "6", "7", "8"}) {
        MakeFile(folder / "tree\\deep\\" + name + ".dat", FILE_ATTRIBUTE_HIDDEN);
    }
    MakeFile(folder / "tree\\deep\\locked.dat");
    const Lines topOrder = ListingOrder(folder / "tree");
    const Lines deepOrder = ListingOrder(folder / "tree\\deep");
    FileHandle locked = HoldOpen(folder / "tree\\deep\\locked.dat");
    ASSERT_TRUE(locked);

    app.Run("ERD \\tree\r\nMKD \\not-run");
    locked.Reset();

    EXPECT_EQ(app.window.LogLines(), (Lines{"", texts::kDeleteMessage}));
    ExpectReport(texts::kEraseDirectoryError, "ERD \\tree");
    EXPECT_FALSE(PathExists(folder / "not-run"));
    // Depth first in listing order: what was listed before the failure is gone, the rest stays.
    const auto deep = std::find(topOrder.begin(), topOrder.end(), "deep");
    for (auto name = topOrder.begin(); name != topOrder.end(); ++name) {
        EXPECT_EQ(PathExists(folder / "tree\\" + *name), name >= deep) << *name;
    }
    const auto lockedEntry = std::find(deepOrder.begin(), deepOrder.end(), "locked.dat");
    for (auto name = deepOrder.begin(); name != deepOrder.end(); ++name) {
        EXPECT_EQ(PathExists(folder / "tree\\deep\\" + *name), name >= lockedEntry) << *name;
    }
}

TEST_F(FileSystemCommandsTest, ErdOfTheProgramFolderItselfIsRefusedAndRemovesNothing) {
    MakeFile(folder / "program.exe");
    std::string upperCase = folder.Path();
    for (char& c : upperCase) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    MakeFolder(folder / "sub");
    for (const std::string& line :
         Lines{"ERD ", "ERD \\", "ERD " + folder.Path(), "ERD \\.\\", "ERD \\sub\\..",
               "ERD " + upperCase, "ERD " + folder.Path() + "\\.."}) {
        app.window.boxes.clear();
        app.Run(line);
        ExpectReport(texts::kEraseDirectoryError, line);
        EXPECT_EQ(app.window.log, "") << line;
    }
    EXPECT_TRUE(PathExists(folder / "program.exe"));
    EXPECT_TRUE(PathExists(folder / "quillmere.lng"));
}

// Starts a Unix program from inside Wine, which starts Unix executables as it starts Windows
// ones. Wine does not let the caller wait for such a program: the caller watches its effect.
bool StartUnixCommand(const std::string& commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        return false;
    }
    KernelHandle process(started.hProcess);
    KernelHandle thread(started.hThread);
    return true;
}

// Waits up to 5 s until `path` exists (or, with `exists` false, is gone).
bool BecomesSo(const std::string& path, bool exists) {
    for (int round = 0; round < 100; ++round) {
        if (PathExists(path) == exists) {
            return true;
        }
        Sleep(50);
    }
    return false;
}

// A drive letter of its own, mapped to a fresh folder, so that erasing a drive root touches
// nothing else. Wine keeps its drive letters as symbolic links in the prefix's "dosdevices"
// folder; the link is made and removed with the Unix ln and rm.
class ScratchDrive {
public:
    ScratchDrive() {
        const char* prefix = std::getenv("WINEPREFIX");
        if (prefix == nullptr) {
            return;
        }
        const std::string unixFolder =
            std::string(prefix) + "-scratch-drive-" + std::to_string(GetCurrentProcessId());
        folder_ = WinePath(unixFolder);
        CreateDirectoryA(folder_.c_str(), nullptr);
        for (char letter = 'Y'; letter >= 'M'; --letter) {
            const std::string root = std::string(1, letter) + ":\\";
            if (GetDriveTypeA(root.c_str()) != DRIVE_NO_ROOT_DIR) {
                continue;
            }
            link_ =
                std::string(prefix) + "/dosdevices/" + static_cast<char>(letter + 'a' - 'A') + ":";
            if (StartUnixCommand("Z:\\bin\\ln -sfn " + unixFolder + " " + link_) &&
                BecomesSo(root, true)) {
                root_ = root;
            }
            return;
        }
    }
    ~ScratchDrive() {
        if (!link_.empty()) {
            StartUnixCommand("Z:\\bin\\rm -f " + link_);
            BecomesSo(root_, false);
        }
        if (!folder_.empty()) {
            EraseDirectory(folder_ + "\\");
        }
    }
    ScratchDrive(const ScratchDrive&) = delete;
    ScratchDrive& operator=(const ScratchDrive&) = delete;

    // "X:\", or empty when no drive could be mapped.
    const std::string& Root() const { return root_; }
    // The folder behind the drive, by its own path.
    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
    std::string link_;
    std::string root_;
};

TEST_F(FileSystemCommandsTest, ErdOfADriveRootEmptiesItButLeavesTheRoot) {
    ScratchDrive drive;
    if (drive.Root().empty()) {
        GTEST_SKIP() << "no scratch drive letter could be mapped (Wine only)";
    }
    MakeTree(drive.Root() + "tree");
    MakeFile(drive.Root() + "hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    MakeFile(drive.Root() + "plain.txt");
    app.Run("ERD " + drive.Root());
    EXPECT_EQ(app.window.LogLines(), (Lines{"", texts::kDeleteMessage, texts::kEndDeleteMessage}));
    ExpectNoReport();
    EXPECT_TRUE(ListingOrder(drive.Folder()).empty());
    EXPECT_TRUE(IsFolder(drive.Folder()));
    // An empty root: nothing to remove, which is a success.
    EXPECT_TRUE(EraseDirectory(drive.Root()));
    EXPECT_TRUE(IsFolder(drive.Folder()));
}

bool IsLinkedFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// The Unix path of "X:\..." inside Wine: the prefix keeps drive X: as "dosdevices/x:".
std::string UnixPath(const std::string& prefix, const std::string& windowsPath) {
    std::string path = prefix + "/dosdevices/" +
                       static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0]))) +
                       windowsPath.substr(1);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// A folder link for one test, removed (as a link) when the test ends. Wine 8 reports success
// for CreateSymbolicLinkA without making a link and cannot set junctions, but it shows a Unix
// symbolic link to a folder as a folder link: there, one is made with the Unix ln.
class FolderLink {
public:
    FolderLink(const std::string& link, const std::string& target) : link_(link) {
        if (CreateSymbolicLinkA(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) &&
            IsLinkedFolder(link)) {
            made_ = true;
            return;
        }
        const char* prefix = std::getenv("WINEPREFIX");
        if (prefix == nullptr) {
            return;
        }
        unixLink_ = UnixPath(prefix, link);
        made_ = StartUnixCommand("Z:\\bin\\ln -s " + UnixPath(prefix, target) + " " + unixLink_) &&
                BecomesSo(link, true) && IsLinkedFolder(link);
    }
    ~FolderLink() {
        if (!unixLink_.empty()) {
            StartUnixCommand("Z:\\bin\\rm -f " + unixLink_);
            BecomesSo(link_, false);
        } else if (made_) {
            RemoveDirectoryA(link_.c_str());
        }
    }
    FolderLink(const FolderLink&) = delete;
    FolderLink& operator=(const FolderLink&) = delete;

    bool Made() const { return made_; }

private:
    std::string link_;
    std::string unixLink_;
    bool made_ = false;
};

TEST_F(FileSystemCommandsTest, ErdOfALinkToTheProgramFolderIsRefusedAndRemovesNothing) {
    MakeFile(folder / "program.exe");
    FolderLink link(folder / "self", folder.Path());
    if (!link.Made()) {
        GTEST_SKIP() << "folder links cannot be created on this system";
    }
    app.Run("ERD \\self");
    ExpectReport(texts::kEraseDirectoryError, "ERD \\self");
    EXPECT_EQ(app.window.log, "");
    EXPECT_TRUE(PathExists(folder / "program.exe"));
    EXPECT_TRUE(PathExists(folder / "quillmere.lng"));
}

TEST_F(FileSystemCommandsTest, ErdOfAFolderLinkNeverErasesWhatItPointsTo) {
    TempFolder elsewhere;
    MakeFile(elsewhere / "precious.txt");
    FolderLink link(folder / "linked", elsewhere.Path());
    if (!link.Made()) {
        GTEST_SKIP() << "folder links cannot be created on this system";
    }
    app.Run("ERD \\linked");
    EXPECT_TRUE(PathExists(elsewhere / "precious.txt"));
    if (PathExists(folder / "linked")) {
        // Wine 8 removes a folder link only by way of what it points to, which it finds not
        // empty: the link stays and the erase is reported as failed.
        ExpectReport(texts::kEraseDirectoryError, "ERD \\linked");
    } else {
        EXPECT_EQ(app.window.LogLines(),
                  (Lines{"", texts::kDeleteMessage, texts::kEndDeleteMessage}));
        ExpectNoReport();
    }
}

TEST(EraseDirectoryTest, RemovesALinkedFolderAsALinkAndLeavesItsTargetAlone) {
    TempFolder folder;
    MakeFolder(folder / "outside");
    MakeFile(folder / "outside\\precious.txt");
    MakeFolder(folder / "tree");
    const bool created =
        CreateSymbolicLinkA((folder / "tree\\link").c_str(), (folder / "outside").c_str(),
                            SYMBOLIC_LINK_FLAG_DIRECTORY) != 0;
    const DWORD attributes = GetFileAttributesA((folder / "tree\\link").c_str());
    if (!created || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        // Wine 8 reports success but creates no link.
        GTEST_SKIP() << "folder links cannot be created on this system";
    }
    EXPECT_TRUE(EraseDirectory(folder / "tree\\"));
    EXPECT_FALSE(PathExists(folder / "tree"));
    EXPECT_TRUE(PathExists(folder / "outside\\precious.txt"));
}

TEST(EraseDirectoryTest, AMissingFolderIsAFailure) {
    TempFolder folder;
    EXPECT_FALSE(EraseDirectory(folder / "missing\\"));
}

// --- DEL -------------------------------------------------------------------------------------

TEST_F(FileSystemCommandsTest, DelDeletesReadOnlyHiddenAndSystemFiles) {
    MakeFile(folder / "readonly.txt", FILE_ATTRIBUTE_READONLY);
    MakeFile(folder / "hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    MakeFile(folder / "system.txt", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
    app.Run("DEL \\readonly.txt\r\nDEL \\hidden.txt\r\nDEL " + folder / "system.txt");
    EXPECT_FALSE(PathExists(folder / "readonly.txt"));
    EXPECT_FALSE(PathExists(folder / "hidden.txt"));
    EXPECT_FALSE(PathExists(folder / "system.txt"));
    EXPECT_EQ(app.window.LogLines(),
              (Lines{"", texts::kDeleteMessage, texts::kEndDeleteMessage, texts::kDeleteMessage,
                     texts::kEndDeleteMessage, texts::kDeleteMessage, texts::kEndDeleteMessage}));
    ExpectNoReport();
}

TEST_F(FileSystemCommandsTest, DelOfAFolderNameOrAMissingFileDoesNothing) {
    MakeFolder(folder / "data");
    app.Run("DEL \\data\r\nDEL \\missing.txt\r\nMKD \\after");
    EXPECT_TRUE(IsFolder(folder / "data"));
    EXPECT_TRUE(IsFolder(folder / "after"));
    EXPECT_EQ(app.window.LogLines(),
              (Lines{"", texts::kCreateDirectory, texts::kDirectoryCreated}));
    ExpectNoReport();
}

TEST_F(FileSystemCommandsTest, DelOfAFileInUseShowsTheSystemsDescription) {
    MakeFile(folder / "in-use.dll");
    FileHandle inUse = HoldOpen(folder / "in-use.dll");
    ASSERT_TRUE(inUse);
    app.Run("DEL \\in-use.dll\r\nMKD \\not-run");
    inUse.Reset();
    EXPECT_EQ(app.window.LogLines(), (Lines{"", texts::kDeleteMessage}));
    ExpectReport(Win32Error::SystemMessage(ERROR_SHARING_VIOLATION), "DEL \\in-use.dll");
    EXPECT_TRUE(PathExists(folder / "in-use.dll"));
    EXPECT_FALSE(PathExists(folder / "not-run"));
}

// --- Common to the four ----------------------------------------------------------------------

TEST_F(FileSystemCommandsTest, WildcardsAreRefusedAndTouchNothing) {
    MakeFile(folder / "a.txt");
    app.Run("DEL \\*.txt\r\nDEL \\a.txt");
    ExpectReport("Wildcards (\"*\" and \"?\") are not allowed in a path: " + folder / "*.txt",
                 "DEL \\*.txt");
    EXPECT_TRUE(PathExists(folder / "a.txt"));
    EXPECT_EQ(app.window.log, "");
}

TEST_F(FileSystemCommandsTest, DevicePathsAreRefusedAndTouchNothing) {
    MakeFile(folder / "program.exe");
    for (const std::string prefix : {"//?/", "//./"}) {
        const std::string line = "ERD " + prefix + folder.Path();
        app.window.boxes.clear();
        app.Run(line);
        ExpectReport("Device paths (\"\\\\?\\\" and \"\\\\.\\\") are not allowed: " + prefix +
                         folder.Path() + "\\",
                     line);
        EXPECT_EQ(app.window.log, "") << line;
    }
    EXPECT_TRUE(PathExists(folder / "program.exe"));
}

// --- The existence tests on their own --------------------------------------------------------

TEST(ExistenceTestsTest, VisibleEntriesAreFoldersAndFilesThatAreNeitherHiddenNorSystem) {
    TempFolder folder;
    MakeFolder(folder / "folder");
    MakeFolder(folder / "readonly-folder", FILE_ATTRIBUTE_READONLY);
    MakeFolder(folder / "hidden-folder", FILE_ATTRIBUTE_HIDDEN);
    MakeFile(folder / "file.txt");
    MakeFile(folder / "readonly.txt", FILE_ATTRIBUTE_READONLY);
    MakeFile(folder / "hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    MakeFile(folder / "system.txt", FILE_ATTRIBUTE_SYSTEM);
    EXPECT_TRUE(files.VisibleEntryExists(folder / "folder"));
    EXPECT_TRUE(files.VisibleEntryExists(folder / "folder\\"));  // looks inside: finds "."
    EXPECT_TRUE(files.VisibleEntryExists(folder / "readonly-folder"));
    EXPECT_TRUE(files.VisibleEntryExists(folder / "file.txt"));
    EXPECT_TRUE(files.VisibleEntryExists(folder / "readonly.txt"));
    EXPECT_FALSE(files.VisibleEntryExists(folder / "hidden-folder"));
    EXPECT_FALSE(files.VisibleEntryExists(folder / "hidden.txt"));
    EXPECT_FALSE(files.VisibleEntryExists(folder / "system.txt"));
    EXPECT_FALSE(files.VisibleEntryExists(folder / "missing"));
    EXPECT_FALSE(files.VisibleEntryExists(folder / "missing\\"));
    EXPECT_FALSE(files.VisibleEntryExists(folder / "file.txt\\"));
    EXPECT_FALSE(files.VisibleEntryExists(""));
}

TEST(ExistenceTestsTest, AnyFileIsEveryFileWhateverItsAttributesButNoFolder) {
    TempFolder folder;
    MakeFolder(folder / "folder");
    MakeFile(folder / "file.txt");
    MakeFile(folder / "hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    MakeFile(folder / "system.txt", FILE_ATTRIBUTE_SYSTEM);
    MakeFile(folder / "archived.txt", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(files.AnyFileExists(folder / "file.txt"));
    EXPECT_TRUE(files.AnyFileExists(folder / "hidden.txt"));
    EXPECT_TRUE(files.AnyFileExists(folder / "system.txt"));
    EXPECT_TRUE(files.AnyFileExists(folder / "archived.txt"));
    EXPECT_FALSE(files.AnyFileExists(folder / "folder"));
    EXPECT_FALSE(files.AnyFileExists(folder / "missing.txt"));
    EXPECT_FALSE(files.AnyFileExists(""));
}

}  // namespace
