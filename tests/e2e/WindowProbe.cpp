#include "e2e/WindowProbe.h"

#include <sstream>

namespace e2e {

namespace {

constexpr const char* kProbeDll = "quillmere_window_probe.dll";

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

WindowProbe::WindowProbe(HWND window) : window_(window) {
    DWORD processId = 0;
    const DWORD threadId = GetWindowThreadProcessId(window, &processId);
    HMODULE probe = LoadLibraryA(BuildPath(kProbeDll).c_str());
    const auto procedure = probe != nullptr
                               ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(
                                     GetProcAddress(probe, "WindowProbeHook")))
                               : nullptr;
    if (threadId == 0 || procedure == nullptr) {
        throw UiDriverError("cannot load the window probe " + BuildPath(kProbeDll));
    }
    hook_ = SetWindowsHookExA(WH_GETMESSAGE, procedure, probe, threadId);
    if (hook_ == nullptr) {
        throw UiDriverError("cannot hook the program's window thread");
    }
    reportPath_ = BuildPath("window-probe-" + std::to_string(processId) + ".txt");
}

WindowProbe::~WindowProbe() {
    UnhookWindowsHookEx(hook_);
    DeleteFileA(reportPath_.c_str());
}

std::vector<std::string> WindowProbe::Report(Milliseconds timeout) const {
    DeleteFileA(reportPath_.c_str());
    PostMessageA(window_, RegisterWindowMessageA("QuillmereWindowProbe"), 0, 0);
    WaitUntil([this] { return GetFileAttributesA(reportPath_.c_str()) != INVALID_FILE_ATTRIBUTES; },
              "the window probe's report " + reportPath_, [] { return std::string("no report"); },
              timeout);
    return SplitLines(ReadFileText(reportPath_));
}

std::vector<SystemMenuEntry> WindowProbe::SystemMenu() const {
    std::vector<SystemMenuEntry> entries;
    for (const std::string& line : Report()) {
        std::istringstream words(line);
        std::string kind, kindOfEntry;
        UINT id = 0;
        if (!(words >> kind >> id >> kindOfEntry) || kind != "menu") {
            continue;
        }
        std::string text;
        std::getline(words, text);
        entries.push_back({id, kindOfEntry == "separator", text.empty() ? text : text.substr(1)});
    }
    return entries;
}

std::string WindowProbe::Fact(const std::string& kind, const std::string& name) const {
    const std::string prefix = kind + " " + name + " ";
    for (const std::string& line : Report()) {
        if (line.rfind(prefix, 0) == 0) {
            return line.substr(prefix.size());
        }
    }
    return "<missing>";
}

}  // namespace e2e
