#pragma once
// The window of /check and /silent: nobody is there to read a box or answer it, so each box is
// answered as an unattended update needs. An offer's question gets Yes; a box that asks a
// person to act (a file in use: Retry or Cancel) gets Cancel and is remembered, because the
// update then needed a person; every other box gets OK. Everything else goes to the inner
// window.

#include "core/seam/UpdaterWindow.h"

class AnsweringWindow final : public UpdaterWindow {
public:
    explicit AnsweringWindow(UpdaterWindow& inner) : inner_(inner) {}

    // True once a box asked a person to act.
    bool PersonNeeded() const { return personNeeded_; }

    int ShowMessageBox(const std::string& text, MessageBoxStyle style) override;
    void ReplaceLog(const std::string& text) override { inner_.ReplaceLog(text); }
    void AppendLog(const std::string& message) override { inner_.AppendLog(message); }
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

private:
    UpdaterWindow& inner_;
    bool personNeeded_ = false;
};
