#pragma once
// fMainWindow: the updater's one main window. It owns the Updater (state, script buffer,
// interpreter) and shows what the Updater asks for: the log, message boxes, captions. The
// Updater reaches it through the launch's window, which copies every line and box to the log
// file.

#include <windows.h>

#include <memory>

#include "windows/ui/MainWindowLayout.h"
#include "core/launch/Launch.h"
#include "core/update/Updater.h"
#include "core/seam/UpdaterWindow.h"
#include "windows/app/WindowsPlatform.h"

class fMainWindow : public UpdaterWindow {
public:
    fMainWindow() = default;
    fMainWindow(const fMainWindow&) = delete;
    fMainWindow& operator=(const fMainWindow&) = delete;

    // Creates the window hidden, runs start-up and, when start-up found its files, adds the
    // About entry, puts the shield on Update when it needs administrator rights, and shows the
    // window; under /update, Update is then pressed at once. False when the window could not
    // be created at all. `launch` outlives the window.
    bool Create(HINSTANCE instance, Launch& launch);

    // Runs the window's message loop until the window has closed.
    void RunMessageLoop();

    // UpdaterWindow
    void ReplaceLog(const std::string& text) override;
    void AppendLog(const std::string& message) override;
    int ShowMessageBox(const std::string& text, MessageBoxStyle style) override;
    void ProcessPendingEvents() override;
    void SetCaption(const std::string& caption) override;
    void SetTitleLabel(const std::string& title) override;
    void SetButtonCaptions(const std::string& update, const std::string& close) override;
    void SetProgressBarTooltip(const std::string& tooltip) override;
    void SetButtonsEnabled(bool enabled) override;
    void RequestClose() override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int controlId, int notification);
    void OnUpdate();
    void RunUpdateCheck();
    void OnCloseRequest();
    void MoveCaretToEnd();
    void ShowUnexpectedFailure(const char* what);
    void AddAboutEntry();

    Launch* launch_ = nullptr;
    HWND window_ = nullptr;
    MainWindowControls controls_;
    std::unique_ptr<WindowsPlatform> platform_;
    std::unique_ptr<Updater> updater_;
};
