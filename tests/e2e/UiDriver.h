#pragma once
// UiDriver: drives the real quillmere.exe from outside, as a user would. It lays out a program
// folder, starts the program there, finds the program's windows and message boxes, reads their
// texts, clicks their buttons and waits for what should follow. Every wait is bounded; a wait
// that runs out throws UiDriverError saying what was expected and what was on screen instead.
// Runs under Wine (or Windows) in a process of its own; talks to the program only through
// window messages, as another program on the desktop would.

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "windows/TempFolder.h"
#include "windows/win32/ScopedHandles.h"

namespace e2e {

using Milliseconds = std::chrono::milliseconds;

// Long enough for a first program start in a fresh Wine prefix; every wait takes its own.
inline constexpr Milliseconds kDefaultTimeout{15000};

// A wait that ran out, or a window that cannot be used as asked. The message tells what was
// expected and describes what the program showed at that moment.
class UiDriverError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Polls `condition` about every 20 ms until it holds. When `timeout` passes first, throws
// UiDriverError with `expectation` and the text `describe` returns at that moment.
void WaitUntil(const std::function<bool()>& condition, const std::string& expectation,
               const std::function<std::string()>& describe, Milliseconds timeout = kDefaultTimeout);

// ---- Build tree, fixture server, files --------------------------------------------------------

// The source tree and build tree of this build (Windows paths, no trailing backslash).
std::string SourcePath(const std::string& relative);
std::string BuildPath(const std::string& relative);

// The program under test: quillmere.exe of this build.
std::string QuillmereExePath();

// A web server of scripts/test-env: the environment variables holding the folder it serves and
// its URL.
struct WebServer {
    const char* rootVariable;
    const char* urlVariable;
};
inline constexpr WebServer kFixtureServer{"QUILLMERE_FIXTURE_ROOT", "QUILLMERE_FIXTURE_URL"};
// nginx over HTTPS, with a certificate of the test authority that the Wine prefix trusts.
inline constexpr WebServer kNginxHttps{"QUILLMERE_NGINX_ROOT", "QUILLMERE_NGINX_HTTPS_URL"};

// A test's own folder on a web server of the test environment, the fixture HTTP server unless
// said otherwise. Created fresh and removed with everything in it when it goes.
class FixtureFolder {
public:
    // `name` says whose folder it is (the test's name, say); a number is added to make it new.
    explicit FixtureFolder(const std::string& name, WebServer server = kFixtureServer);
    ~FixtureFolder();
    FixtureFolder(const FixtureFolder&) = delete;
    FixtureFolder& operator=(const FixtureFolder&) = delete;

    // The URL at which the server serves `relative` (a path with "/" separators).
    std::string Url(const std::string& relative) const;
    // The URL of the server's slow route for `relative`: the headers at once, then the body in
    // small pieces spread over `seconds`, so that the download keeps a run going that long.
    std::string SlowUrl(const std::string& relative, int seconds) const;
    // The URL of the server's silent route for `relative`: nothing at all, not even the
    // headers, for `seconds`; then the file.
    std::string SilentUrl(const std::string& relative, int seconds) const;
    // How many requests for `relative` (with any query) have reached the server so far. The
    // slow and silent routes and the request count are the fixture server's only.
    int RequestCount(const std::string& relative) const;
    // Every request for this folder that has reached the fixture server so far, in order: the
    // path after the folder's name, with any query ("updates.txt", "1.1.qsc").
    std::vector<std::string> Requests() const;
    // Writes `bytes` to `relative` in the served folder, replacing any file there.
    void WriteFile(const std::string& relative, const std::string& bytes) const;
    // The served folder as a Windows path.
    const std::string& Path() const { return path_; }

private:
    WebServer server_;
    std::string name_;
    std::string path_;
};

// Throws UiDriverError when the environment variable is not set (not run under scripts/test-env).
std::string RequiredEnvironment(const char* name);

// Reads a whole file ("<missing>" when it cannot be read) / writes one, replacing it.
std::string ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& bytes);
// Copies a file; throws UiDriverError when it cannot.
void CopyFileTo(const std::string& source, const std::string& destination);

// ---- The program folder ----------------------------------------------------------------------

// A fresh temporary folder holding quillmere.exe under `programFileName`, erased with
// everything in it when it goes. The language and configuration files are named after the
// program file, as the program looks for them.
class ProgramFolder {
public:
    explicit ProgramFolder(const std::string& programFileName = "quillmere.exe",
                           const std::string& programSource = QuillmereExePath());

    const std::string& Path() const { return folder_.Path(); }
    // `name` inside the folder.
    std::string operator/(const std::string& name) const { return folder_ / name; }
    std::string ProgramPath() const { return folder_ / programFileName_; }
    // The program file's name without its extension: the name of its .lng and .cfg.
    std::string ProgramName() const;

    void WriteLanguageFile(const std::string& text) const;
    // Copies a shipped language file of the source tree, lang\quillmere.lng by default.
    void CopyShippedLanguageFile(const std::string& relative = "lang\\quillmere.lng") const;
    void WriteConfiguration(const std::string& text) const;
    void WriteFile(const std::string& name, const std::string& bytes) const;
    void CopyFile(const std::string& source, const std::string& name) const;
    std::string ReadFile(const std::string& name) const;
    // True when anything, file or folder, stands at `name`.
    bool Exists(const std::string& name) const;
    // The names of the entries in the folder (or in its sub-folder `relative`), sorted.
    std::vector<std::string> List(const std::string& relative = "") const;

private:
    TempFolder folder_;
    std::string programFileName_;
};

// ---- Windows of the program -----------------------------------------------------------------

// The text of any window or control, read with WM_GETTEXT (so edit controls of another process
// answer too). Throws UiDriverError when the window does not answer within a few seconds.
std::string WindowText(HWND window);
// The window's class name ("#32770" for message boxes).
std::string WindowClassName(HWND window);
// Posts a button click to the button's parent, as the button itself reports one. Throws
// UiDriverError when the button is gone or disabled: a user could not click it either.
void ClickButton(HWND button);

// The icon a message box shows, told apart by the pixels on screen.
enum class MessageBoxIcon { None, Error, Question, Warning, Information, Unknown };
const char* IconName(MessageBoxIcon icon);

struct MessageBoxButton {
    int id;               // IDOK, IDYES, IDNO ...
    std::string caption;  // "OK", "&Yes" ...
};

// A message box of the program, as found on screen.
class MessageBoxWindow {
public:
    explicit MessageBoxWindow(HWND handle) : handle_(handle) {}

    HWND Handle() const { return handle_; }
    bool Exists() const { return IsWindow(handle_) != FALSE; }
    std::string Caption() const;
    // The message, as the box shows it (line breaks as CR LF).
    std::string Text() const;
    // The visible buttons, in their order in the box.
    std::vector<MessageBoxButton> Buttons() const;
    // The ids of the visible buttons, e.g. {IDYES, IDNO}.
    std::vector<int> ButtonIds() const;
    // The id of the default button (the one drawn as the default push button, which Enter
    // presses), 0 when there is none.
    int DefaultButtonId() const;
    // The icon. Waits up to a second for the box to be painted before it gives Unknown.
    MessageBoxIcon Icon() const;
    // Clicks the button with `buttonId` (IDOK, IDYES, IDNO) and waits until the box has gone.
    void Answer(int buttonId, Milliseconds timeout = kDefaultTimeout) const;
    // Caption, text, buttons: for failure messages.
    std::string Describe() const;

private:
    HWND handle_;
};

// The updater's main window (class "QuillmereMainWindow") and its controls, by the control ids
// of src/windows/ui/MainWindowLayout.h.
class MainWindow {
public:
    explicit MainWindow(HWND handle) : handle_(handle) {}

    HWND Handle() const { return handle_; }
    bool Exists() const { return IsWindow(handle_) != FALSE; }
    bool IsVisible() const { return IsWindowVisible(handle_) != FALSE; }
    std::string Caption() const { return WindowText(handle_); }
    // The control with `id`; throws UiDriverError when there is none.
    HWND Control(int id) const;
    std::string ControlText(int id) const { return WindowText(Control(id)); }
    bool IsControlEnabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
    // The control's rectangle in the window's client coordinates.
    RECT ControlRect(int id) const;
    RECT ClientRect() const;

    std::string Title() const;
    std::string Log() const;
    // The log cut at every CR LF.
    std::vector<std::string> LogLines() const;
    std::string UpdateButtonCaption() const;
    std::string CloseButtonCaption() const;
    bool UpdateButtonEnabled() const;
    bool CloseButtonEnabled() const;
    // The progress bar's position and its range's upper end (PBM_GETPOS, PBM_GETRANGE).
    int ProgressPosition() const;
    int ProgressMaximum() const;
    // The control that has the keyboard focus in the window's thread (null when none).
    HWND FocusedControl() const;

    // Clicks Update / Close (throws when the button is disabled).
    void ClickUpdate() const;
    void ClickClose() const;
    // A close request as the program would get it from WM_CLOSE / from the title bar's close
    // box (WM_SYSCOMMAND SC_CLOSE). Posted: neither waits for the program.
    void PostClose() const;
    void PressCloseBox() const;
    // Posts a key press (down and up) to the control that has the focus.
    void PressKey(WORD virtualKey) const;

    // Waits until the window has handled every message posted to it before this call. For an
    // idle window whose log holds text: it posts a selection of the log's first character as a
    // marker, waits to see it, and puts the caret back at the end.
    void WaitUntilPostedMessagesHandled(Milliseconds timeout = kDefaultTimeout) const;
    // Waits until both buttons are enabled again: the update check run is over.
    void WaitUntilIdle(Milliseconds timeout = kDefaultTimeout) const;
    // Waits until a log line equals `line`.
    void WaitForLogLine(const std::string& line, Milliseconds timeout = kDefaultTimeout) const;
    // Caption, title, buttons and their states, the log: for failure messages.
    std::string Describe() const;

private:
    HWND handle_;
};

// ---- The running program ---------------------------------------------------------------------

// One run of a program, started with its own folder as working folder. When the object goes,
// a program still running is ended (TerminateProcess) and waited for, so no test leaves a
// process behind.
class Program {
public:
    // Starts `programPath` (command line: the quoted path, then `arguments`). Throws
    // UiDriverError when it cannot be started.
    static Program Start(const std::string& programPath, const std::string& arguments = "");
    static Program Start(const ProgramFolder& folder, const std::string& arguments = "") {
        return Start(folder.ProgramPath(), arguments);
    }
    // Starts it as a user without administrator rights would: with the limited token linked to
    // this process's elevated one. Null when the system gives this user no such token.
    static std::optional<Program> StartWithoutAdministratorRights(const ProgramFolder& folder,
                                                                  const std::string& arguments);
    // A process that something else started: held, and ended when the object goes like one
    // started here. Throws UiDriverError when it cannot be opened.
    static Program Attach(DWORD processId);

    Program(Program&& other) noexcept = default;
    Program& operator=(Program&& other) = delete;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program();

    DWORD Id() const { return id_; }
    bool IsRunning() const;
    // Waits for the program to end and returns its exit code.
    DWORD WaitForExit(Milliseconds timeout = kDefaultTimeout) const;
    // Ends the program now if it still runs, and waits until it has gone.
    void Terminate();

    // How a program that should show nothing ended: its exit code, and a description of each
    // top-level window it showed, seen by polling about every 20 ms while it ran.
    struct UnseenEnd {
        DWORD exitCode = 0;
        std::vector<std::string> windowsShown;
    };
    // Waits for the program to end, watching for any window it shows on the way.
    UnseenEnd WaitForExitWatchingWindows(Milliseconds timeout = kDefaultTimeout) const;

    // Every top-level window of the process, shown or hidden.
    std::vector<HWND> TopLevelWindows() const;
    // The first top-level window of the class, or null.
    HWND FindWindowOfClass(const std::string& className, bool visibleOnly = true) const;

    // The main window once it is shown.
    MainWindow WaitForMainWindow(Milliseconds timeout = kDefaultTimeout) const;
    // Null when the program shows no main window now.
    std::optional<MainWindow> FindMainWindow() const;
    // A message box of the program once one is shown and has its text.
    MessageBoxWindow WaitForMessageBox(Milliseconds timeout = kDefaultTimeout) const;
    std::optional<MessageBoxWindow> FindMessageBox() const;
    // Waits until the program shows no message box.
    void WaitUntilNoMessageBox(Milliseconds timeout = kDefaultTimeout) const;
    // The About box once it is shown (a dialog box with its version label).
    HWND WaitForAboutBox(Milliseconds timeout = kDefaultTimeout) const;

    // What the program shows now: its windows, their texts, whether it still runs.
    std::string Describe() const;

private:
    Program(HANDLE process, DWORD id) : process_(process), id_(id) {}

    KernelHandle process_;
    DWORD id_ = 0;
};

// The ids of the processes running now that `parentId` started.
std::vector<DWORD> ProcessesStartedBy(DWORD parentId);

// ---- Pictures ----------------------------------------------------------------------------------

// Saves what the screen shows of `window` (the whole screen when null) as a 24-bit BMP file.
// Throws UiDriverError when the screen cannot be read or the file written.
void SaveScreenshot(const std::string& bmpPath, HWND window = nullptr);

}  // namespace e2e
