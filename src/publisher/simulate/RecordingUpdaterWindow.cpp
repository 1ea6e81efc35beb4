#include "publisher/simulate/RecordingUpdaterWindow.h"

int RecordingUpdaterWindow::ShowMessageBox(const std::string& text, MessageBoxStyle style) {
    int answer = kAnswerOk;
    if (style == MessageBoxStyle::Question)
        answer = answerYes_ ? kAnswerYes : kAnswerNo;
    // No one is there to close a program that holds a file: the simulated update gives up.
    if (style == MessageBoxStyle::RetryCancel)
        answer = kAnswerCancel;
    boxes_.push_back({text, style, answer, LogLines().size()});
    return answer;
}

std::vector<std::string> RecordingUpdaterWindow::LogLines() const {
    std::vector<std::string> lines;
    if (log_.empty())
        return lines;
    std::size_t start = 0;
    for (std::size_t end; (end = log_.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(log_.substr(start, end - start));
    lines.push_back(log_.substr(start));
    return lines;
}

const char* IconName(MessageBoxStyle style) {
    switch (style) {
        case MessageBoxStyle::Error:
            return "error";
        case MessageBoxStyle::Information:
            return "information";
        case MessageBoxStyle::Question:
            return "question";
        case MessageBoxStyle::RetryCancel:
            return "warning";
    }
    return "unknown";
}

const char* ButtonNames(MessageBoxStyle style) {
    if (style == MessageBoxStyle::RetryCancel)
        return "Retry Cancel";
    return style == MessageBoxStyle::Question ? "Yes No" : "OK";
}

const char* AnswerName(int answer) {
    return answer == kAnswerYes      ? "Yes"
           : answer == kAnswerNo     ? "No"
           : answer == kAnswerCancel ? "Cancel"
                                     : "OK";
}
