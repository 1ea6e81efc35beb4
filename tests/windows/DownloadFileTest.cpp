// DownloadFile against the fixture server: what lands on disk (and what never does), what the
// progress bar shows, the event processing per chunk, and what the server sees of the requests.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "windows/app/EventPump.h"
#include "core/net/FileDownload.h"
#include "windows/crypto/CngCrypto.h"
#include "windows/net/DownloadFile.h"
#include "windows/net/ProgressRelay.h"
#include "windows/net/WinInetTransport.h"
#include "windows/net/WindowsTemporaryFiles.h"
#include "windows/win32/ScopedHandles.h"
#include "windows/TempFolder.h"

namespace {

// --- The fixture server ----------------------------------------------------------------------

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        throw std::runtime_error(std::string(name) + " is not set: run under scripts/test-env");
    }
    return value;
}

std::string ServerUrl(const std::string& path) {
    return Environment("QUILLMERE_FIXTURE_URL") + path;
}

// Wine shows the Linux root as drive Z:.
std::string WinePath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& character : path) {
        if (character == '/') {
            character = '\\';
        }
    }
    return path;
}

// The request log's lines (one JSON object per request) whose path is exactly `path`.
std::vector<std::string> LoggedRequests(const std::string& path) {
    const std::string log = ReadWholeFile(WinePath(Environment("QUILLMERE_FIXTURE_REQUEST_LOG")));
    const std::string key = "\"path\": \"" + path + "\"";
    std::vector<std::string> requests;
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos) {
            end = log.size();
        }
        const std::string line = log.substr(start, end - start);
        if (line.find(key) != std::string::npos) {
            requests.push_back(line);
        }
        start = end + 1;
    }
    return requests;
}

// How many requests carrying `tag` reached the server.
int RequestsTagged(const std::string& tag) {
    const std::string log = ReadWholeFile(WinePath(Environment("QUILLMERE_FIXTURE_REQUEST_LOG")));
    int count = 0;
    for (size_t found = log.find(tag); found != std::string::npos;
         found = log.find(tag, found + tag.size())) {
        ++count;
    }
    return count;
}

// A query suffix no other request of any run carries, to find a test's own requests in the log.
std::string UniqueTag() {
    static int counter = 0;
    return "?tag=" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) +
           "-" + std::to_string(++counter) + "x";
}

// The fixture server's generated bodies: byte i is i % 251.
std::string Pattern(size_t size, size_t offset = 0) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((offset + i) % 251);
    }
    return bytes;
}

// Whether the file at `path` holds exactly `expected`; on a mismatch, says where it starts
// rather than printing whole bodies.
::testing::AssertionResult Holds(const std::string& path, const std::string& expected) {
    const std::string actual = ReadWholeFile(path);
    if (actual == expected) {
        return ::testing::AssertionSuccess();
    }
    size_t first = 0;
    while (first < actual.size() && first < expected.size() && actual[first] == expected[first]) {
        ++first;
    }
    return ::testing::AssertionFailure()
           << path << " holds " << actual.size() << " bytes (\"" << actual.substr(0, 40)
           << "\"...), expected " << expected.size() << "; first difference at byte " << first;
}

// --- What a download leaves beside its target -------------------------------------------------

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.rfind('\\'));
}

// The names in `folder` (files and folders alike).
std::set<std::string> Entries(const std::string& folder) {
    const std::vector<std::string> names = FolderEntries(folder);
    return {names.begin(), names.end()};
}

// Watches the folder of a target from its creation on: whatever appears there besides the
// target is left over from a download.
class FolderWatch {
public:
    explicit FolderWatch(const std::string& target)
        : target_(target), before_(Entries(FolderOf(target))) {}

    std::vector<std::string> Added() const {
        const std::string targetName = target_.substr(target_.rfind('\\') + 1);
        std::vector<std::string> added;
        for (const std::string& name : Entries(FolderOf(target_))) {
            if (name != targetName && before_.count(name) == 0) {
                added.push_back(name);
            }
        }
        return added;
    }

private:
    std::string target_;
    std::set<std::string> before_;
};

// --- A hidden window with a real progress bar ------------------------------------------------

// The bar's PBM_SETPOS messages as the control received them.
struct SetPositionRecord {
    std::vector<int> positions;  // in the order given
    int repeated = 0;            // messages that asked for the position the bar already had
};

LRESULT CALLBACK RecordSetPosition(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR, DWORD_PTR data) {
    if (message == PBM_SETPOS) {
        auto* record = reinterpret_cast<SetPositionRecord*>(data);
        record->positions.push_back(static_cast<int>(wParam));
        if (static_cast<int>(wParam) ==
            static_cast<int>(DefSubclassProc(window, PBM_GETPOS, 0, 0))) {
            ++record->repeated;
        }
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

constexpr UINT kTestMessage = WM_APP + 7;
constexpr char kWindowClass[] = "QuillmereDownloadTestWindow";

// Counts kTestMessage deliveries in the window's user data.
LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTestMessage) {
        SetWindowLongPtrA(window, GWLP_USERDATA, GetWindowLongPtrA(window, GWLP_USERDATA) + 1);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class ProgressWindow {
public:
    ProgressWindow() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = TestWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kWindowClass;
        RegisterClassA(&windowClass);  // fails harmlessly when already registered
        window_ = CreateWindowExA(0, kWindowClass, "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 100, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
        bar_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 10, 300, 20,
                               window_, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowSubclass(bar_, RecordSetPosition, 1, reinterpret_cast<DWORD_PTR>(&record_));
    }
    ~ProgressWindow() {
        RemoveWindowSubclass(bar_, RecordSetPosition, 1);
        DestroyWindow(window_);
    }
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    HWND Window() const { return window_; }
    HWND Bar() const { return bar_; }
    int Position() const { return static_cast<int>(SendMessageA(bar_, PBM_GETPOS, 0, 0)); }
    int Maximum() const { return static_cast<int>(SendMessageA(bar_, PBM_GETRANGE, FALSE, 0)); }
    int ClientWidth() const {
        RECT client{};
        GetClientRect(bar_, &client);
        return client.right - client.left;
    }
    // Puts the bar somewhere other than 0, as a caller might have left it.
    void Preset(int maximum, int position) {
        SendMessageA(bar_, PBM_SETRANGE32, 0, maximum);
        SendMessageA(bar_, PBM_SETPOS, position, 0);
        record_ = {};
    }
    const SetPositionRecord& SetPositionMessages() const { return record_; }
    int TestMessagesDelivered() const {
        return static_cast<int>(GetWindowLongPtrA(window_, GWLP_USERDATA));
    }

private:
    HWND window_ = nullptr;
    HWND bar_ = nullptr;
    SetPositionRecord record_;
};

// --- The test fixture ------------------------------------------------------------------------

class DownloadFileTest : public ::testing::Test {
protected:
    // Downloads the fixture route into `path` with the bar preset to 500 of 1000, and checks
    // what must hold after every call: the bar reads 0 and nothing is left beside `path`.
    bool Fetch(const std::string& route, const std::string& path) {
        bar.Preset(1000, 500);
        const FolderWatch watch(path);
        const DownloadResult result =
            DownloadFile(ServerUrl(route), path, DownloadKind::ReleaseFile, std::nullopt,
                         DownloadProgress{bar.Bar(), {}}, crypto);
        EXPECT_EQ(bar.Position(), 0) << route;
        EXPECT_EQ(watch.Added(), std::vector<std::string>{}) << route;
        return result == DownloadResult::Stored;
    }
    bool Fetch(const std::string& route) { return Fetch(route, target); }

    // Something that must survive every failed download unchanged.
    void PlaceWorkingFile() { WriteFileBytes(target, kWorkingFile); }

    static constexpr const char* kWorkingFile = "MZ a working program that must not be lost";
    TempFolder folder;
    std::string target = folder / "program.exe";
    ProgressWindow bar;
    CngCrypto crypto;
};

// --- Bodies that are saved -------------------------------------------------------------------

TEST_F(DownloadFileTest, BodyWithContentLengthIsSavedByteForByte) {
    EXPECT_TRUE(Fetch("/fault/body/5000"));
    EXPECT_TRUE(Holds(target, Pattern(5000)));
    EXPECT_EQ(bar.Maximum(), 5000);
}

TEST_F(DownloadFileTest, SavedFileIsClosedWhenTheCallReturns) {
    ASSERT_TRUE(Fetch("/fault/body/3000"));
    HANDLE exclusive = CreateFileA(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(exclusive, INVALID_HANDLE_VALUE);
    CloseHandle(exclusive);
}

TEST_F(DownloadFileTest, LongerExistingFileIsReplacedWholeWithoutATail) {
    WriteFileBytes(target, std::string(20000, 'o'));
    EXPECT_TRUE(Fetch("/fault/body/3000"));
    EXPECT_TRUE(Holds(target, Pattern(3000)));
}

TEST_F(DownloadFileTest, BodyLongerThanTheBufferArrivesWhole) {
    EXPECT_TRUE(Fetch("/fault/body/1000000"));
    EXPECT_TRUE(Holds(target, Pattern(1000000)));
}

TEST_F(DownloadFileTest, EmptyBodyGivesAnEmptyFileAndLeavesTheMaximumAlone) {
    PlaceWorkingFile();
    EXPECT_TRUE(Fetch("/fault/body/0"));
    EXPECT_TRUE(Holds(target, ""));
    EXPECT_EQ(bar.Maximum(), 1000);
}

TEST_F(DownloadFileTest, OnlyA2xxStatusIsSavedAndAnErrorPageNeverLands) {
    PlaceWorkingFile();
    for (const char* status : {"401", "403", "410", "500", "503"}) {
        EXPECT_FALSE(Fetch(std::string("/fault/status/") + status)) << status;
        EXPECT_TRUE(Holds(target, kWorkingFile)) << status;
    }
    EXPECT_TRUE(Fetch("/fault/status/203"));
    EXPECT_TRUE(Holds(target,
                      "<html><head><title>203</title></head>"
                      "<body><h1>Status 203 page</h1></body></html>\n"));
}

TEST_F(DownloadFileTest, RedirectsAreFollowedUpToTenAndLoopsEndAtOnce) {
    struct Case {
        std::string route;
        bool saved;
        int requests;
    };
    // A Location longer than 2048 characters too, as signed CDN URLs are.
    const std::string longQuery = "/fault/redirect/302/1?long=" + std::string(2500, 'x');
    for (const Case& c :
         {Case{"/fault/redirect/302/10", true, 11}, Case{"/fault/redirect/301/2", true, 3},
          Case{"/fault/redirect/303/2", true, 3}, Case{"/fault/redirect/307/2", true, 3},
          Case{"/fault/redirect/308/2", true, 3}, Case{longQuery, true, 2},
          Case{"/fault/redirect/302/11", false, 11}, Case{"/fault/redirect/302/100000", false, 11},
          Case{"/fault/redirect/self", false, 1}}) {
        PlaceWorkingFile();
        const std::string tag = UniqueTag();
        const ULONGLONG start = GetTickCount64();
        EXPECT_EQ(Fetch(c.route + tag), c.saved) << c.route.substr(0, 40);
        RecordProperty("milliseconds " + c.route.substr(0, 40),
                       static_cast<int>(GetTickCount64() - start));
        EXPECT_EQ(RequestsTagged(tag), c.requests) << c.route.substr(0, 40);
        EXPECT_TRUE(Holds(target, c.saved ? Pattern(3000) : std::string(kWorkingFile)))
            << c.route.substr(0, 40);
    }
}

TEST_F(DownloadFileTest, StaticFileOfTheServedFolderIsSaved) {
    const std::string name = "download-test-" + std::to_string(GetCurrentProcessId()) + ".txt";
    const std::string served = WinePath(Environment("QUILLMERE_FIXTURE_ROOT")) + "\\" + name;
    WriteFileBytes(served, "CMV 2.0;New;http://example/script.qsc\r\n");
    EXPECT_TRUE(Fetch("/" + name));
    DeleteFileA(served.c_str());
    EXPECT_TRUE(Holds(target, "CMV 2.0;New;http://example/script.qsc\r\n"));
}

TEST_F(DownloadFileTest, LocalPathWithBlanksAndAnAnsiLetterIsUsedAsWritten) {
    const std::string path = folder / "Caf\xE9 program 2.exe";  // "é" in Windows-1252
    EXPECT_TRUE(Fetch("/fault/body/2500", path));
    EXPECT_TRUE(Holds(path, Pattern(2500)));
}

TEST_F(DownloadFileTest, FilesOfOthersBesideTheTargetAreLeftAlone) {
    const std::vector<std::string> others = {"program.exe.download", "~qm.tmp", "~qm000.tmp",
                                             "~qm00.tmp.bak", "x~qm00.tmp"};
    for (const std::string& name : others) {
        WriteFileBytes(folder / name, "somebody else's file");
    }
    ASSERT_TRUE(CreateDirectoryA((folder / "~qm01.tmp").c_str(), nullptr));
    EXPECT_TRUE(Fetch("/fault/body/4000"));
    EXPECT_TRUE(Holds(target, Pattern(4000)));
    for (const std::string& name : others) {
        EXPECT_TRUE(Holds(folder / name, "somebody else's file")) << name;
    }
    EXPECT_TRUE(PathExists(folder / "~qm01.tmp"));
}

TEST_F(DownloadFileTest, TemporaryFileOfADownloadUnderWayIsLeftAloneAndAnotherIsUsed) {
    // Another updater downloading into the same folder holds its temporary file open.
    WriteFileBytes(folder / "~qm00.tmp", "half a download");
    {
        const FileHandle busy(CreateFileA((folder / "~qm00.tmp").c_str(), GENERIC_WRITE, 0, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(busy.IsValid());
        EXPECT_TRUE(Fetch("/fault/body/4000"));
        EXPECT_TRUE(Holds(target, Pattern(4000)));
    }
    EXPECT_TRUE(Holds(folder / "~qm00.tmp", "half a download"));
}

TEST_F(DownloadFileTest, TargetWhosePathIsJustUnderMaxPathIsSaved) {
    // MAX_PATH - 1 characters: a long name in a shorter folder, and an 11-character name in the
    // longest folder CreateDirectoryA makes on Windows (MAX_PATH - 12 with its NUL).
    struct Case {
        size_t folderLength;
        char letter;
    };
    for (const Case& c : {Case{200, 'f'}, Case{MAX_PATH - 13, 'g'}}) {
        const std::string nested =
            folder / std::string(c.folderLength - folder.Path().size() - 1, c.letter);
        ASSERT_TRUE(CreateDirectoryA(nested.c_str(), nullptr)) << c.folderLength;
        const std::string path =
            nested + "\\" + std::string(MAX_PATH - 1 - nested.size() - 1 - 4, 'n') + ".exe";
        ASSERT_EQ(path.size(), static_cast<size_t>(MAX_PATH - 1));
        EXPECT_TRUE(Fetch("/fault/body/3000", path)) << c.folderLength;
        EXPECT_TRUE(Holds(path, Pattern(3000))) << c.folderLength;
    }
}

// --- Replies that fail, and leave the local path as it was ------------------------------------

TEST_F(DownloadFileTest, Status404FailsAndKeepsTheExistingFile) {
    PlaceWorkingFile();
    EXPECT_FALSE(Fetch("/fault/status/404"));
    EXPECT_TRUE(Holds(target, kWorkingFile));
}

TEST_F(DownloadFileTest, Status404WithoutAnExistingFileCreatesNothing) {
    EXPECT_FALSE(Fetch("/fault/status/404"));
    EXPECT_FALSE(PathExists(target));
}

TEST_F(DownloadFileTest, ChunkedReplyWithoutContentLengthFails) {
    PlaceWorkingFile();
    EXPECT_FALSE(Fetch("/fault/chunked/5000"));
    EXPECT_TRUE(Holds(target, kWorkingFile));
    EXPECT_FALSE(Fetch("/fault/chunked/5000", folder / "new.bin"));
    EXPECT_FALSE(PathExists(folder / "new.bin"));
}

TEST_F(DownloadFileTest, NonNumericContentLengthFails) {
    PlaceWorkingFile();
    EXPECT_FALSE(Fetch("/fault/length/twelve?send=12"));
    EXPECT_TRUE(Holds(target, kWorkingFile));
    EXPECT_FALSE(Fetch("/fault/length/12abc?send=12"));
    EXPECT_TRUE(Holds(target, kWorkingFile));
}

TEST_F(DownloadFileTest, NegativeContentLengthFailsAndKeepsTheExistingFile) {
    PlaceWorkingFile();
    for (const char* route : {"/fault/length/-5?send=16", "/fault/length/-1?send=0"}) {
        EXPECT_FALSE(Fetch(route)) << route;
        EXPECT_TRUE(Holds(target, kWorkingFile)) << route;
        EXPECT_EQ(bar.Maximum(), 1000) << route;
    }
}

TEST_F(DownloadFileTest, ContentLengthBeyondASigned32BitNumberFails) {
    PlaceWorkingFile();
    for (const char* length : {"2147483648", "3000000000", "4294967296", "99999999999999999999"}) {
        EXPECT_FALSE(Fetch(std::string("/fault/length/") + length)) << length;
        EXPECT_TRUE(Holds(target, kWorkingFile)) << length;
        EXPECT_EQ(bar.Maximum(), 1000) << length;  // refused before the bar was set up
    }
}

TEST_F(DownloadFileTest, LargestSigned32BitLengthIsAcceptedThenTheShortBodyFails) {
    PlaceWorkingFile();
    EXPECT_FALSE(Fetch("/fault/length/2147483647?send=5000"));
    EXPECT_EQ(bar.Maximum(), 2147483647);
    EXPECT_TRUE(Holds(target, kWorkingFile));
}

TEST_F(DownloadFileTest, BodyCutShortFailsAndKeepsTheExistingFile) {
    PlaceWorkingFile();
    EXPECT_FALSE(Fetch("/fault/truncated/10000/4000"));
    EXPECT_TRUE(Holds(target, kWorkingFile));
    EXPECT_FALSE(Fetch("/fault/truncated/10000/0"));
    EXPECT_TRUE(Holds(target, kWorkingFile));
}

TEST_F(DownloadFileTest, BodyLongerThanAnnouncedNeverLands) {
    // Wine hands on the bytes past the Content-Length that came with the headers, and the
    // download fails; a WinINet that dropped them would store the announced bytes alone.
    PlaceWorkingFile();
    const bool stored = Fetch("/fault/overlong/3000/1");
    EXPECT_TRUE(Holds(target, stored ? Pattern(3000) : std::string(kWorkingFile)));
}

TEST_F(DownloadFileTest, BodyCutShortLeavesNoFileWhereThereWasNone) {
    EXPECT_FALSE(Fetch("/fault/truncated/100000/70000"));
    EXPECT_FALSE(PathExists(target));
}

TEST_F(DownloadFileTest, ReadOnlyExistingFileIsKeptWhenItCannotBeReplaced) {
    PlaceWorkingFile();
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(Fetch("/fault/body/3000"));
    EXPECT_TRUE(Holds(target, kWorkingFile));
    EXPECT_NE(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST_F(DownloadFileTest, FolderAtTheLocalPathIsKept) {
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    EXPECT_FALSE(Fetch("/fault/body/3000"));
    EXPECT_EQ(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

TEST_F(DownloadFileTest, LocalPathInAMissingFolderFailsWithoutCreatingAnything) {
    const std::string missing = folder / "missing";
    EXPECT_FALSE(Fetch("/fault/body/3000", missing + "\\program.exe"));
    EXPECT_FALSE(PathExists(missing));
}

// --- Pinned bodies ---------------------------------------------------------------------------

TEST_F(DownloadFileTest, PinnedBodyIsStoredOnlyWithItsDigest) {
    // More than one block of the hash's own thread, so that blocks are handed over mid-body.
    const std::string body = Pattern(600000);
    for (const bool matches : {true, false}) {
        PlaceWorkingFile();
        const std::unique_ptr<Sha256Hasher> hasher = crypto.NewSha256();
        hasher->Update(matches ? body : body.substr(1));
        const Sha256Digest expected = hasher->Finish();
        const FolderWatch watch(target);
        bar.Preset(1000, 500);
        EXPECT_EQ(DownloadFile(ServerUrl("/fault/body/600000"), target, DownloadKind::ReleaseFile,
                               expected, DownloadProgress{bar.Bar(), {}}, crypto),
                  matches ? DownloadResult::Stored : DownloadResult::DigestMismatch);
        EXPECT_TRUE(Holds(target, matches ? body : std::string(kWorkingFile)));
        EXPECT_EQ(bar.Position(), 0);
        EXPECT_EQ(watch.Added(), std::vector<std::string>{});
    }
}

// --- Downloads killed half way ---------------------------------------------------------------

// Whether a file beside `target` is being written: it holds bytes and another process keeps
// it open for itself alone.
bool PartOfABodyIsBeingWritten(const std::string& target) {
    const std::string targetName = target.substr(target.rfind('\\') + 1);
    for (const std::string& name : Entries(FolderOf(target))) {
        const std::string path = FolderOf(target) + "\\" + name;
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (name == targetName ||
            !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
            data.nFileSizeLow == 0) {
            continue;
        }
        const FileHandle reader(CreateFileA(
            path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!reader && GetLastError() == ERROR_SHARING_VIOLATION) {
            return true;
        }
    }
    return false;
}

// Downloads `url` into `target` in a helper process and kills it once part of the body is on
// the disk, as a power cut or the task manager would. Fails the test when nothing arrives
// within ten seconds.
void KillDownloadHalfWay(const std::string& url, const std::string& target) {
    std::string commandLine =
        "\"" QUILLMERE_BINARY_DIR "\\downloader.exe\" \"" + url + "\" \"" + target + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                               CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started));
    const KernelHandle process(started.hProcess);
    const KernelHandle thread(started.hThread);
    bool partWritten = false;
    for (int wait = 0; wait < 500 && !partWritten; ++wait) {
        Sleep(20);
        partWritten = PartOfABodyIsBeingWritten(target);
    }
    TerminateProcess(process.Get(), 1);
    WaitForSingleObject(process.Get(), 10000);
    ASSERT_TRUE(partWritten) << "no part of the body arrived";
}

TEST_F(DownloadFileTest, KilledDownloadsLeaveOneFileAtMostWhichTheNextDownloadRemoves) {
    PlaceWorkingFile();
    const FolderWatch watch(target);
    for (int kill = 1; kill <= 3; ++kill) {
        KillDownloadHalfWay(ServerUrl("/fault/slow?seconds=30&bytes=300000&chunks=300"), target);
        EXPECT_EQ(watch.Added().size(), 1u) << "after kill " << kill;
        EXPECT_TRUE(Holds(target, kWorkingFile));
    }
    EXPECT_TRUE(Fetch("/fault/body/3000"));
    EXPECT_TRUE(Holds(target, Pattern(3000)));
    EXPECT_EQ(watch.Added(), std::vector<std::string>{});
}

// --- URLs that never reach a reply ------------------------------------------------------------

TEST_F(DownloadFileTest, NonHttpUrlFailsAndKeepsTheExistingFile) {
    PlaceWorkingFile();
    const std::string source = folder / "source.txt";
    WriteFileBytes(source, "local bytes");
    const FolderWatch watch(target);
    for (const std::string& url : {"file:///" + source, std::string("ftp://127.0.0.1:1/file.bin"),
                                   std::string("not a url at all"), std::string("")}) {
        bar.Preset(1000, 500);
        EXPECT_EQ(DownloadFile(url, target, DownloadKind::ReleaseFile, std::nullopt,
                               DownloadProgress{bar.Bar(), {}}, crypto),
                  DownloadResult::Failed)
            << url;
        EXPECT_EQ(bar.Position(), 0) << url;
        EXPECT_TRUE(Holds(target, kWorkingFile)) << url;
        EXPECT_EQ(watch.Added(), std::vector<std::string>{}) << url;
    }
}

TEST_F(DownloadFileTest, UnreachablePortFailsAndKeepsTheExistingFile) {
    PlaceWorkingFile();
    const FolderWatch watch(target);
    bar.Preset(1000, 500);
    EXPECT_EQ(DownloadFile("http://127.0.0.1:1/program.exe", target, DownloadKind::ReleaseFile,
                           std::nullopt, DownloadProgress{bar.Bar(), {}}, crypto),
              DownloadResult::Failed);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_TRUE(Holds(target, kWorkingFile));
    EXPECT_EQ(watch.Added(), std::vector<std::string>{});
}

// --- Progress and the caller's thread ---------------------------------------------------------

// The positions the bar was given, from the first on; the largest step between two of them.
int LargestStep(const std::vector<int>& positions) {
    int largest = 0;
    int previous = 0;
    for (int position : positions) {
        largest = std::max(largest, position - previous);
        previous = position;
    }
    return largest;
}

TEST_F(DownloadFileTest, BarClimbsWithTheBodyAndReadsZeroAtTheEnd) {
    bar.Preset(1000, 500);
    ASSERT_EQ(DownloadFile(ServerUrl("/fault/body/100000"), target, DownloadKind::ReleaseFile,
                           std::nullopt, DownloadProgress{bar.Bar(), [] {}}, crypto),
              DownloadResult::Stored);
    // The caller's thread shows the latest position whenever it is woken: never a step back
    // before the end, never beyond the body, 0 last.
    const std::vector<int>& positions = bar.SetPositionMessages().positions;
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.back(), 0);
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end() - 1));
    EXPECT_LE(*std::max_element(positions.begin(), positions.end()), 100000);
    EXPECT_EQ(bar.Maximum(), 100000);
}

TEST_F(DownloadFileTest, SlowBodyMovesTheBarAsEachPieceArrives) {
    // Pieces of 2000 and of 400 bytes a tenth of a second apart: the bar stands between 0 and
    // the end many times, moved by at most one piece (and a pixel column) at a time.
    struct Case {
        int bytes;
        int between;
    };
    for (const Case& c : {Case{20000, 9}, Case{4000, 8}}) {
        bar.Preset(1000, 0);
        const std::string route =
            "/fault/slow?seconds=1&bytes=" + std::to_string(c.bytes) + "&chunks=10";
        ASSERT_EQ(DownloadFile(ServerUrl(route), target, DownloadKind::ReleaseFile, std::nullopt,
                               DownloadProgress{bar.Bar(), {}}, crypto),
                  DownloadResult::Stored);
        EXPECT_TRUE(Holds(target, Pattern(c.bytes)));
        const std::vector<int>& positions = bar.SetPositionMessages().positions;
        const auto between = std::count_if(positions.begin(), positions.end(), [&](int position) {
            return position > 0 && position < c.bytes;
        });
        EXPECT_GE(between, c.between) << c.bytes;
        EXPECT_LE(LargestStep(positions), c.bytes / 10 + c.bytes / bar.ClientWidth() + 1)
            << c.bytes;
        EXPECT_EQ(bar.Position(), 0);
    }
}

TEST_F(DownloadFileTest, BarIsLeftAloneForAnEmptyBody) {
    bar.Preset(1000, 0);
    ASSERT_EQ(DownloadFile(ServerUrl("/fault/body/0"), target, DownloadKind::ReleaseFile,
                           std::nullopt, DownloadProgress{bar.Bar(), [] {}}, crypto),
              DownloadResult::Stored);
    EXPECT_EQ(bar.SetPositionMessages().positions, std::vector<int>{});
}

TEST_F(DownloadFileTest, BarIsToldOfANewPositionOnlyWhenItsFilledPartGrows) {
    // 1,000,000 bytes arrive in about 490 chunks, more than the bar has pixel columns.
    ASSERT_TRUE(Fetch("/fault/body/1000000"));
    const int columns = bar.ClientWidth();
    ASSERT_GT(columns, 100);
    const SetPositionRecord& messages = bar.SetPositionMessages();
    EXPECT_EQ(messages.repeated, 0);
    // 0 at the start, at most one per column, the end of the body, 0 at the return.
    EXPECT_LE(messages.positions.size(), static_cast<size_t>(columns + 3));
}

TEST_F(DownloadFileTest, WindowMessagesWaitingAreDeliveredDuringTheDownload) {
    const HWND window = bar.Window();
    PostMessageA(window, kTestMessage, 0, 0);
    int deliveredWhileRunning = -1;
    const DownloadProgress progress{bar.Bar(), [&] {
                                        ProcessPendingEvents(window);
                                        if (deliveredWhileRunning < 0) {
                                            deliveredWhileRunning = bar.TestMessagesDelivered();
                                        }
                                    }};
    ASSERT_EQ(DownloadFile(ServerUrl("/fault/body/10000"), target, DownloadKind::ReleaseFile,
                           std::nullopt, progress, crypto),
              DownloadResult::Stored);
    EXPECT_EQ(deliveredWhileRunning, 1);
}

TEST_F(DownloadFileTest, WithoutABarOrEventProcessingTheBodyIsStillSaved) {
    EXPECT_EQ(DownloadFile(ServerUrl("/fault/body/7000"), target, DownloadKind::ReleaseFile,
                           std::nullopt, DownloadProgress{}, crypto),
              DownloadResult::Stored);
    EXPECT_TRUE(Holds(target, Pattern(7000)));
}

TEST_F(DownloadFileTest, ExceptionFromEventProcessingFailsTheDownloadAndKeepsTheFile) {
    PlaceWorkingFile();
    const FolderWatch watch(target);
    bar.Preset(1000, 500);
    PostMessageA(bar.Window(), kTestMessage, 0, 0);  // events to process while it runs
    const DownloadProgress progress{bar.Bar(), [] { throw std::runtime_error("window gone"); }};
    EXPECT_EQ(DownloadFile(ServerUrl("/fault/slow?seconds=1&bytes=10000&chunks=10"), target,
                           DownloadKind::ReleaseFile, std::nullopt, progress, crypto),
              DownloadResult::Failed);
    EXPECT_TRUE(Holds(target, kWorkingFile));
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(watch.Added(), std::vector<std::string>{});
}

// --- Time-outs ----------------------------------------------------------------------------------

TEST_F(DownloadFileTest, ServerSilentForTheTimeOutFailsTheDownload) {
    using std::chrono::milliseconds;
    struct Case {
        const char* route;
        milliseconds silence;
        bool saved;
    };
    for (const Case& c :
         {Case{"/fault/silent?seconds=2", milliseconds(1000), false},
          Case{"/fault/slow?seconds=3&bytes=3000&chunks=2", milliseconds(1000), false},
          Case{"/fault/silent?seconds=2", WinInetTransport::kDefaultSilence, true}}) {
        PlaceWorkingFile();
        WinInetTransport http(c.silence);
        WindowsTemporaryFiles files;
        ProgressRelay noBar(nullptr);
        EXPECT_EQ(DownloadToFile(ServerUrl(c.route), target, DownloadKind::ReleaseFile,
                                 std::nullopt, http, files, noBar, crypto),
                  c.saved ? DownloadResult::Stored : DownloadResult::Failed)
            << c.route;
        EXPECT_TRUE(Holds(target, c.saved ? Pattern(3000) : std::string(kWorkingFile))) << c.route;
    }
}

// --- What the server sees ---------------------------------------------------------------------

TEST_F(DownloadFileTest, RequestIsAGetWithTheUserAgentQuillmere) {
    const std::string path = "/fault/body/10" + UniqueTag();
    ASSERT_TRUE(Fetch(path));
    const auto requests = LoggedRequests(path);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].find("\"method\": \"GET\""), std::string::npos) << requests[0];
    EXPECT_NE(requests[0].find("\"User-Agent\": \"Quillmere\""), std::string::npos) << requests[0];
}

TEST_F(DownloadFileTest, IdenticalDownloadsBothReachTheServerEvenWhenCacheable) {
    const std::string path = "/fault/cacheable/3000" + UniqueTag();
    ASSERT_TRUE(Fetch(path));
    ASSERT_TRUE(Fetch(path, folder / "second.bin"));
    EXPECT_EQ(LoggedRequests(path).size(), 2u);
    EXPECT_TRUE(Holds(folder / "second.bin", Pattern(3000)));
}

TEST_F(DownloadFileTest, OnlyAReleaseFileMayBeAnsweredByASharedCache) {
    const std::pair<DownloadKind, bool> kFresh[] = {{DownloadKind::UpdateInformation, true},
                                                    {DownloadKind::UpdateSignature, true},
                                                    {DownloadKind::ReleaseFile, false}};
    for (const auto& [kind, fresh] : kFresh) {
        const std::string path = "/fault/cacheable/3000" + UniqueTag();
        ASSERT_EQ(
            DownloadFile(ServerUrl(path), target, kind, std::nullopt, DownloadProgress{}, crypto),
            DownloadResult::Stored);
        const auto requests = LoggedRequests(path);
        ASSERT_EQ(requests.size(), 1u);
        for (const char* header : {"\"Cache-Control\": \"no-cache\"", "\"Pragma\": \"no-cache\""}) {
            EXPECT_EQ(requests[0].find(header) != std::string::npos, fresh) << requests[0];
        }
    }
}

TEST_F(DownloadFileTest, NothingDownloadedIsKeptInTheInternetCache) {
    const std::string url = ServerUrl("/fault/cacheable/3000" + UniqueTag());
    ASSERT_EQ(DownloadFile(url, target, DownloadKind::ReleaseFile, std::nullopt, DownloadProgress{},
                           crypto),
              DownloadResult::Stored);
    DWORD size = 0;
    EXPECT_FALSE(GetUrlCacheEntryInfoA(url.c_str(), nullptr, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
