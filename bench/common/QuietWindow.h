#pragma once
// The benchmarks' window: it shows nothing and answers no one, so that only the code under
// measure runs. Every question is declined and every file in use given up (Cancel is not Yes).

#include <string>

#include "core/seam/UpdaterWindow.h"

class QuietWindow final : public UpdaterWindow {
public:
    void ReplaceLog(const std::string&) override {}
    void AppendLog(const std::string&) override {}
    int ShowMessageBox(const std::string&, MessageBoxStyle) override { return kAnswerCancel; }
    void ProcessPendingEvents() override {}
    void SetCaption(const std::string&) override {}
    void SetTitleLabel(const std::string&) override {}
    void SetButtonCaptions(const std::string&, const std::string&) override {}
    void SetProgressBarTooltip(const std::string&) override {}
    void SetButtonsEnabled(bool) override {}
    void RequestClose() override {}
};
