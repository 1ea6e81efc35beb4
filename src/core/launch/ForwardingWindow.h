#pragma once
// A window in front of another: every call goes on to the inner window. The launch's windows
// derive from it and change only the calls they are about.

#include "core/seam/UpdaterWindow.h"

class ForwardingWindow : public UpdaterWindow {
public:
    explicit ForwardingWindow(UpdaterWindow& inner) : inner_(inner) {}

    void ReplaceLog(const std::string& text) override { inner_.ReplaceLog(text); }
    void AppendLog(const std::string& message) override { inner_.AppendLog(message); }
    int ShowMessageBox(const std::string& text, MessageBoxStyle style) override {
        return inner_.ShowMessageBox(text, style);
    }
    void ProcessPendingEvents() override { inner_.ProcessPendingEvents(); }
    void SetCaption(const std::string& caption) override { inner_.SetCaption(caption); }
    void SetTitleLabel(const std::string& title) override { inner_.SetTitleLabel(title); }
    void SetButtonCaptions(const std::string& update, const std::string& close) override {
        inner_.SetButtonCaptions(update, close);
    }
    void SetProgressBarTooltip(const std::string& tooltip) override {
        inner_.SetProgressBarTooltip(tooltip);
    }
    void SetButtonsEnabled(bool enabled) override { inner_.SetButtonsEnabled(enabled); }
    void RequestClose() override { inner_.RequestClose(); }

protected:
    UpdaterWindow& Inner() { return inner_; }

private:
    UpdaterWindow& inner_;
};
