#include "windows/app/HeadlessWindow.h"

#include "windows/app/EventPump.h"

int HeadlessWindow::ShowMessageBox(const std::string&, MessageBoxStyle style) {
    switch (style) {
        case MessageBoxStyle::Question:
        case MessageBoxStyle::RetryCancel:
            return kAnswerCancel;
        case MessageBoxStyle::Error:
        case MessageBoxStyle::Information:
            break;
    }
    return kAnswerOk;
}

void HeadlessWindow::ProcessPendingEvents() {
    ::ProcessPendingEvents(nullptr);
}
