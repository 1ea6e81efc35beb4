#include "e2e/UiDriver.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>

#include "windows/ui/HelpAbout.h"
#include "windows/ui/MainWindowLayout.h"
#include "windows/TempFolder.h"

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

constexpr Milliseconds kPollInterval{20};
// How long a window may take to answer WM_GETTEXT. A program blocked in a slow network read
// answers between two chunks.
constexpr UINT kAnswerTimeoutMs = 5000;
constexpr const char* kMainWindowClass = "QuillmereMainWindow";
constexpr const char* kMessageBoxClass = "#32770";

std::string ToWindowsPath(std::string path) {
    // Paths from the Linux side (the fixture root) are seen by Wine on drive Z:.
    if (!path.empty() && path.front() == '/') {
        std::replace(path.begin(), path.end(), '/', '\\');
        path = "Z:" + path;
    }
    while (path.size() > 3 && path.back() == '\\') {
        path.pop_back();
    }
    return path;
}

// Creates every missing folder on the way to `folder`.
void CreateFolders(const std::string& folder) {
    for (std::size_t at = folder.find('\\', 3); at != std::string::npos;
         at = folder.find('\\', at + 1)) {
        CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
    }
    CreateDirectoryA(folder.c_str(), nullptr);
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM found) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

bool IsIconStatic(HWND control) {
    return WindowClassName(control) == "Static" &&
           (GetWindowLongPtrA(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

std::string TextOrNote(HWND window) {
    try {
        return WindowText(window);
    } catch (const UiDriverError&) {
        return "<the window does not answer>";
    }
}

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\r') {
            quoted += "\\r";
        } else if (c == '\n') {
            quoted += "\\n";
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

// ---- Pixels, for telling message-box icons apart and for screenshots

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> data;  // 0x00RRGGBB, rows top to bottom
};

// A 32-bit top-down DIB of the given size selected into a memory DC; `bits` points at its rows.
struct Canvas {
    MemoryDcHandle dc;
    BitmapHandle bitmap;
    std::uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;

    Canvas(HDC compatible, int w, int h) : width(w), height(h) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* memory = nullptr;
        bitmap.Reset(CreateDIBSection(compatible, &info, DIB_RGB_COLORS, &memory, nullptr, 0));
        dc.Reset(CreateCompatibleDC(compatible));
        if (!bitmap || !dc) {
            throw UiDriverError("cannot create a drawing surface");
        }
        SelectObject(dc.Get(), bitmap.Get());
        bits = static_cast<std::uint32_t*>(memory);
    }

    Pixels Take() const {
        GdiFlush();
        Pixels pixels{width, height, {}};
        pixels.data.reserve(static_cast<std::size_t>(width) * height);
        for (int i = 0; i < width * height; ++i) {
            pixels.data.push_back(bits[i] & 0x00FFFFFF);
        }
        return pixels;
    }
};

Pixels CaptureScreen(const RECT& area) {
    ScreenDcHandle screen(GetDC(nullptr));
    if (!screen) {
        throw UiDriverError("cannot read the screen");
    }
    Canvas canvas(screen.Get(), area.right - area.left, area.bottom - area.top);
    if (!BitBlt(canvas.dc.Get(), 0, 0, canvas.width, canvas.height, screen.Get(), area.left,
                area.top, SRCCOPY)) {
        throw UiDriverError("cannot copy the screen");
    }
    return canvas.Take();
}

Pixels RenderIcon(HICON icon, int width, int height, std::uint32_t background) {
    ScreenDcHandle screen(GetDC(nullptr));
    Canvas canvas(screen.Get(), width, height);
    std::fill(canvas.bits, canvas.bits + width * height, background);
    DrawIconEx(canvas.dc.Get(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    return canvas.Take();
}

bool SameColour(std::uint32_t a, std::uint32_t b) {
    constexpr int kTolerance = 24;
    for (int shift : {0, 8, 16}) {
        const int difference = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(difference) > kTolerance) {
            return false;
        }
    }
    return true;
}

// The share of the icon's opaque pixels (those that look the same over black and over white)
// that the captured picture shows in the icon's colour.
double IconLikeness(const Pixels& captured, HICON icon) {
    const Pixels overBlack = RenderIcon(icon, captured.width, captured.height, 0x000000);
    const Pixels overWhite = RenderIcon(icon, captured.width, captured.height, 0xFFFFFF);
    int opaque = 0;
    int matching = 0;
    for (std::size_t i = 0; i < captured.data.size(); ++i) {
        if (!SameColour(overBlack.data[i], overWhite.data[i])) {
            continue;
        }
        ++opaque;
        matching += SameColour(overBlack.data[i], captured.data[i]) ? 1 : 0;
    }
    return opaque == 0 ? 0.0 : static_cast<double>(matching) / opaque;
}

MessageBoxIcon IdentifyIcon(HWND iconControl) {
    struct Candidate {
        MessageBoxIcon kind;
        LPCSTR resource;
    };
    const Candidate candidates[] = {
        {MessageBoxIcon::Error, IDI_ERROR},
        {MessageBoxIcon::Question, IDI_QUESTION},
        {MessageBoxIcon::Warning, IDI_WARNING},
        {MessageBoxIcon::Information, IDI_INFORMATION},
    };
    RECT area;
    GetWindowRect(iconControl, &area);
    if (area.right <= area.left || area.bottom <= area.top) {
        return MessageBoxIcon::Unknown;
    }
    const Pixels captured = CaptureScreen(area);
    MessageBoxIcon best = MessageBoxIcon::Unknown;
    double bestLikeness = 0.0;
    for (const Candidate& candidate : candidates) {
        // System icons are shared: never destroyed.
        const double likeness = IconLikeness(captured, LoadIconA(nullptr, candidate.resource));
        if (likeness > bestLikeness) {
            bestLikeness = likeness;
            best = candidate.kind;
        }
    }
    return bestLikeness >= 0.9 ? best : MessageBoxIcon::Unknown;
}

}  // namespace

// ---- Waiting ------------------------------------------------------------------------------------

void WaitUntil(const std::function<bool()>& condition, const std::string& expectation,
               const std::function<std::string()>& describe, Milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    for (;;) {
        if (condition()) {
            return;
        }
        if (Clock::now() >= deadline) {
            throw UiDriverError("Waited " + std::to_string(timeout.count()) + " ms for " +
                                expectation + ", in vain. Instead:\n" + describe());
        }
        Sleep(static_cast<DWORD>(kPollInterval.count()));
    }
}

// ---- Build tree, fixture server, files ----------------------------------------------------------

std::string SourcePath(const std::string& relative) {
    return std::string(QUILLMERE_SOURCE_DIR) + "\\" + relative;
}

std::string BuildPath(const std::string& relative) {
    return std::string(QUILLMERE_BINARY_DIR) + "\\" + relative;
}

std::string QuillmereExePath() { return BuildPath("quillmere.exe"); }

std::string RequiredEnvironment(const char* name) {
    char value[4096];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    if (length == 0 || length >= sizeof value) {
        throw UiDriverError(std::string(name) +
                            " is not set: run the suite through scripts/test-env");
    }
    return std::string(value, length);
}

FixtureFolder::FixtureFolder(const std::string& name, WebServer server) : server_(server) {
    // The process id and a count make the name new for every folder, so that the server's
    // request log (kept for the whole session) counts only this folder's requests.
    static unsigned created = 0;
    name_ = name + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++created);
    path_ = ToWindowsPath(RequiredEnvironment(server_.rootVariable)) + "\\" + name_;
    EraseTree(path_);  // left over from an interrupted run
    CreateFolders(path_);
}

FixtureFolder::~FixtureFolder() { EraseTree(path_); }

std::string FixtureFolder::Url(const std::string& relative) const {
    return RequiredEnvironment(server_.urlVariable) + "/" + name_ + "/" + relative;
}

std::string FixtureFolder::SlowUrl(const std::string& relative, int seconds) const {
    return RequiredEnvironment("QUILLMERE_FIXTURE_URL") + "/fault/slow/" + name_ + "/" + relative +
           "?seconds=" + std::to_string(seconds);
}

std::string FixtureFolder::SilentUrl(const std::string& relative, int seconds) const {
    return RequiredEnvironment("QUILLMERE_FIXTURE_URL") + "/fault/silent/" + name_ + "/" + relative +
           "?seconds=" + std::to_string(seconds);
}

int FixtureFolder::RequestCount(const std::string& relative) const {
    // One JSON object a line, written by the server with json.dumps: "path": "/name/relative".
    const std::string log =
        ReadFileText(ToWindowsPath(RequiredEnvironment("QUILLMERE_FIXTURE_REQUEST_LOG")));
    const std::string plain = "\"path\": \"/" + name_ + "/" + relative;
    const std::string slow = "\"path\": \"/fault/slow/" + name_ + "/" + relative;
    int count = 0;
    for (const std::string& prefix : {plain, slow}) {
        for (std::size_t at = log.find(prefix); at != std::string::npos; at = log.find(prefix, at + 1)) {
            const char next = at + prefix.size() < log.size() ? log[at + prefix.size()] : '\0';
            count += next == '"' || next == '?' ? 1 : 0;
        }
    }
    return count;
}

std::vector<std::string> FixtureFolder::Requests() const {
    const std::string log =
        ReadFileText(ToWindowsPath(RequiredEnvironment("QUILLMERE_FIXTURE_REQUEST_LOG")));
    std::vector<std::string> requests;
    for (const std::string& prefix : {"\"path\": \"/" + name_ + "/",
                                      "\"path\": \"/fault/slow/" + name_ + "/"}) {
        for (std::size_t at = log.find(prefix); at != std::string::npos;
             at = log.find(prefix, at + 1)) {
            const std::size_t start = at + prefix.size();
            requests.push_back(log.substr(start, log.find('"', start) - start));
        }
    }
    return requests;
}

void FixtureFolder::WriteFile(const std::string& relative, const std::string& bytes) const {
    std::string path = path_ + "\\" + relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    CreateFolders(path.substr(0, path.rfind('\\')));
    WriteFileText(path, bytes);
}

std::string ReadFileText(const std::string& path) { return ReadWholeFile(path); }

void WriteFileText(const std::string& path, const std::string& bytes) {
    try {
        WriteFileBytes(path, bytes);
    } catch (const std::exception& failure) {
        throw UiDriverError(failure.what());
    }
}

void CopyFileTo(const std::string& source, const std::string& destination) {
    if (!CopyFileA(source.c_str(), destination.c_str(), FALSE)) {
        throw UiDriverError("cannot copy " + source + " to " + destination);
    }
}

// ---- The program folder ---------------------------------------------------------------------------

ProgramFolder::ProgramFolder(const std::string& programFileName, const std::string& programSource)
    : programFileName_(programFileName) {
    CopyFileTo(programSource, ProgramPath());
}

std::string ProgramFolder::ProgramName() const {
    return programFileName_.substr(0, programFileName_.rfind('.'));
}

void ProgramFolder::WriteLanguageFile(const std::string& text) const {
    WriteFile(ProgramName() + ".lng", text);
}

void ProgramFolder::CopyShippedLanguageFile(const std::string& relative) const {
    CopyFile(SourcePath(relative), ProgramName() + ".lng");
}

void ProgramFolder::WriteConfiguration(const std::string& text) const {
    WriteFile(ProgramName() + ".cfg", text);
}

void ProgramFolder::WriteFile(const std::string& name, const std::string& bytes) const {
    WriteFileText(folder_ / name, bytes);
}

void ProgramFolder::CopyFile(const std::string& source, const std::string& name) const {
    CopyFileTo(source, folder_ / name);
}

std::string ProgramFolder::ReadFile(const std::string& name) const {
    return ReadFileText(folder_ / name);
}

bool ProgramFolder::Exists(const std::string& name) const { return PathExists(folder_ / name); }

std::vector<std::string> ProgramFolder::List(const std::string& relative) const {
    return FolderEntries(relative.empty() ? Path() : folder_ / relative);
}

// ---- Windows of the program ---------------------------------------------------------------------

std::string WindowText(HWND window) {
    const auto noAnswer = [window](const char* message) {
        const DWORD error = GetLastError();
        return UiDriverError(std::string(IsWindow(window) ? "the window does not answer "
                                                          : "the window is gone: no answer to ") +
                             message + " (error " + std::to_string(error) + ")");
    };
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                             &length)) {
        throw noAnswer("WM_GETTEXTLENGTH");
    }
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &copied)) {
        throw noAnswer("WM_GETTEXT");
    }
    text.resize(std::min<std::size_t>(copied, length));
    return text;
}

std::string WindowClassName(HWND window) {
    char name[256] = {};
    const int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? length : 0);
}

void ClickButton(HWND button) {
    if (!IsWindow(button)) {
        throw UiDriverError("the button to click is gone");
    }
    if (!IsWindowEnabled(button)) {
        throw UiDriverError("the button \"" + TextOrNote(button) + "\" is disabled");
    }
    // The notification a button sends its parent when clicked. Posted, because the click may
    // start a long run (or a modal box) that only returns after this driver has answered it.
    const int id = GetDlgCtrlID(button);
    PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

const char* IconName(MessageBoxIcon icon) {
    switch (icon) {
        case MessageBoxIcon::None:
            return "no icon";
        case MessageBoxIcon::Error:
            return "error";
        case MessageBoxIcon::Question:
            return "question";
        case MessageBoxIcon::Warning:
            return "warning";
        case MessageBoxIcon::Information:
            return "information";
        case MessageBoxIcon::Unknown:
            break;
    }
    return "unknown";
}

// ---- Message boxes ------------------------------------------------------------------------------------

std::string MessageBoxWindow::Caption() const { return TextOrNote(handle_); }

std::string MessageBoxWindow::Text() const {
    for (HWND child : ChildWindows(handle_)) {
        if (WindowClassName(child) == "Static" && !IsIconStatic(child)) {
            const std::string text = WindowText(child);
            if (!text.empty()) {
                return text;
            }
        }
    }
    return {};
}

std::vector<MessageBoxButton> MessageBoxWindow::Buttons() const {
    std::vector<MessageBoxButton> buttons;
    for (HWND child : ChildWindows(handle_)) {
        if (WindowClassName(child) == "Button" && IsWindowVisible(child)) {
            buttons.push_back({GetDlgCtrlID(child), WindowText(child)});
        }
    }
    return buttons;
}

std::vector<int> MessageBoxWindow::ButtonIds() const {
    std::vector<int> ids;
    for (const MessageBoxButton& button : Buttons()) {
        ids.push_back(button.id);
    }
    return ids;
}

int MessageBoxWindow::DefaultButtonId() const {
    for (HWND child : ChildWindows(handle_)) {
        if (WindowClassName(child) == "Button" && IsWindowVisible(child) &&
            (GetWindowLongPtrA(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            return GetDlgCtrlID(child);
        }
    }
    return 0;
}

MessageBoxIcon MessageBoxWindow::Icon() const {
    HWND iconControl = nullptr;
    for (HWND child : ChildWindows(handle_)) {
        if (IsIconStatic(child) && IsWindowVisible(child)) {
            iconControl = child;
        }
    }
    if (iconControl == nullptr) {
        return MessageBoxIcon::None;
    }
    // The box may not be painted yet when it is first found.
    MessageBoxIcon icon = MessageBoxIcon::Unknown;
    const Clock::time_point deadline = Clock::now() + Milliseconds(1000);
    while ((icon = IdentifyIcon(iconControl)) == MessageBoxIcon::Unknown && Clock::now() < deadline) {
        Sleep(50);
    }
    return icon;
}

void MessageBoxWindow::Answer(int buttonId, Milliseconds timeout) const {
    HWND button = GetDlgItem(handle_, buttonId);
    if (button == nullptr || !IsWindowVisible(button)) {
        throw UiDriverError("the message box has no button " + std::to_string(buttonId) + ":\n" +
                            Describe());
    }
    ClickButton(button);
    WaitUntil([this] { return !Exists(); }, "the message box to close after its answer",
              [this] { return Describe(); }, timeout);
}

std::string MessageBoxWindow::Describe() const {
    if (!Exists()) {
        return "  (the message box is gone)\n";
    }
    std::ostringstream out;
    out << "  message box " << Quoted(Caption()) << ": ";
    try {
        out << Quoted(Text()) << ", buttons:";
        for (const MessageBoxButton& button : Buttons()) {
            out << " " << button.id << "=" << Quoted(button.caption);
        }
    } catch (const UiDriverError& failure) {
        out << failure.what();
    }
    out << "\n";
    return out.str();
}

// ---- The main window ---------------------------------------------------------------------------------

HWND MainWindow::Control(int id) const {
    HWND control = GetDlgItem(handle_, id);
    if (control == nullptr) {
        throw UiDriverError("the main window has no control " + std::to_string(id) + ":\n" +
                            Describe());
    }
    return control;
}

RECT MainWindow::ControlRect(int id) const {
    RECT rect;
    GetWindowRect(Control(id), &rect);
    MapWindowPoints(nullptr, handle_, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT MainWindow::ClientRect() const {
    RECT rect;
    GetClientRect(handle_, &rect);
    return rect;
}

std::string MainWindow::Title() const { return ControlText(kTitleLabelId); }
std::string MainWindow::Log() const { return ControlText(kLogId); }
std::string MainWindow::UpdateButtonCaption() const { return ControlText(kUpdateButtonId); }
std::string MainWindow::CloseButtonCaption() const { return ControlText(kCloseButtonId); }
bool MainWindow::UpdateButtonEnabled() const { return IsControlEnabled(kUpdateButtonId); }
bool MainWindow::CloseButtonEnabled() const { return IsControlEnabled(kCloseButtonId); }

std::vector<std::string> MainWindow::LogLines() const {
    const std::string log = Log();
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(log.substr(start, end - start));
    }
    lines.push_back(log.substr(start));
    return lines;
}

namespace {

LRESULT AskControl(HWND control, UINT message, WPARAM wParam) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(control, message, wParam, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                             &answer)) {
        throw UiDriverError("the control does not answer message " + std::to_string(message));
    }
    return static_cast<LRESULT>(answer);
}

}  // namespace

int MainWindow::ProgressPosition() const {
    return static_cast<int>(AskControl(Control(kProgressBarId), PBM_GETPOS, 0));
}

int MainWindow::ProgressMaximum() const {
    return static_cast<int>(AskControl(Control(kProgressBarId), PBM_GETRANGE, FALSE));
}

HWND MainWindow::FocusedControl() const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(handle_, nullptr), &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

void MainWindow::ClickUpdate() const { ClickButton(Control(kUpdateButtonId)); }
void MainWindow::ClickClose() const { ClickButton(Control(kCloseButtonId)); }
void MainWindow::PostClose() const { PostMessageA(handle_, WM_CLOSE, 0, 0); }
void MainWindow::PressCloseBox() const { PostMessageA(handle_, WM_SYSCOMMAND, SC_CLOSE, 0); }

void MainWindow::PressKey(WORD virtualKey) const {
    HWND target = FocusedControl();
    if (target == nullptr) {
        target = handle_;
    }
    const UINT scanCode = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageA(target, WM_KEYDOWN, virtualKey, 1 | (scanCode << 16));
    PostMessageA(target, WM_KEYUP, virtualKey, 1 | (scanCode << 16) | 0xC0000000);
}

void MainWindow::WaitUntilPostedMessagesHandled(Milliseconds timeout) const {
    // Posted messages of one thread are handled in the order they were posted.
    HWND log = Control(kLogId);
    const std::size_t length = WindowText(log).size();
    if (length == 0) {
        throw UiDriverError("the log is empty: no marker can be seen in it");
    }
    PostMessageA(log, EM_SETSEL, 0, 1);
    WaitUntil(
        [log] {
            const LRESULT selection = AskControl(log, EM_GETSEL, 0);
            return LOWORD(selection) == 0 && HIWORD(selection) == 1;
        },
        "the window to handle the messages posted to it", [this] { return Describe(); }, timeout);
    PostMessageA(log, EM_SETSEL, length, length);
}

void MainWindow::WaitUntilIdle(Milliseconds timeout) const {
    WaitUntil([this] { return Exists() && UpdateButtonEnabled() && CloseButtonEnabled(); },
              "both buttons of the main window to be enabled", [this] { return Describe(); },
              timeout);
}

void MainWindow::WaitForLogLine(const std::string& line, Milliseconds timeout) const {
    WaitUntil(
        [this, &line] {
            const std::vector<std::string> lines = LogLines();
            return std::find(lines.begin(), lines.end(), line) != lines.end();
        },
        "the log line " + Quoted(line), [this] { return Describe(); }, timeout);
}

std::string MainWindow::Describe() const {
    if (!Exists()) {
        return "  (the main window is gone)\n";
    }
    std::ostringstream out;
    out << "  main window " << Quoted(TextOrNote(handle_))
        << (IsVisible() ? "" : " (hidden)") << "\n";
    const struct {
        const char* name;
        int id;
    } controls[] = {{"title", kTitleLabelId},
                    {"Update", kUpdateButtonId},
                    {"Close", kCloseButtonId},
                    {"log", kLogId}};
    for (const auto& control : controls) {
        HWND handle = GetDlgItem(handle_, control.id);
        if (handle == nullptr) {
            out << "    " << control.name << ": (missing)\n";
            continue;
        }
        out << "    " << control.name << (IsWindowEnabled(handle) ? "" : " (disabled)") << ": "
            << Quoted(TextOrNote(handle)) << "\n";
    }
    return out.str();
}

// ---- The running program -----------------------------------------------------------------------------

namespace {

// Starts `programPath` in its own folder, with `token` when one is given.
std::pair<HANDLE, DWORD> StartProcess(const std::string& programPath, const std::string& arguments,
                                      HANDLE token) {
    std::string commandLine = "\"" + programPath + "\"";
    if (!arguments.empty()) {
        commandLine += " " + arguments;
    }
    const std::string folder = programPath.substr(0, programPath.rfind('\\'));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    const BOOL created =
        token != nullptr
            ? CreateProcessAsUserA(token, programPath.c_str(), commandLine.data(), nullptr,
                                   nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &started)
            : CreateProcessA(programPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                             nullptr, folder.c_str(), &startup, &started);
    if (!created) {
        throw UiDriverError("cannot start " + programPath + " (error " +
                            std::to_string(GetLastError()) + ")");
    }
    KernelHandle thread(started.hThread);
    return {started.hProcess, started.dwProcessId};
}

bool IsElevatedToken(HANDLE token) {
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    return GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

// A primary token without administrator rights for this user: this process's own when it has
// none, else the limited one linked to its elevated token. Null when there is none.
KernelHandle LimitedToken() {
    HANDLE own = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &own)) {
        return KernelHandle();
    }
    KernelHandle ownToken(own);
    HANDLE source = own;
    KernelHandle linkedToken;
    if (IsElevatedToken(own)) {
        TOKEN_LINKED_TOKEN linked = {};
        DWORD size = 0;
        if (!GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size)) {
            return KernelHandle();
        }
        linkedToken = KernelHandle(linked.LinkedToken);
        source = linked.LinkedToken;
    }
    HANDLE primary = nullptr;
    if (!DuplicateTokenEx(source, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary,
                          &primary)) {
        return KernelHandle();
    }
    KernelHandle limited(primary);
    return IsElevatedToken(primary) ? KernelHandle() : std::move(limited);
}

}  // namespace

Program Program::Start(const std::string& programPath, const std::string& arguments) {
    const auto [process, id] = StartProcess(programPath, arguments, nullptr);
    return Program(process, id);
}

std::optional<Program> Program::StartWithoutAdministratorRights(const ProgramFolder& folder,
                                                                const std::string& arguments) {
    const KernelHandle token = LimitedToken();
    if (!token) {
        return std::nullopt;
    }
    const auto [process, id] = StartProcess(folder.ProgramPath(), arguments, token.Get());
    return Program(process, id);
}

Program Program::Attach(DWORD processId) {
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE,
                                 FALSE, processId);
    if (process == nullptr) {
        throw UiDriverError("cannot open process " + std::to_string(processId) + " (error " +
                            std::to_string(GetLastError()) + ")");
    }
    return Program(process, processId);
}

Program::~Program() { Terminate(); }

bool Program::IsRunning() const {
    return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

DWORD Program::WaitForExit(Milliseconds timeout) const {
    WaitUntil([this] { return !IsRunning(); }, "the program to end", [this] { return Describe(); },
              timeout);
    DWORD exitCode = 0;
    GetExitCodeProcess(process_.Get(), &exitCode);
    return exitCode;
}

void Program::Terminate() {
    if (IsRunning()) {
        TerminateProcess(process_.Get(), 1);
        WaitForSingleObject(process_.Get(), 10000);
    }
}

Program::UnseenEnd Program::WaitForExitWatchingWindows(Milliseconds timeout) const {
    UnseenEnd end;
    WaitUntil(
        [&] {
            // Looked at before the check for its end: a window shown just before it is counted.
            for (HWND window : TopLevelWindows()) {
                if (IsWindowVisible(window)) {
                    const std::string seen = "window of class " + WindowClassName(window) + ": " +
                                             Quoted(TextOrNote(window));
                    if (std::find(end.windowsShown.begin(), end.windowsShown.end(), seen) ==
                        end.windowsShown.end()) {
                        end.windowsShown.push_back(seen);
                    }
                }
            }
            return !IsRunning();
        },
        "the program to end", [this] { return Describe(); }, timeout);
    GetExitCodeProcess(process_.Get(), &end.exitCode);
    return end;
}

std::vector<HWND> Program::TopLevelWindows() const {
    struct Search {
        DWORD id;
        std::vector<HWND> found;
    } search{id_, {}};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* search = reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == search->id) {
                search->found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Program::WaitForAboutBox(Milliseconds timeout) const {
    HWND box = nullptr;
    WaitUntil(
        [&] {
            box = FindWindowOfClass("#32770");
            return box != nullptr && GetDlgItem(box, kAboutVersionId) != nullptr;
        },
        "the About box", [&] { return Describe(); }, timeout);
    return box;
}

HWND Program::FindWindowOfClass(const std::string& className, bool visibleOnly) const {
    for (HWND window : TopLevelWindows()) {
        if (WindowClassName(window) == className && (!visibleOnly || IsWindowVisible(window))) {
            return window;
        }
    }
    return nullptr;
}

std::optional<MainWindow> Program::FindMainWindow() const {
    HWND window = FindWindowOfClass(kMainWindowClass);
    if (window == nullptr) {
        return std::nullopt;
    }
    return MainWindow(window);
}

MainWindow Program::WaitForMainWindow(Milliseconds timeout) const {
    WaitUntil([this] { return FindMainWindow().has_value(); }, "the main window to be shown",
              [this] { return Describe(); }, timeout);
    return *FindMainWindow();
}

std::optional<MessageBoxWindow> Program::FindMessageBox() const {
    HWND box = FindWindowOfClass(kMessageBoxClass);
    if (box == nullptr) {
        return std::nullopt;
    }
    return MessageBoxWindow(box);
}

MessageBoxWindow Program::WaitForMessageBox(Milliseconds timeout) const {
    // Found complete: text and buttons in place, not half-way through its creation.
    std::optional<MessageBoxWindow> box;
    WaitUntil(
        [this, &box] {
            box = FindMessageBox();
            return box && !box->Text().empty() && !box->Buttons().empty();
        },
        "a message box", [this] { return Describe(); }, timeout);
    return *box;
}

void Program::WaitUntilNoMessageBox(Milliseconds timeout) const {
    WaitUntil([this] { return !FindMessageBox().has_value(); }, "no message box to be shown",
              [this] { return Describe(); }, timeout);
}

std::string Program::Describe() const {
    std::ostringstream out;
    if (!IsRunning()) {
        DWORD exitCode = 0;
        GetExitCodeProcess(process_.Get(), &exitCode);
        out << "  the program has ended, exit code " << exitCode << "\n";
        return out.str();
    }
    int shown = 0;
    for (HWND window : TopLevelWindows()) {
        if (!IsWindowVisible(window)) {
            continue;
        }
        ++shown;
        const std::string className = WindowClassName(window);
        if (className == kMainWindowClass) {
            out << MainWindow(window).Describe();
        } else if (className == kMessageBoxClass) {
            out << MessageBoxWindow(window).Describe();
        } else {
            out << "  window of class " << className << ": " << Quoted(TextOrNote(window)) << "\n";
        }
    }
    if (shown == 0) {
        out << "  the program runs and shows no window\n";
    }
    return out.str();
}

std::vector<DWORD> ProcessesStartedBy(DWORD parentId) {
    std::vector<DWORD> children;
    const FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        throw UiDriverError("cannot list the processes (error " + std::to_string(GetLastError()) +
                            ")");
    }
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.Get(), &entry); more;
         more = Process32Next(snapshot.Get(), &entry)) {
        if (entry.th32ParentProcessID == parentId && entry.th32ProcessID != parentId) {
            children.push_back(entry.th32ProcessID);
        }
    }
    return children;
}

// ---- Pictures ------------------------------------------------------------------------------------

void SaveScreenshot(const std::string& bmpPath, HWND window) {
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (window != nullptr) {
        GetWindowRect(window, &area);
    }
    const Pixels pixels = CaptureScreen(area);

    // A bottom-up 24-bit BMP: rows padded to four bytes, blue-green-red.
    const int rowSize = (pixels.width * 3 + 3) & ~3;
    BITMAPFILEHEADER fileHeader = {};
    BITMAPINFOHEADER infoHeader = {};
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfOffBits = sizeof fileHeader + sizeof infoHeader;
    fileHeader.bfSize = fileHeader.bfOffBits + static_cast<DWORD>(rowSize) * pixels.height;
    infoHeader.biSize = sizeof infoHeader;
    infoHeader.biWidth = pixels.width;
    infoHeader.biHeight = pixels.height;
    infoHeader.biPlanes = 1;
    infoHeader.biBitCount = 24;
    infoHeader.biCompression = BI_RGB;

    std::string bytes(reinterpret_cast<const char*>(&fileHeader), sizeof fileHeader);
    bytes.append(reinterpret_cast<const char*>(&infoHeader), sizeof infoHeader);
    for (int y = pixels.height - 1; y >= 0; --y) {
        std::string row(rowSize, '\0');
        for (int x = 0; x < pixels.width; ++x) {
            const std::uint32_t colour = pixels.data[static_cast<std::size_t>(y) * pixels.width + x];
            row[x * 3] = static_cast<char>(colour & 0xFF);
            row[x * 3 + 1] = static_cast<char>((colour >> 8) & 0xFF);
            row[x * 3 + 2] = static_cast<char>((colour >> 16) & 0xFF);
        }
        bytes += row;
    }
    WriteFileText(bmpPath, bytes);
}

}  // namespace e2e
