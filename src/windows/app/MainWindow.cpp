#include "windows/app/MainWindow.h"

#include <commctrl.h>

#include "windows/app/EventPump.h"
#include "windows/app/SessionEndBlock.h"
#include "windows/ui/SystemMenuHook.h"
#include "windows/win32/DpiScale.h"

namespace {

constexpr const char* kWindowClassName = "QuillmereMainWindow";
constexpr const char* kApplicationTitle = "Quillmere";

ATOM RegisterMainWindowClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    windowClass.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), 0));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kWindowClassName;
    return RegisterClassExA(&windowClass);
}

}  // namespace

bool fMainWindow::Create(HINSTANCE instance, Launch& launch) {
    launch_ = &launch;
    if (!RegisterMainWindowClass(instance, WindowProc)) {
        return false;
    }
    const UINT screenDpi = WindowDpi(nullptr);
    RECT frame = CentredMainWindowRect(screenDpi);
    // The caption here is a placeholder: start-up sets it from the language file.
    window_ = CreateWindowExA(kMainWindowExStyle, kWindowClassName, kApplicationTitle,
                              kMainWindowStyle, frame.left, frame.top, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr, instance, this);
    if (window_ == nullptr) {
        return false;
    }
    // The window's own DPI is known once it exists (the display it opened on).
    if (const UINT dpi = WindowDpi(window_); dpi != screenDpi) {
        frame = CentredMainWindowRect(dpi);
        SetWindowPos(window_, nullptr, frame.left, frame.top, frame.right - frame.left,
                     frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    controls_ = CreateMainWindowControls(window_);
    platform_ = std::make_unique<WindowsPlatform>(launch.Window(), controls_.pbProgressBar);
    updater_ = std::make_unique<Updater>(launch.Window(), platform_->Roles());

    // A missing language or configuration file has been reported and the close posted: the
    // window is never shown.
    if (!updater_->StartUp()) {
        return true;
    }
    AddAboutEntry();
    if (launch.UpdateNeedsElevation()) {
        Button_SetElevationRequiredState(controls_.cbUpdate, TRUE);
    }
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    SetFocus(controls_.cbUpdate);
    // Posted, so that the run starts from the message loop with the window on screen.
    if (launch.Options().update) {
        PostMessageA(window_, WM_COMMAND, MAKEWPARAM(kUpdateButtonId, BN_CLICKED),
                     reinterpret_cast<LPARAM>(controls_.cbUpdate));
    }
    return true;
}

void fMainWindow::AddAboutEntry() {
    HookSystemMenu(window_);
    HMENU systemMenu = GetSystemMenu(window_, FALSE);
    if (systemMenu == nullptr) {
        return;  // no menu to add to; the hook stays, as harmless as it is useless
    }
    const std::string entry = updater_->Texts().Text("SystemMenu.HelpAbout");
    AppendMenuA(systemMenu, MF_SEPARATOR, kSystemMenuSeparatorId, nullptr);
    AppendMenuA(systemMenu, MF_STRING, kSystemMenuAboutId, entry.c_str());
}

void fMainWindow::RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(window_, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

LRESULT CALLBACK fMainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* self = reinterpret_cast<fMainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr || self->window_ == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    // No exception may cross into the system's code that called this procedure.
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (const std::exception& failure) {
        self->ShowUnexpectedFailure(failure.what());
    } catch (...) {
        self->ShowUnexpectedFailure("Unexpected error.");
    }
    return 0;
}

LRESULT fMainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_CLOSE:
            OnCloseRequest();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_QUERYENDSESSION:
            // Log-off or shutdown: a run half done must not be cut off. Outside a run the
            // session may end, as the system's default answer says.
            if (updater_ != nullptr && updater_->IsRunning()) {
                return FALSE;
            }
            break;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window_, &paint);
            PaintMainWindow(dc, paint.rcPaint, controls_);
            EndPaint(window_, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT paints every pixel: erasing first would only flicker
        case WM_DPICHANGED: {
            // Moved to a display of another DPI: the same layout, at the new scale.
            const UINT dpi = HIWORD(wParam);
            LayOutMainWindowControls(controls_, dpi);
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            const RECT frame = CentredMainWindowRect(dpi);
            SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                         frame.right - frame.left, frame.bottom - frame.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            InvalidateRect(window_, nullptr, FALSE);
            return 0;
        }
        case WM_CTLCOLORSTATIC:
            // The read-only log keeps a white background, like an editable text box.
            if (reinterpret_cast<HWND>(lParam) == controls_.tbDialog) {
                SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            }
            // The title is transparent over the header band; its whole box lies on the band's
            // white part, so a white background is exactly what shows through.
            if (reinterpret_cast<HWND>(lParam) == controls_.lTitle) {
                SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
                return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
            }
            break;
        default:
            break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

void fMainWindow::OnCommand(int controlId, int notification) {
    switch (controlId) {
        case kUpdateButtonId:
            // A click queued before the buttons were disabled finds the run under way.
            if (notification == BN_CLICKED && !updater_->IsRunning()) {
                OnUpdate();
            }
            break;
        case kCloseButtonId:
            if (notification == BN_CLICKED) {
                SendMessageA(window_, WM_CLOSE, 0, 0);
            }
            break;
        case kLogId:
            if (notification == EN_CHANGE) {
                MoveCaretToEnd();
            }
            break;
        default:
            break;
    }
}

void fMainWindow::OnUpdate() {
    if (!launch_->UpdateNeedsElevation()) {
        RunUpdateCheck();
        return;
    }
    // The elevated instance waits for this one to close, which no run holds open now. When it
    // could not start, the log says why and the window stays as it was.
    if (launch_->RelaunchElevated()) {
        SendMessageA(window_, WM_CLOSE, 0, 0);
    }
}

void fMainWindow::RunUpdateCheck() {
    // The session's end is held for exactly the run and released on every way out of it,
    // a failure or a run that closes the window included (the close is posted, so it comes
    // after the release). The reason names the software as the window's caption does.
    const SessionEndBlock sessionEndBlock(window_, updater_->WindowCaption());
    updater_->RunUpdateCheck();
}

void fMainWindow::OnCloseRequest() {
    if (updater_->DecideClose() != Updater::CloseDecision::Close) {
        return;
    }
    UnhookSystemMenu();
    DestroyWindow(window_);
}

void fMainWindow::ReplaceLog(const std::string& text) {
    SetWindowTextA(controls_.tbDialog, text.c_str());
    MoveCaretToEnd();
}

void fMainWindow::AppendLog(const std::string& message) {
    // Replacing an empty selection at the end inserts without rewriting the whole log, so a
    // log of thousands of lines stays fast.
    const int length = GetWindowTextLengthA(controls_.tbDialog);
    SendMessageA(controls_.tbDialog, EM_SETSEL, length, length);
    const std::string addition = "\r\n" + message;
    SendMessageA(controls_.tbDialog, EM_REPLACESEL, FALSE,
                 reinterpret_cast<LPARAM>(addition.c_str()));
    MoveCaretToEnd();
}

void fMainWindow::MoveCaretToEnd() {
    const int length = GetWindowTextLengthA(controls_.tbDialog);
    SendMessageA(controls_.tbDialog, EM_SETSEL, length, length);
    SendMessageA(controls_.tbDialog, EM_SCROLLCARET, 0, 0);
}

int fMainWindow::ShowMessageBox(const std::string& text, MessageBoxStyle style) {
    HWND owner = IsWindowVisible(window_) ? window_ : nullptr;
    return MessageBoxA(owner, text.c_str(), kApplicationTitle, static_cast<UINT>(style));
}

void fMainWindow::ProcessPendingEvents() {
    ::ProcessPendingEvents(window_);
}

void fMainWindow::SetCaption(const std::string& caption) {
    SetWindowTextA(window_, caption.c_str());
}

void fMainWindow::SetTitleLabel(const std::string& title) {
    SetWindowTextA(controls_.lTitle, title.c_str());
}

void fMainWindow::SetButtonCaptions(const std::string& update, const std::string& close) {
    SetWindowTextA(controls_.cbUpdate, update.c_str());
    SetWindowTextA(controls_.cbClose, close.c_str());
}

void fMainWindow::SetProgressBarTooltip(const std::string& tooltip) {
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(controls_.pbProgressBar);
    tool.lpszText = const_cast<char*>(tooltip.c_str());
    SendMessageA(controls_.progressTooltip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

void fMainWindow::SetButtonsEnabled(bool enabled) {
    EnableWindow(controls_.cbUpdate, enabled);
    EnableWindow(controls_.cbClose, enabled);
    // Disabling the focused button left no control with the focus: give it back to Update, so
    // the keyboard works again without a click.
    if (enabled && GetActiveWindow() == window_ && !IsChild(window_, GetFocus())) {
        SetFocus(controls_.cbUpdate);
    }
}

void fMainWindow::RequestClose() {
    PostMessageA(window_, WM_CLOSE, 0, 0);
}

void fMainWindow::ShowUnexpectedFailure(const char* what) {
    // Through the launch's window, so that the log file has it too.
    launch_->Window().ShowMessageBox(what, MessageBoxStyle::Error);
}
