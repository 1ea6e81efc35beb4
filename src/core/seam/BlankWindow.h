#pragma once
// A window that shows nothing and answers no one: every call does nothing, a box that only
// tells gets OK and one that asks gets Cancel (no question is ever answered Yes). The base of
// the windows that run with nobody in front of them: the unattended runs' and the benchmarks'.

#include "core/seam/UpdaterWindow.h"

class BlankWindow : public UpdaterWindow {
public:
    void ReplaceLog(const std::string&) override {}
    void AppendLog(const std::string&) override {}
    int ShowMessageBox(const std::string&, MessageBoxStyle style) override {
        const bool asks =
            style == MessageBoxStyle::Question || style == MessageBoxStyle::RetryCancel;
        return asks ? kAnswerCancel : kAnswerOk;
    }
    void ProcessPendingEvents() override {}
    void SetCaption(const std::string&) override {}
    void SetTitleLabel(const std::string&) override {}
    void SetButtonCaptions(const std::string&, const std::string&) override {}
    void SetProgressBarTooltip(const std::string&) override {}
    void SetButtonsEnabled(bool) override {}
    void RequestClose() override {}
};
