#include "windows/ui/HelpAbout.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "core/text/LanguageTexts.h"
#include "windows/system/WindowsProgramHome.h"
#include "windows/ui/Painting.h"
#include "windows/ui/ResourceIds.h"
#include "windows/ui/AboutBanner.h"
#include "windows/ui/ProgramVersion.h"
#include "windows/win32/DpiScale.h"
#include "windows/win32/ScopedHandles.h"

namespace {

// ---- Fixed texts ------------------------------------------------------------------------------

constexpr const char* kOkCaption = "&Ok";
constexpr const char* kWebAddress = "https://quillmere.example.org";
constexpr const char* kIconTooltip = "Quillmere Logo";

constexpr const char* kLicenceNotice =
    "Quillmere is free software under the MIT licence: anyone may use, copy, modify, merge, "
    "publish, distribute, sublicense and sell copies of Quillmere, free of charge, provided "
    "this notice is kept in all copies or substantial portions of it.\r\n"
    "\r\n"
    "Quillmere is provided \"as is\", without warranty of any kind, express or implied, "
    "including merchantability, fitness for a particular purpose and non-infringement.\r\n"
    "\r\n"
    "In no event shall the authors or copyright holders of Quillmere be liable for any claim, "
    "damages or other liability arising from its use.";

constexpr const char* kThanks =
    "Thanks to all those who took part closely or by far in the development of Quillmere.\r\n"
    "\r\n"
    "Beta Testers :\r\n"
    "everyone who tried the early versions and told us what they found.";

// In the ANSI code page: "Copyright (c) 2026 ..." with the copyright sign.
constexpr const char* kCopyright = "Copyright \xA9 2026 The Quillmere developers.";

// ---- Layout at 96 DPI: left, top, width, height (width 0: as wide as the text) ----------------

constexpr int kClientWidth = 415;
constexpr int kClientHeight = 448;
constexpr DesignRect kOkRect = {320, 416, 81, 23};
constexpr DesignRect kThanksRect = {70, 320, 323, 89};
constexpr DesignRect kIconRect = {16, 88, 36, 36};
constexpr DesignRect kSeparatorRect = {11, 408, 393, 2};
constexpr DesignRect kLicenseRect = {70, 128, 323, 185};
constexpr DesignRect kProductNameRect = {70, 88, 0, 13};
constexpr DesignRect kVersionRect = {70, 104, 0, 13};
constexpr DesignRect kCopyrightRect = {16, 416, 0, 13};

constexpr COLORREF kSeparatorShadow = RGB(128, 128, 128);
constexpr COLORREF kSeparatorLight = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

constexpr DWORD kBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND;

// ---- Helpers ----------------------------------------------------------------------------------

// The other windows of this thread that take input now. The box is modal without an owner, so
// it is the box itself that keeps them from taking input while it is open, as a task-modal
// message box does.
BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM list) {
    if (IsWindowVisible(window) && IsWindowEnabled(window)) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
}

class ThreadWindowsDisabled {
public:
    ThreadWindowsDisabled() {
        EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow,
                          reinterpret_cast<LPARAM>(&windows_));
        for (HWND window : windows_) {
            EnableWindow(window, FALSE);
        }
    }
    ~ThreadWindowsDisabled() { Restore(); }
    ThreadWindowsDisabled(const ThreadWindowsDisabled&) = delete;
    ThreadWindowsDisabled& operator=(const ThreadWindowsDisabled&) = delete;

    // Enables them again, once (the destructor does it if the box did not).
    void Restore() {
        for (HWND window : windows_) {
            if (IsWindow(window)) {
                EnableWindow(window, TRUE);
            }
        }
        windows_.clear();
    }

private:
    std::vector<HWND> windows_;
};

// ---- fHelpAbout ---------------------------------------------------------------------------------

class fHelpAbout {
public:
    explicit fHelpAbout(ThreadWindowsDisabled& otherWindows) : otherWindows_(otherWindows) {}
    fHelpAbout(const fHelpAbout&) = delete;
    fHelpAbout& operator=(const fHelpAbout&) = delete;

    // Shows the box and returns when it has been closed.
    void ShowModal(HWND hiddenOwner);

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void Load();
    void SizeAndCentre();
    HWND CreateLabel(int id, const char* text, const DesignRect& place, HFONT font);
    void CreateIcon();
    void CreateOkButton();
    void AddTooltips(const std::string& productName);
    void Paint(HDC dc);
    void DrawIcon(const DRAWITEMSTRUCT& item);
    INT_PTR LabelColours(HDC dc, HWND label);
    void Close();

    ThreadWindowsDisabled& otherWindows_;
    HWND dialog_ = nullptr;
    HWND activeBefore_ = nullptr;
    HWND focusBefore_ = nullptr;
    UINT dpi_ = kDesignDpi;
    FontHandle font_;
    FontHandle boldFont_;
    IconHandle icon_;        // iIcon: the application icon at the icon box's inner size
    IconHandle bannerIcon_;  // the application icon on the banner
};

void fHelpAbout::ShowModal(HWND hiddenOwner) {
    activeBefore_ = GetActiveWindow();
    focusBefore_ = GetFocus();
    // An empty template: the box lays out its own controls, in pixels, when it loads.
    struct alignas(DWORD) EmptyTemplate {
        DLGTEMPLATE dialog;
        WORD menu, windowClass, title;
    } boxTemplate = {};
    boxTemplate.dialog.style = kBoxStyle;
    DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &boxTemplate.dialog, hiddenOwner, DialogProc,
                            reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK fHelpAbout::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        reinterpret_cast<fHelpAbout*>(lParam)->dialog_ = dialog;
    }
    auto* self = reinterpret_cast<fHelpAbout*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (self == nullptr) {
        return FALSE;
    }
    // No exception may cross into the system's code that called this procedure.
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        self->Close();
        return TRUE;
    }
}

INT_PTR fHelpAbout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            Load();
            SetFocus(GetDlgItem(dialog_, kAboutOkButtonId));
            return FALSE;  // the focus is set
        case WM_COMMAND:
            // cbOk, Enter (the default button), Esc and the close box (both IDCANCEL).
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                Close();
                return TRUE;
            }
            return FALSE;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(dialog_, &paint);
            Paint(dc);
            EndPaint(dialog_, &paint);
            return TRUE;
        }
        case WM_DRAWITEM:
            if (wParam == kAboutIconId) {
                DrawIcon(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                return TRUE;
            }
            return FALSE;
        case WM_CTLCOLORSTATIC:
            return LabelColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        default:
            return FALSE;
    }
}

// Load: runs at every opening, so a changed language file shows its new caption.
void fHelpAbout::Load() {
    dpi_ = WindowDpi(dialog_);
    font_ = CreateDialogFont(dpi_);
    boldFont_ = CreateDialogFont(dpi_, true);

    WindowsProgramHome home;
    LanguageTexts texts(home);
    texts.SetFilePath(home.OwnFilePath(kLanguageFileExtension));
    const std::string caption = texts.Text("HelpAbout.Title");
    SetWindowTextA(dialog_, caption.c_str());
    SizeAndCentre();

    const ProgramVersion version = ReadProgramVersion(ProgramFilePath());
    CreateOkButton();
    CreateLabel(kAboutThanksId, kThanks, kThanksRect, font_.Get());
    CreateIcon();
    CreateLabel(kAboutLicenseId, kLicenceNotice, kLicenseRect, font_.Get());
    CreateLabel(kAboutProductNameId, version.productName.c_str(), kProductNameRect,
                boldFont_.Get());
    CreateLabel(kAboutVersionId, VersionLine(version).c_str(), kVersionRect, font_.Get());
    CreateLabel(kAboutCopyrightId, kCopyright, kCopyrightRect, font_.Get());
    AddTooltips(version.productName);
}

void fHelpAbout::SizeAndCentre() {
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(dialog_, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrA(dialog_, GWL_EXSTYLE));
    const RECT size = WindowRectForClient(ScaleForDpi(kClientWidth, dpi_),
                                          ScaleForDpi(kClientHeight, dpi_), style, exStyle, dpi_);
    const RECT place = CentredOnScreen(size.right, size.bottom);
    SetWindowPos(dialog_, nullptr, place.left, place.top, size.right, size.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// A label at its place; one of width 0 is as wide as its text (it sizes itself to the text).
HWND fHelpAbout::CreateLabel(int id, const char* text, const DesignRect& place, HFONT font) {
    RECT box = ScaleRectForDpi(place, dpi_);
    if (place.width == 0) {
        const MemoryDcHandle dc(CreateCompatibleDC(nullptr));
        HGDIOBJ previous = SelectObject(dc.Get(), font);
        RECT measured = {0, 0, 0, 0};
        DrawTextA(dc.Get(), text, -1, &measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc.Get(), previous);
        box.right = box.left + measured.right;
    }
    HWND label = CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                 box.left, box.top, box.right - box.left, box.bottom - box.top,
                                 dialog_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return label;
}

void fHelpAbout::CreateIcon() {
    // A sunken picture box: the 2-pixel edge around a square of the icon's size.
    const RECT box = ScaleRectForDpi(kIconRect, dpi_);
    const int inner = box.right - box.left - 2 * GetSystemMetrics(SM_CXEDGE);
    icon_.Reset(static_cast<HICON>(LoadImageA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_QUILLMERE), IMAGE_ICON, inner, inner, 0)));
    const int bannerSize = ScaleForDpi(48, dpi_);
    bannerIcon_.Reset(
        static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_QUILLMERE),
                                      IMAGE_ICON, bannerSize, bannerSize, 0)));
    // SS_NOTIFY: a static control takes mouse messages, which its tool tip needs, only with it.
    CreateWindowExA(WS_EX_CLIENTEDGE, "STATIC", "",
                    WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY, box.left, box.top,
                    box.right - box.left, box.bottom - box.top, dialog_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kAboutIconId)),
                    GetModuleHandleA(nullptr), nullptr);
}

void fHelpAbout::CreateOkButton() {
    const RECT box = ScaleRectForDpi(kOkRect, dpi_);
    // The default button (Enter) and, through IDOK/IDCANCEL both closing the box, the cancel
    // button (Esc) too.
    HWND button = CreateWindowExA(0, "BUTTON", kOkCaption,
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, box.left,
                                  box.top, box.right - box.left, box.bottom - box.top, dialog_,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kAboutOkButtonId)),
                                  GetModuleHandleA(nullptr), nullptr);
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    SendMessageA(dialog_, DM_SETDEFID, kAboutOkButtonId, 0);
}

void fHelpAbout::AddTooltips(const std::string& productName) {
    HWND tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog_, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    // The tool tip window is owned by the box and goes with it.
    const std::string bannerTip = productName + " (" + kWebAddress + ")";
    TOOLINFOA banner = {};
    banner.cbSize = sizeof banner;
    banner.uFlags = TTF_SUBCLASS;
    banner.hwnd = dialog_;
    banner.uId = 1;
    banner.rect = ScaleRectForDpi(0, 0, kAboutBannerWidth, kAboutBannerHeight, dpi_);
    banner.lpszText = const_cast<char*>(bannerTip.c_str());
    SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&banner));

    TOOLINFOA icon = {};
    icon.cbSize = sizeof icon;
    icon.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    icon.hwnd = dialog_;
    icon.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog_, kAboutIconId));
    icon.lpszText = const_cast<char*>(kIconTooltip);
    SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&icon));
}

void fHelpAbout::Paint(HDC dc) {
    PaintAboutBanner(dc, dpi_, bannerIcon_.Get());
    const RECT line = ScaleRectForDpi(kSeparatorRect, dpi_);
    const int middle = ScaleForDpi(kSeparatorRect.top + 1, dpi_);
    PaintEtchedLine(dc, line, middle, kSeparatorShadow, kSeparatorLight);
}

void fHelpAbout::DrawIcon(const DRAWITEMSTRUCT& item) {
    FillColour(item.hDC, item.rcItem, RGB(255, 255, 255));
    if (icon_) {
        const int size = item.rcItem.right - item.rcItem.left;
        DrawIconEx(item.hDC, item.rcItem.left, item.rcItem.top, icon_.Get(), size, size, 0, nullptr,
                   DI_NORMAL);
    }
}

// Every label is transparent: it paints no background, so what the box paints beneath shows
// (the thanks label's box reaches one pixel into the separator line). Their texts never change,
// so nothing old is left to show through. The licence, the product name and the rights notice
// are black, the others in the system's button-text colour.
INT_PTR fHelpAbout::LabelColours(HDC dc, HWND label) {
    const int id = GetDlgCtrlID(label);
    const bool black =
        id == kAboutLicenseId || id == kAboutProductNameId || id == kAboutCopyrightId;
    SetTextColor(dc, black ? kBlack : GetSysColor(COLOR_BTNTEXT));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

void fHelpAbout::Close() {
    // The other windows take input again before the box goes, so that the window that was
    // active before it becomes active again, not the hidden owner; and the control that had the
    // keyboard focus gets it back (disabling its window had taken it away).
    otherWindows_.Restore();
    if (activeBefore_ != nullptr && IsWindow(activeBefore_)) {
        SetActiveWindow(activeBefore_);
    }
    if (focusBefore_ != nullptr && IsWindow(focusBefore_) && IsWindowEnabled(focusBefore_)) {
        SetFocus(focusBefore_);
    }
    EndDialog(dialog_, IDOK);
}

// The box's owner: a hidden window of its own, so that the box is independent of the main
// window (it is not opened on the main window's behalf) yet gets no task-bar button, which
// every unowned top-level window gets.
WindowHandle CreateHiddenOwner() {
    return WindowHandle(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                        GetModuleHandleA(nullptr), nullptr));
}

}  // namespace

void ShowHelpAbout() {
    // Initialisation, once: the tool tips come from the common-controls library.
    static const bool commonControlsReady = [] {
        InitCommonControls();
        return true;
    }();
    (void)commonControlsReady;

    ThreadWindowsDisabled otherWindows;
    WindowHandle owner = CreateHiddenOwner();
    fHelpAbout box(otherWindows);
    box.ShowModal(owner.Get());
}
