// The window as users see it, on the real quillmere.exe: the main window's frame, controls,
// keyboard order and painting; the About entry of the system menu and the About box; the icon
// and version resources; the shipped translations.
//
// The suite runs at 96 DPI and, each in a Wine prefix of its own, at 120, 144 and 192 DPI
// (tests/e2e/run-at-dpi sets QUILLMERE_EXPECTED_DPI): every place and size is then expected
// scaled by DPI / 96.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "QuillmereVersion.h"
#include "windows/ui/MainWindowLayout.h"
#include "e2e/TestTexts.h"
#include "e2e/UiDriver.h"
#include "e2e/WindowProbe.h"
#include "windows/ui/HelpAbout.h"
#include "windows/ui/SystemMenuHook.h"

namespace e2e {
namespace {

// The program is DPI-aware; so is this test, or the system would show it every place and size
// scaled back to 96 DPI.
const bool kDpiAware = SetProcessDPIAware() != FALSE;

// ---- Expectations at the display's DPI
// ------------------------------------------------------------

int ExpectedDpi() {
    const char* value = std::getenv("QUILLMERE_EXPECTED_DPI");
    return value != nullptr ? std::atoi(value) : 96;
}

int Scaled(int pixels) {
    return MulDiv(pixels, ExpectedDpi(), 96);
}

// Left, top, width, height at 96 DPI, as the rectangle expected at the display's DPI.
RECT ScaledRect(int left, int top, int width, int height) {
    return RECT{Scaled(left), Scaled(top), Scaled(left + width), Scaled(top + height)};
}

std::string Describe(const RECT& rect) {
    return "(" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ") - (" +
           std::to_string(rect.right) + ", " + std::to_string(rect.bottom) + ")";
}

void ExpectRect(const RECT& actual, const RECT& expected, const std::string& what) {
    EXPECT_EQ(Describe(actual), Describe(expected)) << what;
}

std::string DpiName() {
    return std::to_string(ExpectedDpi()) + "dpi";
}

// ---- Screenshots --------------------------------------------------------------------------------

// A screenshot of one window, kept under the build folder, read back pixel by pixel in the
// window's client coordinates.
class WindowPicture {
public:
    WindowPicture(HWND window, const std::string& name) : path_(BuildPath("screenshots\\" + name)) {
        CreateDirectoryA(BuildPath("screenshots").c_str(), nullptr);
        SaveScreenshot(path_, window);
        bytes_ = ReadFileText(path_);
        RECT frame;
        GetWindowRect(window, &frame);
        POINT origin = {0, 0};
        ClientToScreen(window, &origin);
        clientLeft_ = origin.x - frame.left;
        clientTop_ = origin.y - frame.top;
        width_ = *reinterpret_cast<const LONG*>(bytes_.data() + 18);
        height_ = *reinterpret_cast<const LONG*>(bytes_.data() + 22);
    }

    // The colour at client point (x, y).
    COLORREF At(int x, int y) const {
        const int column = clientLeft_ + x;
        const int row = clientTop_ + y;
        if (column < 0 || row < 0 || column >= width_ || row >= height_) {
            return CLR_INVALID;
        }
        const int rowSize = (width_ * 3 + 3) & ~3;
        const std::size_t at =
            54 + static_cast<std::size_t>(height_ - 1 - row) * rowSize + column * 3;
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes_[at + i]); };
        return RGB(byte(2), byte(1), byte(0));
    }

    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::string bytes_;
    int clientLeft_ = 0, clientTop_ = 0, width_ = 0, height_ = 0;
};

std::string DescribeColour(COLORREF colour) {
    return "RGB(" + std::to_string(GetRValue(colour)) + ", " + std::to_string(GetGValue(colour)) +
           ", " + std::to_string(GetBValue(colour)) + ")";
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
           std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

void ExpectColour(const WindowPicture& picture, int x, int y, COLORREF expected, int tolerance,
                  const std::string& what) {
    const COLORREF actual = picture.At(x, y);
    EXPECT_TRUE(Near(actual, expected, tolerance))
        << what << " at (" << x << ", " << y << "): " << DescribeColour(actual) << ", expected "
        << DescribeColour(expected) << " (" << picture.Path() << ")";
}

struct ExpectedPixel {
    int x, y;         // client point
    COLORREF colour;  // the colour it shows once painted
};

// Waits until the window shows every pixel as expected: the window and its controls have been
// painted (the screen is black where nothing has been painted yet).
void WaitUntilPainted(HWND window, std::initializer_list<ExpectedPixel> pixels) {
    std::string shown;
    WaitUntil(
        [&] {
            HDC screen = GetDC(nullptr);
            bool painted = true;
            shown.clear();
            for (const ExpectedPixel& pixel : pixels) {
                POINT point = {pixel.x, pixel.y};
                ClientToScreen(window, &point);
                const COLORREF colour = GetPixel(screen, point.x, point.y);
                painted = painted && Near(colour, pixel.colour, 8);
                shown += DescribeColour(colour) + " ";
            }
            ReleaseDC(nullptr, screen);
            return painted;
        },
        "the window painted", [&] { return shown; });
}

// Has the program carry out the paints still pending for the window and its controls (without
// asking for any new one), then waits until the band's stripe, the title's box and the log show.
void WaitUntilMainWindowPainted(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    WaitUntilPainted(window, {{Scaled(247), Scaled(72), RGB(153, 204, 255)},
                              {Scaled(9), Scaled(8), RGB(255, 255, 255)},
                              {Scaled(240), Scaled(250), RGB(255, 255, 255)}});
}

// ---- The program --------------------------------------------------------------------------------

constexpr const char* kConfiguration =
    "ADR http://127.0.0.1:9/updates.txt\r\n"
    "LOC \\version.txt\r\n"
    "TIT Inkwell Notes\r\n";

std::string WithAboutTitle(const std::string& title) {
    return std::regex_replace(kTestLanguageFile, std::regex("HelpAbout\\.Title=[^\\r]*"),
                              "HelpAbout.Title=" + title);
}

// The English language file as shipped: the screenshots show the program as users see it.
std::string ShippedEnglish() {
    return ReadFileText(SourcePath("lang\\quillmere.lng"));
}

// quillmere.exe started in a folder of its own, its main window shown.
class StartedUpdater {
public:
    explicit StartedUpdater(const std::string& language = kTestLanguageFile,
                            const std::string& configuration = kConfiguration,
                            const std::string& programFileName = "quillmere.exe")
        : folder_(programFileName),
          program_(Start(folder_, language, configuration)),
          window_(program_.WaitForMainWindow()) {}

    const ProgramFolder& Folder() const { return folder_; }
    const Program& Process() const { return program_; }
    const MainWindow& Window() const { return window_; }
    HWND Handle() const { return window_.Handle(); }

private:
    static Program Start(const ProgramFolder& folder, const std::string& language,
                         const std::string& configuration) {
        folder.WriteLanguageFile(language);
        folder.WriteConfiguration(configuration);
        folder.WriteFile("version.txt", "VER 1.0\r\n");
        return Program::Start(folder);
    }

    ProgramFolder folder_;
    Program program_;
    MainWindow window_;
};

// ---- The About box, seen from outside -----------------------------------------------------------

void WaitUntilGone(HWND window, const Program& program) {
    WaitUntil([&] { return !IsWindow(window); }, "the About box closed",
              [&] { return program.Describe(); });
}

HWND OpenAboutBox(const StartedUpdater& updater) {
    PostMessageA(updater.Handle(), WM_SYSCOMMAND, kSystemMenuAboutId, 0);
    return updater.Process().WaitForAboutBox();
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

void PostKey(HWND target, WORD key) {
    const UINT scanCode = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
    PostMessageA(target, WM_KEYDOWN, key, 1 | (scanCode << 16));
    PostMessageA(target, WM_KEYUP, key, 1 | (scanCode << 16) | 0xC0000000);
}

// Round trip through the program's message queue: everything posted before has been handled.
void Settle(const StartedUpdater& updater) {
    updater.Window().Caption();
    Sleep(200);
    updater.Window().Caption();
}

// ---- Main window
// ----------------------------------------------------------------------------------

TEST(MainWindowLayoutTest, FrameIsFixedWithCloseBoxOnlyAndClientAreaCentred) {
    StartedUpdater updater;
    const RECT client = updater.Window().ClientRect();
    EXPECT_EQ(client.right - client.left, Scaled(494));
    EXPECT_EQ(client.bottom - client.top, Scaled(368));

    const LONG_PTR style = GetWindowLongPtrA(updater.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "the window must not be resizable";
    EXPECT_TRUE(style & WS_BORDER);

    RECT frame;
    GetWindowRect(updater.Handle(), &frame);
    const int middleX = (frame.left + frame.right) / 2;
    const int middleY = (frame.top + frame.bottom) / 2;
    EXPECT_NEAR(middleX, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR(middleY, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
}

TEST(MainWindowLayoutTest, EveryControlStandsAtItsPlace) {
    StartedUpdater updater;
    const MainWindow& window = updater.Window();
    ExpectRect(window.ControlRect(kTitleLabelId), ScaledRect(8, 8, 417, 57), "lTitle");
    ExpectRect(window.ControlRect(kLogId), ScaledRect(7, 80, 480, 209), "tbDialog");
    ExpectRect(window.ControlRect(kProgressBarId), ScaledRect(7, 296, 480, 25), "pbProgressBar");
    ExpectRect(window.ControlRect(kUpdateButtonId), ScaledRect(320, 336, 81, 23), "cbUpdate");
    ExpectRect(window.ControlRect(kCloseButtonId), ScaledRect(408, 336, 81, 23), "cbClose");
}

TEST(MainWindowLayoutTest, ControlsHaveTheirStylesRangeAndFonts) {
    StartedUpdater updater;
    const MainWindow& window = updater.Window();

    const LONG_PTR log = GetWindowLongPtrA(window.Control(kLogId), GWL_STYLE);
    EXPECT_TRUE(log & ES_MULTILINE);
    EXPECT_TRUE(log & ES_READONLY);
    EXPECT_TRUE(log & WS_VSCROLL);
    EXPECT_TRUE(log & WS_VISIBLE);
    EXPECT_TRUE(IsWindowEnabled(window.Control(kLogId)));

    // Neither button is a default button of the window.
    for (int id : {kUpdateButtonId, kCloseButtonId}) {
        const LONG_PTR button = GetWindowLongPtrA(window.Control(id), GWL_STYLE);
        EXPECT_EQ(button & BS_TYPEMASK, BS_PUSHBUTTON) << "button " << id;
    }

    HWND bar = window.Control(kProgressBarId);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 0);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 0);

    // Arial 18 points bold, character set 0; the same scale for the other controls' font.
    WindowProbe probe(updater.Handle());
    EXPECT_EQ(probe.Fact("font", "title"),
              "Arial|" + std::to_string(-MulDiv(18, ExpectedDpi(), 72)) + "|700|0");
    const std::string logFont = probe.Fact("font", "log");
    EXPECT_EQ(logFont,
              "MS Shell Dlg|" + std::to_string(-MulDiv(825, ExpectedDpi(), 7200)) + "|400|0");
    EXPECT_EQ(probe.Fact("font", "update"), logFont);
}

TEST(MainWindowLayoutTest, WindowCarriesTheApplicationIconBigAndSmall) {
    StartedUpdater updater;
    WindowProbe probe(updater.Handle());
    const std::string big = std::to_string(GetSystemMetrics(SM_CXICON));
    const std::string small = std::to_string(GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(probe.Fact("icon", "big"), big + "x" + big);
    EXPECT_EQ(probe.Fact("icon", "small"), small + "x" + small);
}

TEST(MainWindowLayoutTest, FocusStartsOnUpdateAndTabCyclesUpdateCloseLog) {
    StartedUpdater updater;
    const MainWindow& window = updater.Window();
    HWND update = window.Control(kUpdateButtonId);
    HWND close = window.Control(kCloseButtonId);
    HWND log = window.Control(kLogId);
    WaitUntil([&] { return window.FocusedControl() == update; }, "the focus on cbUpdate",
              [&] { return window.Describe(); });

    for (HWND next : {close, log, update, close}) {
        window.PressKey(VK_TAB);
        WaitUntil(
            [&] { return window.FocusedControl() == next; },
            "Tab to control " + std::to_string(GetDlgCtrlID(next)),
            [&] { return "focus on " + std::to_string(GetDlgCtrlID(window.FocusedControl())); });
    }
}

TEST(MainWindowLayoutTest, LogIgnoresTypingAndEscLeavesTheWindowOpen) {
    StartedUpdater updater;
    const MainWindow& window = updater.Window();
    const std::string welcome = window.Log();
    HWND log = window.Control(kLogId);

    PostMessageA(log, WM_CHAR, 'x', 1);
    PostKey(log, VK_BACK);
    PostKey(log, VK_DELETE);
    // Esc in a multi-line edit of a dialog would ask the window to close; not in this window.
    PostKey(log, VK_ESCAPE);
    PostKey(log, VK_RETURN);
    Settle(updater);
    EXPECT_EQ(window.Log(), welcome);
    EXPECT_TRUE(window.Exists());
    EXPECT_TRUE(updater.Process().IsRunning());
}

TEST(MainWindowLayoutTest, EnterAndEscOnAButtonDoNothing) {
    StartedUpdater updater;
    const MainWindow& window = updater.Window();
    const std::string welcome = window.Log();
    HWND update = window.Control(kUpdateButtonId);
    WaitUntil([&] { return window.FocusedControl() == update; }, "the focus on cbUpdate",
              [&] { return window.Describe(); });
    // Neither a default button (Enter) nor a cancel button (Esc): no run, no close.
    window.PressKey(VK_RETURN);
    window.PressKey(VK_ESCAPE);
    Settle(updater);
    EXPECT_EQ(window.Log(), welcome);
    EXPECT_TRUE(window.UpdateButtonEnabled());
    EXPECT_TRUE(updater.Process().IsRunning());
}

TEST(MainWindowLayoutTest, LogTextCanBeSelectedAndCopied) {
    StartedUpdater updater;
    HWND log = updater.Window().Control(kLogId);
    SendMessageA(log, EM_SETSEL, 0, 9);
    // Only the result form of EM_GETSEL: its pointers would point into this process.
    const LRESULT selection = SendMessageA(log, EM_GETSEL, 0, 0);
    EXPECT_EQ(LOWORD(selection), 0);
    EXPECT_EQ(HIWORD(selection), 9);

    SendMessageA(log, WM_COPY, 0, 0);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_TEXT);
    const std::string copied = data != nullptr ? static_cast<const char*>(GlobalLock(data)) : "";
    if (data != nullptr) {
        GlobalUnlock(data);
    }
    CloseClipboard();
    EXPECT_EQ(copied, updater.Window().Log().substr(0, 9));
}

TEST(MainWindowLayoutTest, HeaderBandStripeAndSeparatorArePainted) {
    StartedUpdater updater(ShippedEnglish());
    WaitUntilMainWindowPainted(updater.Handle());
    const WindowPicture picture(updater.Handle(), "main-window-" + DpiName() + ".bmp");
    const COLORREF white = RGB(255, 255, 255);
    const COLORREF darkBlue = RGB(0, 0, 102);
    const COLORREF lightBlue = RGB(153, 204, 255);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const int right = Scaled(494) - 1;

    // The band's white part, around the title and the logo.
    ExpectColour(picture, 0, 0, white, 0, "band, top left");
    ExpectColour(picture, Scaled(200), Scaled(69), white, 0, "band under the title");
    ExpectColour(picture, Scaled(430), Scaled(30), white, 0, "band left of the logo");
    ExpectColour(picture, right, Scaled(30), white, 0, "band right of the logo");
    // The logo on it: the mere's blue in the middle of its box.
    const COLORREF logo = picture.At(Scaled(432 + 26), Scaled(8 + 40));
    EXPECT_GT(GetBValue(logo), GetRValue(logo) + 60) << DescribeColour(logo);

    // The stripe, rows 70 to 74: dark blue at both ends, light blue in the middle.
    for (int row : {70, 74}) {
        ExpectColour(picture, 0, Scaled(row), darkBlue, 6, "stripe, left end");
        ExpectColour(picture, right, Scaled(row), darkBlue, 6, "stripe, right end");
        ExpectColour(picture, Scaled(247), Scaled(row), lightBlue, 3, "stripe, middle");
    }
    ExpectColour(picture, Scaled(123), Scaled(72), RGB(77, 102, 179), 6, "stripe, a quarter in");
    ExpectColour(picture, Scaled(100), Scaled(75), face, 0, "under the stripe");

    // The etched separator: rows 328 and 329 across the whole width.
    for (int x : {0, Scaled(247), right}) {
        ExpectColour(picture, x, Scaled(328), RGB(172, 168, 153), 0, "separator, top row");
        ExpectColour(picture, x, Scaled(330) - 1, white, 0, "separator, bottom row");
        ExpectColour(picture, x, Scaled(328) - 1, face, 0, "above the separator");
        ExpectColour(picture, x, Scaled(330), face, 0, "below the separator");
    }
    // The log's background is white, though it is read-only.
    ExpectColour(picture, Scaled(240), Scaled(250), white, 0, "log background");
}

TEST(MainWindowLayoutTest, LongTitleWrapsInsideItsBoxAndNothingMoves) {
    const std::string title =
        "Inkwell Notes Professional Edition with the Spelling Dictionaries and the Extra "
        "Templates for Letters, Reports and Invoices";
    StartedUpdater updater(kTestLanguageFile, "TIT " + title + "\r\n");
    EXPECT_EQ(updater.Window().Title(), title);
    ExpectRect(updater.Window().ControlRect(kTitleLabelId), ScaledRect(8, 8, 417, 57), "lTitle");
    ExpectRect(updater.Window().ControlRect(kLogId), ScaledRect(7, 80, 480, 209), "tbDialog");
    const LONG_PTR style = GetWindowLongPtrA(updater.Window().Control(kTitleLabelId), GWL_STYLE);
    EXPECT_EQ(style & SS_TYPEMASK, SS_LEFT) << "a left-aligned label that wraps its words";

    WaitUntilMainWindowPainted(updater.Handle());
    const WindowPicture picture(updater.Handle(), "main-window-long-title-" + DpiName() + ".bmp");
    // Text on the second line, and the rows between the box and the stripe stay white.
    bool secondLineInk = false;
    for (int x = Scaled(8); x < Scaled(425); ++x) {
        secondLineInk |= !Near(picture.At(x, Scaled(50)), RGB(255, 255, 255), 60);
    }
    EXPECT_TRUE(secondLineInk) << "the title wraps to a second line";
    for (int x = Scaled(8); x < Scaled(425); ++x) {
        ExpectColour(picture, x, Scaled(67), RGB(255, 255, 255), 0, "below the title's box");
    }
}

// ---- System menu and About box ------------------------------------------------------------------

TEST(SystemMenuTest, AboutEntryFollowsASeparatorAtTheEndOfTheSystemMenu) {
    StartedUpdater updater;
    WindowProbe probe(updater.Handle());
    const std::vector<SystemMenuEntry> entries = probe.SystemMenu();
    ASSERT_GE(entries.size(), 3u);
    const SystemMenuEntry& separator = entries[entries.size() - 2];
    const SystemMenuEntry& about = entries.back();
    EXPECT_TRUE(separator.separator);
    EXPECT_EQ(separator.id, 1000u);
    EXPECT_FALSE(about.separator);
    EXPECT_EQ(about.id, 1001u);
    EXPECT_EQ(about.text, "[About]");
    // The standard entries are still there, Close among them.
    bool close = false;
    for (const SystemMenuEntry& entry : entries) {
        close |= entry.id == SC_CLOSE;
    }
    EXPECT_TRUE(close);
}

TEST(SystemMenuTest, AboutCommandOpensTheBoxModallyWithItsCaptionFromTheLanguageFile) {
    StartedUpdater updater(WithAboutTitle("About Inkwell's updater"));
    HWND box = OpenAboutBox(updater);
    EXPECT_EQ(WindowText(box), "About Inkwell's updater");
    // Modal: the main window takes no input while the box is open, and again afterwards.
    EXPECT_FALSE(IsWindowEnabled(updater.Handle()));
    // Shown without the main window as its owner.
    EXPECT_NE(GetWindow(box, GW_OWNER), updater.Handle());
    WaitUntil([&] { return FocusOf(box) == GetDlgItem(box, kAboutOkButtonId); }, "focus on cbOk",
              [&] { return updater.Process().Describe(); });

    PostKey(GetDlgItem(box, kAboutOkButtonId), VK_ESCAPE);
    WaitUntilGone(box, updater.Process());
    EXPECT_TRUE(IsWindowEnabled(updater.Handle()));
    EXPECT_TRUE(updater.Window().Exists());
}

TEST(SystemMenuTest, ClosingTheBoxGivesTheFocusBackToTheControlThatHadIt) {
    StartedUpdater updater;
    const MainWindow& window = updater.Window();
    HWND close = window.Control(kCloseButtonId);
    window.PressKey(VK_TAB);
    WaitUntil([&] { return window.FocusedControl() == close; }, "the focus on cbClose",
              [&] { return window.Describe(); });

    HWND box = OpenAboutBox(updater);
    PostKey(GetDlgItem(box, kAboutOkButtonId), VK_ESCAPE);
    WaitUntilGone(box, updater.Process());
    WaitUntil([&] { return window.FocusedControl() == close; }, "the focus back on cbClose",
              [&] { return "focus on " + std::to_string(GetDlgCtrlID(window.FocusedControl())); });
    EXPECT_EQ(GetForegroundWindow(), updater.Handle());
}

TEST(SystemMenuTest, ChangedLanguageFileShowsItsNewCaptionAtTheNextOpening) {
    StartedUpdater updater(WithAboutTitle("First caption"));
    HWND box = OpenAboutBox(updater);
    EXPECT_EQ(WindowText(box), "First caption");
    PostKey(GetDlgItem(box, kAboutOkButtonId), VK_RETURN);
    WaitUntilGone(box, updater.Process());

    updater.Folder().WriteLanguageFile(WithAboutTitle("Second caption"));
    box = OpenAboutBox(updater);
    EXPECT_EQ(WindowText(box), "Second caption");
    PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
    WaitUntilGone(box, updater.Process());

    // A language file without the key gives an empty caption; the box opens all the same.
    updater.Folder().WriteLanguageFile("[Quillmere]\r\n");
    box = OpenAboutBox(updater);
    EXPECT_EQ(WindowText(box), "");
    ClickButton(GetDlgItem(box, kAboutOkButtonId));
    WaitUntilGone(box, updater.Process());
}

TEST(SystemMenuTest, RenamedProgramTakesTheBoxCaptionFromTheLanguageFileOfItsName) {
    StartedUpdater updater(WithAboutTitle("About the renamed updater"), kConfiguration,
                           "Inkwell Update.exe");
    HWND box = OpenAboutBox(updater);
    EXPECT_EQ(WindowText(box), "About the renamed updater");
    PostKey(GetDlgItem(box, kAboutOkButtonId), VK_ESCAPE);
    WaitUntilGone(box, updater.Process());
}

TEST(SystemMenuTest, AltOClosesTheBox) {
    StartedUpdater updater;
    HWND box = OpenAboutBox(updater);
    HWND ok = GetDlgItem(box, kAboutOkButtonId);
    PostMessageA(ok, WM_SYSKEYDOWN, 'O', 1 | (1 << 29));
    PostMessageA(ok, WM_SYSCHAR, 'o', 1 | (1 << 29));
    PostMessageA(ok, WM_SYSKEYUP, 'O', 1 | (1 << 29) | 0xC0000000);
    WaitUntilGone(box, updater.Process());
}

TEST(SystemMenuTest, OnlyTheExactAboutCommandOpensTheBoxOthersPassOn) {
    StartedUpdater updater;
    // The separator's id and ids that differ only in the low bits open nothing.
    for (WPARAM command : {WPARAM{1000}, WPARAM{1002}, WPARAM{1001 | 0x10000}}) {
        PostMessageA(updater.Handle(), WM_SYSCOMMAND, command, 0);
    }
    Settle(updater);
    EXPECT_EQ(updater.Process().FindWindowOfClass("#32770"), nullptr)
        << updater.Process().Describe();
    EXPECT_TRUE(IsWindowEnabled(updater.Handle()));

    // A standard command still reaches the window: the close box closes it, and the program
    // ends normally (the hook is removed just before the window goes).
    updater.Window().PressCloseBox();
    EXPECT_EQ(updater.Process().WaitForExit(), 0u);
}

TEST(SystemMenuTest, AboutBoxOpensWhileAnUpdateCheckRunsAndAfterARefusedClose) {
    // The update information arrives slowly: the run stays under way for seconds. It is a few
    // kilobytes long, so the download hands back several chunks and lets events through between
    // them (a read returns once its buffer of 2 KB is full).
    FixtureFolder server("AboutBoxOpensWhileAnUpdateCheckRuns");
    std::string updates = "CMV 0.5;Older;" + server.Url("none.txt") + "\r\n";
    while (updates.size() < 32768) {
        updates += "TIT Inkwell\r\n";
    }
    server.WriteFile("updates.txt", updates);
    // The same file through the server's slow route: /fault/slow/<folder>/updates.txt.
    const std::string base = RequiredEnvironment("QUILLMERE_FIXTURE_URL");
    const std::string slowUrl =
        base + "/fault/slow" + server.Url("updates.txt").substr(base.size()) + "?seconds=6";
    StartedUpdater updater(kTestLanguageFile,
                           "ADR " + slowUrl + "\r\nLOC \\version.txt\r\nTIT Inkwell\r\n");
    const MainWindow& window = updater.Window();
    window.ClickUpdate();
    WaitUntil([&] { return !window.UpdateButtonEnabled(); }, "the run under way",
              [&] { return window.Describe(); });

    // The close is refused during the run; the About entry still works.
    window.PressCloseBox();
    Settle(updater);
    ASSERT_TRUE(window.Exists());
    HWND box = OpenAboutBox(updater);
    EXPECT_EQ(WindowText(box), "[About Quillmere]");
    // The run waits, in the middle of its download, until the box is closed.
    Sleep(1500);
    EXPECT_FALSE(window.UpdateButtonEnabled()) << window.Describe();
    EXPECT_EQ(window.LogLines(), std::vector<std::string>{"[Research %CRLF%]"});
    PostKey(GetDlgItem(box, kAboutOkButtonId), VK_ESCAPE);
    WaitUntilGone(box, updater.Process());

    // The run goes on to its end; the buttons come back and the window still takes commands.
    window.WaitUntilIdle();
    EXPECT_EQ(window.LogLines().back(), "[Scan finished]") << window.Describe();
    EXPECT_TRUE(window.Exists());
}

TEST(AboutBoxTest, ShowsProductVersionLicenceThanksAndRightsNotice) {
    StartedUpdater updater;
    HWND box = OpenAboutBox(updater);
    EXPECT_EQ(WindowText(GetDlgItem(box, kAboutProductNameId)),
              "Quillmere for Microsoft\xAE Windows\xAE");
    // The build's version, from its version information: four numbers, the last always 0.
    EXPECT_EQ(WindowText(GetDlgItem(box, kAboutVersionId)), "Version : " QUILLMERE_VERSION ".0");
    EXPECT_EQ(WindowText(GetDlgItem(box, kAboutOkButtonId)), "&Ok");
    EXPECT_EQ(WindowText(GetDlgItem(box, kAboutCopyrightId)),
              "Copyright \xA9 2026 The Quillmere developers.");

    EXPECT_EQ(WindowText(GetDlgItem(box, kAboutThanksId)),
              "Thanks to all those who took part closely or by far in the development of Quillmere."
              "\r\n\r\nBeta Testers :\r\n"
              "everyone who tried the early versions and told us what they found.");

    // Every paragraph of the licence names the program.
    std::string licence = WindowText(GetDlgItem(box, kAboutLicenseId));
    EXPECT_NE(licence.find("MIT"), std::string::npos);
    int paragraphs = 0;
    for (std::size_t start = 0; start < licence.size();) {
        std::size_t end = licence.find("\r\n\r\n", start);
        const std::string paragraph = licence.substr(start, end - start);
        EXPECT_NE(paragraph.find("Quillmere"), std::string::npos) << paragraph;
        ++paragraphs;
        start = end == std::string::npos ? licence.size() : end + 4;
    }
    EXPECT_GE(paragraphs, 2);

    // cbOk is the default button: Enter closes the box.
    const LONG_PTR okStyle = GetWindowLongPtrA(GetDlgItem(box, kAboutOkButtonId), GWL_STYLE);
    EXPECT_EQ(okStyle & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    PostKey(GetDlgItem(box, kAboutOkButtonId), VK_RETURN);
    WaitUntilGone(box, updater.Process());
}

// The box that `text` takes in a left-aligned label `width` pixels wide in the program's dialog
// font (MS Shell Dlg, 8.25 points, at the test's DPI), as the label breaks its lines.
RECT DialogFontTextBox(const std::string& text, int width) {
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontA(-MulDiv(825, ExpectedDpi(), 7200), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                             FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Shell Dlg");
    HGDIOBJ previous = SelectObject(dc, font);
    RECT box = {0, 0, width, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &box,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    SelectObject(dc, previous);
    DeleteObject(font);
    DeleteDC(dc);
    return box;
}

TEST(AboutBoxTest, LayoutFrameAndPainting) {
    StartedUpdater updater(ShippedEnglish());
    HWND box = OpenAboutBox(updater);
    RECT client;
    GetClientRect(box, &client);
    EXPECT_EQ(client.right, Scaled(415));
    EXPECT_EQ(client.bottom, Scaled(448));
    const LONG_PTR style = GetWindowLongPtrA(box, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrA(box, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME);
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    // An owned window gets no task-bar button: its owner is a hidden window of its own.
    HWND owner = GetWindow(box, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_FALSE(IsWindowVisible(owner));

    RECT frame;
    GetWindowRect(box, &frame);
    EXPECT_NEAR((frame.left + frame.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    const auto place = [&](int id) {
        RECT rect;
        GetWindowRect(GetDlgItem(box, id), &rect);
        MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    };
    ExpectRect(place(kAboutOkButtonId), ScaledRect(320, 416, 81, 23), "cbOk");
    ExpectRect(place(kAboutThanksId), ScaledRect(70, 320, 323, 89), "lThanks");
    // Its text fits in that box: wrapped as the label wraps it, in the dialog font, no line runs
    // past its bottom.
    const RECT thanksBox = place(kAboutThanksId);
    const RECT thanksNeeded = DialogFontTextBox(WindowText(GetDlgItem(box, kAboutThanksId)),
                                                thanksBox.right - thanksBox.left);
    EXPECT_LE(thanksNeeded.right, thanksBox.right - thanksBox.left);
    EXPECT_LE(thanksNeeded.bottom, thanksBox.bottom - thanksBox.top) << "the thanks are cut";
    ExpectRect(place(kAboutLicenseId), ScaledRect(70, 128, 323, 185), "lLicense");
    ExpectRect(place(kAboutIconId), ScaledRect(16, 88, 36, 36), "iIcon");
    // Labels that size themselves to their text: their place and height are fixed.
    for (int id : {kAboutProductNameId, kAboutVersionId, kAboutCopyrightId}) {
        const RECT rect = place(id);
        EXPECT_EQ(rect.bottom - rect.top, Scaled(13)) << id;
        EXPECT_GT(rect.right - rect.left, Scaled(40)) << id;
    }
    EXPECT_EQ(place(kAboutProductNameId).left, Scaled(70));
    EXPECT_EQ(place(kAboutProductNameId).top, Scaled(88));
    EXPECT_EQ(place(kAboutVersionId).top, Scaled(104));
    EXPECT_EQ(place(kAboutCopyrightId).left, Scaled(16));
    EXPECT_EQ(place(kAboutCopyrightId).top, Scaled(416));
    EXPECT_LT(place(kAboutCopyrightId).right, place(kAboutOkButtonId).left)
        << "the rights notice must not run under the button";

    RedrawWindow(box, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    WaitUntilPainted(box, {{Scaled(200), Scaled(409), RGB(255, 255, 255)},
                           {Scaled(19), Scaled(91), RGB(255, 255, 255)},
                           {Scaled(20), Scaled(300), GetSysColor(COLOR_BTNFACE)}});
    const WindowPicture picture(box, "about-box-" + DpiName() + ".bmp");
    // The etched line above the rights notice, also under the thanks label's box.
    for (int x : {Scaled(11), Scaled(200), Scaled(403)}) {
        ExpectColour(picture, x, Scaled(408), RGB(128, 128, 128), 0, "separator, top row");
        ExpectColour(picture, x, Scaled(410) - 1, RGB(255, 255, 255), 0, "separator, bottom");
    }
    // The banner: deep blue behind the product's name, across the full width.
    const COLORREF banner = picture.At(Scaled(330), Scaled(64));
    EXPECT_LT(GetRValue(banner), 40) << DescribeColour(banner);
    EXPECT_GT(GetBValue(banner), 100) << DescribeColour(banner);
    ExpectColour(picture, Scaled(207), Scaled(72), RGB(153, 204, 255), 4, "banner stripe");

    PostKey(GetDlgItem(box, kAboutOkButtonId), VK_ESCAPE);
    WaitUntilGone(box, updater.Process());
}

// ---- Resources of the program file
// ----------------------------------------------------------------

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct IconGroupHeader {
    WORD reserved, type, count;
};
#pragma pack(pop)

class ProgramImage {
public:
    ProgramImage()
        : module_(LoadLibraryExA(QuillmereExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~ProgramImage() { FreeLibrary(module_); }
    ProgramImage(const ProgramImage&) = delete;
    ProgramImage& operator=(const ProgramImage&) = delete;

    // The bytes of resource `name` of `type`, empty when there is none.
    std::string Resource(LPCSTR type, LPCSTR name) const {
        HRSRC found = module_ != nullptr ? FindResourceA(module_, name, type) : nullptr;
        HGLOBAL loaded = found != nullptr ? LoadResource(module_, found) : nullptr;
        if (loaded == nullptr) {
            return {};
        }
        return std::string(static_cast<const char*>(LockResource(loaded)),
                           SizeofResource(module_, found));
    }

private:
    HMODULE module_;
};

TEST(ProgramResourcesTest, IconGroupOneHoldsSixImagesIn256ColoursAnd32Bits) {
    const ProgramImage program;
    const std::string group = program.Resource(RT_GROUP_ICON, MAKEINTRESOURCEA(1));
    ASSERT_GE(group.size(), sizeof(IconGroupHeader));
    const auto* header = reinterpret_cast<const IconGroupHeader*>(group.data());
    ASSERT_EQ(header->count, 6);
    ASSERT_EQ(group.size(), sizeof(IconGroupHeader) + 6 * sizeof(IconGroupEntry));

    std::set<std::pair<int, int>> images;  // size, bits per pixel
    const auto* entries = reinterpret_cast<const IconGroupEntry*>(header + 1);
    for (int i = 0; i < header->count; ++i) {
        const IconGroupEntry& entry = entries[i];
        EXPECT_EQ(entry.width, entry.height);
        images.insert({entry.width, entry.bitCount});
        // The image itself says the same: a bitmap of that size (twice as high: colour and
        // mask) and depth.
        const std::string image = program.Resource(RT_ICON, MAKEINTRESOURCEA(entry.id));
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER)) << "icon image " << entry.id;
        const auto* bitmap = reinterpret_cast<const BITMAPINFOHEADER*>(image.data());
        EXPECT_EQ(bitmap->biWidth, entry.width);
        EXPECT_EQ(bitmap->biHeight, 2 * entry.height);
        EXPECT_EQ(bitmap->biBitCount, entry.bitCount);
        EXPECT_EQ(image.size(), entry.bytes);
    }
    const std::set<std::pair<int, int>> expected = {{16, 8},  {16, 32}, {32, 8},
                                                    {32, 32}, {48, 8},  {48, 32}};
    EXPECT_EQ(images, expected);
}

TEST(ProgramResourcesTest, LogoIsA53PixelSquareIn24Bits) {
    const ProgramImage program;
    const std::string logo = program.Resource(RT_BITMAP, MAKEINTRESOURCEA(201));
    ASSERT_GE(logo.size(), sizeof(BITMAPINFOHEADER));
    const auto* bitmap = reinterpret_cast<const BITMAPINFOHEADER*>(logo.data());
    EXPECT_EQ(bitmap->biWidth, 53);
    EXPECT_EQ(bitmap->biHeight, 53);
    EXPECT_EQ(bitmap->biBitCount, 24);
}

TEST(ProgramResourcesTest, ManifestNamesTheProgramAndTheBuildsVersion) {
    const ProgramImage program;
    const std::string manifest = program.Resource(RT_MANIFEST, MAKEINTRESOURCEA(1));
    EXPECT_NE(manifest.find("name=\"Quillmere.Updater\" version=\"" QUILLMERE_VERSION ".0\""),
              std::string::npos)
        << manifest;
}

TEST(ProgramResourcesTest, VersionInformationNamesTheProductAndTheBuildsVersion) {
    const std::string path = QuillmereExePath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    const DWORD high = MAKELONG(QUILLMERE_VERSION_MINOR, QUILLMERE_VERSION_MAJOR);
    const DWORD low = MAKELONG(0, QUILLMERE_VERSION_PATCH);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);

    const auto text = [&](const char* name) {
        char* value = nullptr;
        UINT count = 0;
        const std::string query = std::string("\\StringFileInfo\\040904E4\\") + name;
        if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value),
                            &count)) {
            return std::string("<missing>");
        }
        return std::string(value);
    };
    EXPECT_EQ(text("ProductName"), "Quillmere for Microsoft\xAE Windows\xAE");
    EXPECT_EQ(text("FileVersion"), QUILLMERE_VERSION);
    EXPECT_EQ(text("ProductVersion"), QUILLMERE_VERSION);
    EXPECT_EQ(text("OriginalFilename"), "quillmere.exe");
}

// ---- Shipped translations -----------------------------------------------------------------------

std::map<std::string, std::string> LanguageFileValues(const std::string& relative) {
    std::map<std::string, std::string> values;
    std::istringstream lines(ReadFileText(SourcePath(relative)));
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos && line[0] != ';') {
            values[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return values;
}

std::multiset<std::string> Placeholders(const std::string& text) {
    std::multiset<std::string> found;
    const std::regex placeholder("%[A-Z]+%");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), placeholder);
         it != std::sregex_iterator(); ++it) {
        found.insert(it->str());
    }
    return found;
}

TEST(TranslationsTest, FrenchAndGermanTranslateEveryKeyKeepingItsPlaceholders) {
    const auto english = LanguageFileValues("lang\\quillmere.lng");
    // 36 texts, the two refusals of signed updates, the four of undone updates and files in
    // use, and the seven of the command line.
    ASSERT_EQ(english.size(), 49u);
    for (const char* language : {"lang\\fr\\quillmere.lng", "lang\\de\\quillmere.lng"}) {
        const auto translated = LanguageFileValues(language);
        EXPECT_EQ(translated.size(), english.size()) << language;
        for (const auto& [key, text] : english) {
            const auto found = translated.find(key);
            ASSERT_NE(found, translated.end()) << language << ": " << key;
            EXPECT_FALSE(found->second.empty()) << language << ": " << key;
            EXPECT_NE(found->second, text) << language << ": " << key << " is not translated";
            EXPECT_EQ(Placeholders(found->second), Placeholders(text)) << language << ": " << key;
        }
        // Windows-1252: accented letters are single bytes, never UTF-8 sequences.
        const std::string bytes = ReadFileText(SourcePath(language));
        EXPECT_EQ(bytes.find("\xC3"), std::string::npos) << language;
    }
}

TEST(TranslationsTest, FrenchFileLabelsTheWindowWithAccentedLetters) {
    StartedUpdater updater(ReadFileText(SourcePath("lang\\fr\\quillmere.lng")));
    EXPECT_EQ(updater.Window().UpdateButtonCaption(), "&Mettre \xE0 jour");
    EXPECT_EQ(updater.Window().Caption(), "Inkwell Notes - Mise \xE0 jour");
    HWND box = OpenAboutBox(updater);
    EXPECT_EQ(WindowText(box), "\xC0 propos de Quillmere");
    PostKey(GetDlgItem(box, kAboutOkButtonId), VK_ESCAPE);
    WaitUntilGone(box, updater.Process());
}

TEST(TranslationsTest, GermanFileLabelsTheWindowWithUmlauts) {
    StartedUpdater updater(ReadFileText(SourcePath("lang\\de\\quillmere.lng")));
    EXPECT_EQ(updater.Window().CloseButtonCaption(),
              "&Schlie\xDF"
              "en");
    WindowProbe probe(updater.Handle());
    EXPECT_EQ(probe.SystemMenu().back().text,
              "&Info \xFC"
              "ber Quillmere...");
}

}  // namespace
}  // namespace e2e
