// The window probe: a message hook that the end-to-end tests install on the program's window
// thread. Some facts can be read only from inside the program's own process (its system menu,
// the fonts and icons its windows use: handles of another process mean nothing to a test). When
// the probe message arrives, the hook writes those facts, one per line, to
// window-probe-<process id>.txt beside this DLL, for the test to read.

#include <windows.h>

#include <string>

#include "windows/ui/MainWindowLayout.h"

namespace {

HMODULE probeModule = nullptr;

std::string Folder(HMODULE module) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    std::string text(path, length);
    return text.substr(0, text.rfind('\\'));
}

std::string MenuLines(HWND window) {
    HMENU menu = GetSystemMenu(window, FALSE);
    std::string lines;
    const int count = menu != nullptr ? GetMenuItemCount(menu) : 0;
    for (int index = 0; index < count; ++index) {
        char text[256] = {};
        MENUITEMINFOA item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = sizeof text;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(index), TRUE, &item)) {
            continue;
        }
        const bool separator = (item.fType & MFT_SEPARATOR) != 0;
        lines += "menu " + std::to_string(item.wID) + (separator ? " separator" : " string ") +
                 (separator ? "" : text) + "\n";
    }
    return lines;
}

std::string FontLine(const char* name, HWND control) {
    const auto font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    LOGFONTA description = {};
    if (font == nullptr || GetObjectA(font, sizeof description, &description) == 0) {
        return std::string("font ") + name + " none\n";
    }
    return std::string("font ") + name + " " + description.lfFaceName + "|" +
           std::to_string(description.lfHeight) + "|" + std::to_string(description.lfWeight) + "|" +
           std::to_string(description.lfCharSet) + "\n";
}

std::string IconLine(const char* name, HICON icon) {
    ICONINFO info = {};
    if (icon == nullptr || !GetIconInfo(icon, &info)) {
        return std::string("icon ") + name + " none\n";
    }
    BITMAP colour = {};
    GetObjectA(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof colour, &colour);
    if (info.hbmColor != nullptr) {
        DeleteObject(info.hbmColor);
    }
    DeleteObject(info.hbmMask);
    return std::string("icon ") + name + " " + std::to_string(colour.bmWidth) + "x" +
           std::to_string(info.hbmColor != nullptr ? colour.bmHeight : colour.bmHeight / 2) + "\n";
}

std::string Report(HWND window) {
    std::string report = MenuLines(window);
    report += FontLine("title", GetDlgItem(window, kTitleLabelId));
    report += FontLine("log", GetDlgItem(window, kLogId));
    report += FontLine("update", GetDlgItem(window, kUpdateButtonId));
    report += IconLine("big", reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICON)));
    report += IconLine("small", reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICONSM)));
    return report;
}

// Written to a temporary name and then renamed, so the test never reads half a report.
void WriteReport(const std::string& report) {
    const std::string path =
        Folder(probeModule) + "\\window-probe-" + std::to_string(GetCurrentProcessId()) + ".txt";
    const std::string partial = path + ".partial";
    HANDLE file = CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(file, report.data(), static_cast<DWORD>(report.size()), &written, nullptr);
    CloseHandle(file);
    MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

// WH_GETMESSAGE hook: answers the registered message "QuillmereWindowProbe" posted to a window.
extern "C" __declspec(dllexport) LRESULT CALLBACK
    WindowProbeHook(int code, WPARAM wParam, LPARAM lParam) {
    static const UINT probeMessage = RegisterWindowMessageA("QuillmereWindowProbe");
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        auto* message = reinterpret_cast<MSG*>(lParam);
        if (message->message == probeMessage) {
            WriteReport(Report(message->hwnd));
            message->message = WM_NULL;  // the program never sees the probe's message
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        probeModule = instance;
    }
    return TRUE;
}
