// DownloadFile against the fixture server: what lands on disk (and what never does), what the
// progress bar shows, the event processing per chunk, and what the server sees of the requests.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "windows/app/EventPump.h"
#include "windows/net/DownloadFile.h"
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

// A query suffix no other request of any run carries, to find a test's own requests in the log.
std::string UniqueTag() {
    static int counter = 0;
    return "?tag=" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) +
           "-" + std::to_string(++counter);
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

// --- A hidden window with a real progress bar ------------------------------------------------

// The bar's PBM_SETPOS messages as the control received them.
struct SetPositionRecord {
    int count = 0;
    int repeated = 0;  // messages that asked for the position the bar already had
};

LRESULT CALLBACK RecordSetPosition(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR, DWORD_PTR data) {
    if (message == PBM_SETPOS) {
        auto* record = reinterpret_cast<SetPositionRecord*>(data);
        ++record->count;
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
    // what must hold after every call: the bar reads 0 and no temporary file is left.
    bool Fetch(const std::string& route, const std::string& path) {
        bar.Preset(1000, 500);
        const bool result = DownloadFile(ServerUrl(route), path, DownloadProgress{bar.Bar(), {}});
        EXPECT_EQ(bar.Position(), 0) << route;
        EXPECT_EQ(TemporaryFilesLeft(), std::vector<std::string>{}) << route;
        return result;
    }
    bool Fetch(const std::string& route) { return Fetch(route, target); }

    // Names in the folder ending in ".download" that the test did not put there itself.
    std::vector<std::string> TemporaryFilesLeft() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA entry;
        HANDLE listing = FindFirstFileA((folder / "*.download").c_str(), &entry);
        if (listing != INVALID_HANDLE_VALUE) {
            do {
                if (entry.cFileName != ownTemporaryName) {
                    names.push_back(entry.cFileName);
                }
            } while (FindNextFileA(listing, &entry));
            FindClose(listing);
        }
        return names;
    }

    // Something that must survive every failed download unchanged.
    void PlaceWorkingFile() { WriteFileBytes(target, kWorkingFile); }

    static constexpr const char* kWorkingFile = "MZ a working program that must not be lost";
    TempFolder folder;
    std::string target = folder / "program.exe";
    std::string ownTemporaryName;  // a "*.download" the test created on purpose
    ProgressWindow bar;
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

TEST_F(DownloadFileTest, ErrorStatusOtherThan404IsSavedAsTheBody) {
    EXPECT_TRUE(Fetch("/fault/status/500"));
    EXPECT_TRUE(Holds(target, "Status 500 page\n"));
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

TEST_F(DownloadFileTest, TakenTemporaryNameIsLeftAloneAndAnotherIsUsed) {
    ownTemporaryName = "program.exe.download";
    WriteFileBytes(folder / ownTemporaryName, "somebody else's file");
    EXPECT_TRUE(Fetch("/fault/body/4000"));
    EXPECT_TRUE(Holds(target, Pattern(4000)));
    EXPECT_TRUE(Holds(folder / ownTemporaryName, "somebody else's file"));
    EXPECT_FALSE(PathExists(folder / "program.exe.1.download"));
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

// --- URLs that never reach a reply ------------------------------------------------------------

TEST_F(DownloadFileTest, NonHttpUrlFailsAndKeepsTheExistingFile) {
    PlaceWorkingFile();
    const std::string source = folder / "source.txt";
    WriteFileBytes(source, "local bytes");
    for (const std::string& url : {"file:///" + source, std::string("ftp://127.0.0.1:1/file.bin"),
                                   std::string("not a url at all"), std::string("")}) {
        bar.Preset(1000, 500);
        EXPECT_FALSE(DownloadFile(url, target, DownloadProgress{bar.Bar(), {}})) << url;
        EXPECT_EQ(bar.Position(), 0) << url;
        EXPECT_TRUE(Holds(target, kWorkingFile)) << url;
        EXPECT_EQ(TemporaryFilesLeft(), std::vector<std::string>{}) << url;
    }
}

TEST_F(DownloadFileTest, UnreachablePortFailsAndKeepsTheExistingFile) {
    PlaceWorkingFile();
    bar.Preset(1000, 500);
    EXPECT_FALSE(
        DownloadFile("http://127.0.0.1:1/program.exe", target, DownloadProgress{bar.Bar(), {}}));
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_TRUE(Holds(target, kWorkingFile));
    EXPECT_EQ(TemporaryFilesLeft(), std::vector<std::string>{});
}

// --- Progress and event processing ------------------------------------------------------------

// The bar's position each time the download processed events.
class ChunkRecorder {
public:
    explicit ChunkRecorder(const ProgressWindow& bar) : bar_(bar) {}
    DownloadProgress Progress() {
        return DownloadProgress{bar_.Bar(), [this] { positions_.push_back(bar_.Position()); }};
    }
    const std::vector<int>& Positions() const { return positions_; }
    // The largest step of the bar between two event passes (from 0 before the first).
    int LargestStep() const {
        int largest = 0;
        int previous = 0;
        for (int position : positions_) {
            largest = std::max(largest, position - previous);
            previous = position;
        }
        return largest;
    }

private:
    const ProgressWindow& bar_;
    std::vector<int> positions_;
};

TEST_F(DownloadFileTest, EventsAreProcessedAfterEveryChunkOfAtMost2048Bytes) {
    ChunkRecorder chunks(bar);
    bar.Preset(1000, 500);
    ASSERT_TRUE(DownloadFile(ServerUrl("/fault/body/100000"), target, chunks.Progress()));
    // 100000 bytes in chunks of at most 2048, then the read that finds the end; the bar lags
    // behind the bytes received by less than one pixel column's worth.
    ASSERT_GE(chunks.Positions().size(), 100000 / 2048 + 2);
    EXPECT_LE(chunks.LargestStep(), 2048 + 100000 / bar.ClientWidth() + 1);
    EXPECT_EQ(chunks.Positions().back(), 100000);
    EXPECT_TRUE(std::is_sorted(chunks.Positions().begin(), chunks.Positions().end()));
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(bar.Maximum(), 100000);
}

TEST_F(DownloadFileTest, SlowBodyMovesTheBarAsEachPieceArrives) {
    ChunkRecorder chunks(bar);
    ASSERT_TRUE(DownloadFile(ServerUrl("/fault/slow?seconds=1&bytes=20000&chunks=10"), target,
                             chunks.Progress()));
    EXPECT_TRUE(Holds(target, Pattern(20000)));
    // Ten pieces a tenth of a second apart: the bar stands between 0 and the end many times.
    const auto& positions = chunks.Positions();
    const auto between = std::count_if(positions.begin(), positions.end(), [](int position) {
        return position > 0 && position < 20000;
    });
    EXPECT_GE(between, 9);
    EXPECT_LE(chunks.LargestStep(), 2048 + 20000 / bar.ClientWidth() + 1);
    EXPECT_EQ(positions.back(), 20000);
    EXPECT_EQ(bar.Position(), 0);
}

TEST_F(DownloadFileTest, SlowSmallPiecesLetEventsThroughOneByOne) {
    // 400-byte pieces a tenth of a second apart: the window must not wait for 2048 bytes.
    ChunkRecorder chunks(bar);
    ASSERT_TRUE(DownloadFile(ServerUrl("/fault/slow?seconds=1&bytes=4000&chunks=10"), target,
                             chunks.Progress()));
    EXPECT_TRUE(Holds(target, Pattern(4000)));
    const auto& positions = chunks.Positions();
    const auto between = std::count_if(positions.begin(), positions.end(), [](int position) {
        return position > 0 && position < 4000;
    });
    EXPECT_GE(between, 8);
    EXPECT_EQ(positions.back(), 4000);
}

TEST_F(DownloadFileTest, EventsAreProcessedEvenWhenTheBarIsLeftAlone) {
    ChunkRecorder chunks(bar);
    bar.Preset(1000, 0);
    ASSERT_TRUE(DownloadFile(ServerUrl("/fault/body/0"), target, chunks.Progress()));
    EXPECT_EQ(chunks.Positions(), std::vector<int>{0});  // the one read that finds the end
    EXPECT_EQ(bar.SetPositionMessages().count, 0);
}

TEST_F(DownloadFileTest, BarIsToldOfANewPositionOnlyWhenItsFilledPartGrows) {
    // 1,000,000 bytes arrive in about 490 chunks, more than the bar has pixel columns.
    ASSERT_TRUE(Fetch("/fault/body/1000000"));
    const int columns = bar.ClientWidth();
    ASSERT_GT(columns, 100);
    const SetPositionRecord& messages = bar.SetPositionMessages();
    EXPECT_EQ(messages.repeated, 0);
    // 0 at the start, at most one per column, the end of the body, 0 at the return.
    EXPECT_LE(messages.count, columns + 3);
    EXPECT_GE(messages.count, columns / 2);
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
    ASSERT_TRUE(DownloadFile(ServerUrl("/fault/body/10000"), target, progress));
    EXPECT_EQ(deliveredWhileRunning, 1);
}

TEST_F(DownloadFileTest, WithoutABarOrEventProcessingTheBodyIsStillSaved) {
    EXPECT_TRUE(DownloadFile(ServerUrl("/fault/body/7000"), target, DownloadProgress{}));
    EXPECT_TRUE(Holds(target, Pattern(7000)));
}

TEST_F(DownloadFileTest, ExceptionFromEventProcessingFailsTheDownloadAndKeepsTheFile) {
    PlaceWorkingFile();
    bar.Preset(1000, 500);
    const DownloadProgress progress{bar.Bar(), [] { throw std::runtime_error("window gone"); }};
    EXPECT_FALSE(DownloadFile(ServerUrl("/fault/body/10000"), target, progress));
    EXPECT_TRUE(Holds(target, kWorkingFile));
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(TemporaryFilesLeft(), std::vector<std::string>{});
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

}  // namespace
