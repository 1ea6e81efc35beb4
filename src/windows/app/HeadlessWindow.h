#pragma once
// The window of /check and /silent: it shows nothing. The log file's window copies the log
// lines and the answering window answers the boxes before they get here; what it still does is
// deliver the thread's messages (a download's progress, a program's end) while the run waits.

#include "core/seam/UpdaterWindow.h"

class HeadlessWindow final : public UpdaterWindow {
public:
    void ReplaceLog(const std::string&) override {}
    void AppendLog(const std::string&) override {}
    // Nobody is there to answer: a box that only tells gets OK, one that asks gets Cancel.
    int ShowMessageBox(const std::string& text, MessageBoxStyle style) override;
    void ProcessPendingEvents() override;
    void SetCaption(const std::string&) override {}
    void SetTitleLabel(const std::string&) override {}
    void SetButtonCaptions(const std::string&, const std::string&) override {}
    void SetProgressBarTooltip(const std::string&) override {}
    void SetButtonsEnabled(bool) override {}
    // The run's end is the program's end: there is no window to close.
    void RequestClose() override {}
};
