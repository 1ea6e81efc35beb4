#pragma once
// A window that records what the user would see: the log, the labels, every message box, the
// passes of event processing and the close requests; questions are answered from a list. The
// native tests' window, and the base of the Win32 suites' window (tests/windows/ScriptHarness.h).

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "LogLines.h"
#include "core/seam/UpdaterWindow.h"

struct ShownMessageBox {
    std::string text;
    MessageBoxStyle style;
};

class FakeWindow : public UpdaterWindow {
public:
    void ReplaceLog(const std::string& text) override { log = text; }
    void AppendLog(const std::string& message) override { log += "\r\n" + message; }
    int ShowMessageBox(const std::string& text, MessageBoxStyle style) override;
    void ProcessPendingEvents() override { ++eventPasses; }
    void SetCaption(const std::string& text) override { caption = text; }
    void SetTitleLabel(const std::string& text) override { titleLabel = text; }
    void SetButtonCaptions(const std::string& update, const std::string& close) override {
        updateCaption = update;
        closeCaption = close;
    }
    void SetProgressBarTooltip(const std::string& text) override { tooltip = text; }
    void SetButtonsEnabled(bool enabled) override { buttonsEnabled = enabled; }
    void RequestClose() override { ++closeRequests; }

    // The log split at CR LF, for comparing line by line.
    std::vector<std::string> LogLines() const { return SplitLogLines(log); }

    std::string log, caption, titleLabel, updateCaption, closeCaption, tooltip;
    std::vector<ShownMessageBox> boxes;
    // Answers to Yes/No and Retry/Cancel questions, in order; when none is left, Yes to a
    // question and Cancel to a file in use.
    std::deque<int> answers;
    int eventPasses = 0;
    int closeRequests = 0;
    bool buttonsEnabled = true;
    // Called while a box is open, for tests that act as the user would meanwhile.
    std::function<void()> onMessageBox;
};
