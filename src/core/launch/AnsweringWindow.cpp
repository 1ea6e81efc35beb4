#include "core/launch/AnsweringWindow.h"

int AnsweringWindow::ShowMessageBox(const std::string&, MessageBoxStyle style) {
    switch (style) {
        case MessageBoxStyle::Question:
            return kAnswerYes;  // the only question is an offer's "install it?"
        case MessageBoxStyle::RetryCancel:
            personNeeded_ = true;  // a file in use: someone would have to close a program
            return kAnswerCancel;
        case MessageBoxStyle::Error:
        case MessageBoxStyle::Information:
            break;
    }
    return kAnswerOk;
}
