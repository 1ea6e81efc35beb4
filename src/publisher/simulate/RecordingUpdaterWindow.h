#pragma once
// The updater's window as a simulation sees it: nothing is shown; the progress log is kept as
// the user would read it, and every message box is recorded and answered as a user would.

#include <cstddef>
#include <string>
#include <vector>

#include "core/seam/UpdaterWindow.h"

struct RecordedMessageBox {
    std::string text;
    MessageBoxStyle style;
    int answer;                // kAnswerYes, kAnswerNo or kAnswerOk
    std::size_t afterLogLine;  // the number of log lines shown when the box appeared
};

class RecordingUpdaterWindow final : public UpdaterWindow {
public:
    // Offers (question boxes) get Yes when `answerYes`, else No; every other box gets OK.
    explicit RecordingUpdaterWindow(bool answerYes) : answerYes_(answerYes) {}

    void ReplaceLog(const std::string& text) override { log_ = text; }
    void AppendLog(const std::string& message) override { log_ += "\r\n" + message; }
    int ShowMessageBox(const std::string& text, MessageBoxStyle style) override;
    void ProcessPendingEvents() override {}
    void SetCaption(const std::string&) override {}
    void SetTitleLabel(const std::string&) override {}
    void SetButtonCaptions(const std::string&, const std::string&) override {}
    void SetProgressBarTooltip(const std::string&) override {}
    void SetButtonsEnabled(bool) override {}
    void RequestClose() override { closeRequested_ = true; }

    // The log as the window shows it, one entry per line (split at CR LF); none when empty.
    std::vector<std::string> LogLines() const;
    const std::vector<RecordedMessageBox>& Boxes() const { return boxes_; }
    // True once the updater asked the window to close (a missing file, an OFF line).
    bool CloseRequested() const { return closeRequested_; }

private:
    bool answerYes_;
    std::string log_;
    std::vector<RecordedMessageBox> boxes_;
    bool closeRequested_ = false;
};

// The texts of a message box's icon and buttons, as a report names them.
const char* IconName(MessageBoxStyle style);
const char* ButtonNames(MessageBoxStyle style);
const char* AnswerName(int answer);
