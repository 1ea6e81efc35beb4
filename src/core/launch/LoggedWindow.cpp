#include "core/launch/LoggedWindow.h"

#include <string_view>

void LoggedWindow::ReplaceLog(const std::string& text) {
    WriteLines("", text);
    Inner().ReplaceLog(text);
}

void LoggedWindow::AppendLog(const std::string& message) {
    WriteLines("", message);
    Inner().AppendLog(message);
}

int LoggedWindow::ShowMessageBox(const std::string& text, MessageBoxStyle style) {
    // Before the box: the log file shows what the user is being asked while the box is open.
    WriteLines(kLoggedBoxPrefix, text);
    return Inner().ShowMessageBox(text, style);
}

void LoggedWindow::WriteLines(const std::string& prefix, const std::string& text) {
    if (!file_) {
        return;
    }
    // Texts break lines with CR LF; a lone LF or CR breaks one in the file too.
    std::string_view rest = text;
    while (true) {
        const std::size_t end = rest.find_first_of("\r\n");
        file_->WriteLine(prefix + std::string(rest.substr(0, end)));
        if (end == std::string_view::npos) {
            return;
        }
        const bool crLf = rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n';
        rest.remove_prefix(end + (crLf ? 2 : 1));
    }
}
