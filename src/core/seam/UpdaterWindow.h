#pragma once
// What the updater's logic needs from its main window. The Win32 window implements it; the
// unit tests use a recording fake. Every call happens on the window's single thread.

#include <string>

// Message-box styles, as the Win32 flag values: icon, buttons, and MB_SETFOREGROUND.
enum class MessageBoxStyle : unsigned {
    Error = 0x10010,        // error icon, OK
    Information = 0x10040,  // information icon, OK
    Question = 0x10024,     // question icon, Yes and No (Yes is the default)
    RetryCancel = 0x10035,  // warning icon, Retry and Cancel (Retry is the default)
};

// Answers of a message box, as the Win32 values.
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerRetry = 4;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

class UpdaterWindow {
public:
    virtual ~UpdaterWindow() = default;

    // Progress log. Replace: the log becomes `text`. Append: the log becomes the old text,
    // CR LF, then `message`. Either way the caret ends up after the last character.
    virtual void ReplaceLog(const std::string& text) = 0;
    virtual void AppendLog(const std::string& message) = 0;

    // Shows a modal message box captioned "Quillmere" and returns the answer (kAnswer...).
    virtual int ShowMessageBox(const std::string& text, MessageBoxStyle style) = 0;

    // Lets the window deliver the events waiting for it (repaints, clicks, system-menu
    // choices), then returns.
    virtual void ProcessPendingEvents() = 0;

    // Labels set once at start-up.
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetTitleLabel(const std::string& title) = 0;
    virtual void SetButtonCaptions(const std::string& update, const std::string& close) = 0;
    virtual void SetProgressBarTooltip(const std::string& tooltip) = 0;

    // Enables or disables the Update button, then the Close button.
    virtual void SetButtonsEnabled(bool enabled) = 0;

    // Asks the window to close once the handler that is running has returned. The close rule
    // still applies when the request is handled.
    virtual void RequestClose() = 0;
};
