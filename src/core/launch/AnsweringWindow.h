#pragma once
// The window of /check and /silent: nobody is there to read a box or answer it, so each box is
// answered as an unattended update needs, and none reaches the inner window. An offer's
// question gets Yes; a box that asks a person to act (a file in use: Retry or Cancel) gets
// Cancel and is remembered, because the update then needed a person; every other box gets OK.

#include "core/launch/ForwardingWindow.h"

class AnsweringWindow final : public ForwardingWindow {
public:
    using ForwardingWindow::ForwardingWindow;

    // True once a box asked a person to act.
    bool PersonNeeded() const { return personNeeded_; }

    int ShowMessageBox(const std::string& text, MessageBoxStyle style) override;

private:
    bool personNeeded_ = false;
};
