#pragma once
// Client side of the window probe (WindowProbeHook.cpp): installs the probe's message hook on
// the thread of a window of the program and asks it for a report of what only the program's own
// process can read: its system menu entries, its controls' fonts and its window icons.

#include <windows.h>

#include <string>
#include <vector>

#include "e2e/UiDriver.h"

namespace e2e {

struct SystemMenuEntry {
    UINT id;
    bool separator;
    std::string text;
};

class WindowProbe {
public:
    // Hooks the thread of `window`. Throws UiDriverError when the probe cannot be installed.
    explicit WindowProbe(HWND window);
    ~WindowProbe();
    WindowProbe(const WindowProbe&) = delete;
    WindowProbe& operator=(const WindowProbe&) = delete;

    // The report's lines, as the program sees things now.
    std::vector<std::string> Report(Milliseconds timeout = kDefaultTimeout) const;
    // The system menu's entries, top to bottom.
    std::vector<SystemMenuEntry> SystemMenu() const;
    // The line "font <name> ..." / "icon <name> ..." of the report, without its first two words.
    std::string Fact(const std::string& kind, const std::string& name) const;

private:
    HWND window_;
    HHOOK hook_ = nullptr;
    std::string reportPath_;
};

}  // namespace e2e
