#include "core/FakeWindow.h"

#include <utility>

int FakeWindow::ShowMessageBox(const std::string& text, MessageBoxStyle style) {
    boxes.push_back({text, style});
    if (onMessageBox) {
        std::exchange(onMessageBox, nullptr)();  // once: the handler may open boxes itself
    }
    if (style != MessageBoxStyle::Question && style != MessageBoxStyle::RetryCancel) {
        return kAnswerOk;
    }
    if (answers.empty()) {
        return style == MessageBoxStyle::Question ? kAnswerYes : kAnswerCancel;
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}
