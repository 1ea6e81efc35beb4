#pragma once
// A window whose every log line and box text is also written to the log file of /log.

#include <memory>

#include "core/seam/LaunchSystem.h"
#include "core/seam/UpdaterWindow.h"

class LoggedWindow final : public UpdaterWindow {
public:
    explicit LoggedWindow(UpdaterWindow& inner) : inner_(inner) {}

    // From now on, lines go to `file` too.
    void SetLogFile(std::unique_ptr<LogFile> file) { file_ = std::move(file); }

    void ReplaceLog(const std::string& text) override;
    void AppendLog(const std::string& message) override;
    int ShowMessageBox(const std::string& text, MessageBoxStyle style) override;
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
    // Each line of `text`, after `prefix`.
    void WriteLines(const std::string& prefix, const std::string& text);

    UpdaterWindow& inner_;
    std::unique_ptr<LogFile> file_;
};

// What a box's text is written after in the log file.
inline constexpr const char* kLoggedBoxPrefix = "[box] ";
