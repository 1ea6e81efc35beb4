#pragma once
// A window whose every log line and box text is also written to the log file of /log.

#include <memory>

#include "core/launch/ForwardingWindow.h"
#include "core/seam/LaunchSystem.h"

class LoggedWindow final : public ForwardingWindow {
public:
    using ForwardingWindow::ForwardingWindow;

    // From now on, lines go to `file` too.
    void SetLogFile(std::unique_ptr<LogFile> file) { file_ = std::move(file); }

    void ReplaceLog(const std::string& text) override;
    void AppendLog(const std::string& message) override;
    int ShowMessageBox(const std::string& text, MessageBoxStyle style) override;

private:
    // Each line of `text`, after `prefix`.
    void WriteLines(const std::string& prefix, const std::string& text);

    std::unique_ptr<LogFile> file_;
};

// What a box's text is written after in the log file.
inline constexpr const char* kLoggedBoxPrefix = "[box] ";
