#pragma once
// The main window's logic, free of Win32: start-up, the close rule and the update check run.
// It owns the window state, the script buffer, the park and the interpreter; the window reaches
// it through this class and it reaches the window and the system through the two seams.

#include <string>

#include "app/UpdaterPlatform.h"
#include "app/UpdaterState.h"
#include "app/UpdaterWindow.h"
#include "script/ScriptBuffer.h"
#include "script/ScriptInterpreter.h"
#include "text/LanguageTexts.h"

// The one text of the program that cannot come from the language file.
inline constexpr const char* kMissingLanguageFileMessage =
    "Error :\r\n\r\nCan not find the language file.\r\n\r\n\r\n"
    "Please contact technical support of the software.";

class Updater {
public:
    Updater(UpdaterWindow& window, UpdaterPlatform& platform);
    Updater(const Updater&) = delete;
    Updater& operator=(const Updater&) = delete;

    // The start-up sequence: finds the language and configuration files, runs the configuration
    // file and labels the window. False when a file is missing: the user has been told and the
    // window has been asked to close.
    bool StartUp();

    // One update check, from the version file to the closing log message (Update button).
    void RunUpdateCheck();

    // The close rule: a close request is refused silently while an update check runs.
    bool MayClose() const { return state_.CloseAllowed != 0; }

    UpdaterState& State() { return state_; }
    ScriptBuffer& Buffer() { return buffer_; }
    std::string& Park() { return park_; }
    ScriptInterpreter& Interpreter() { return interpreter_; }
    const LanguageTexts& Texts() const { return texts_; }

private:
    void RunConfigurationFile(const std::string& path);
    void LabelWindow();

    // Update check run steps.
    void CheckForUpdates();
    std::string TemporaryFilePath() const { return state_.VersionFilePath + ".tmp"; }
    void WriteEndMessages();
    void EndWithFailure();
    void ReturnToIdle();

    UpdaterWindow& window_;
    UpdaterPlatform& platform_;
    UpdaterState state_;
    ScriptBuffer buffer_;
    std::string park_;
    LanguageTexts texts_;
    ScriptInterpreter interpreter_;
};
