#pragma once
// The main window's logic, free of Win32: start-up, the close rule and the update check run.
// It owns the window state, the script buffer, the park and the interpreter, which gives access
// to the other three (ScriptInterpreter::State, Buffer, Park); the window reaches it through
// this class and it reaches the window and the system through the seam.

#include <optional>
#include <string>

#include "core/script/ScriptBuffer.h"
#include "core/script/ScriptInterpreter.h"
#include "core/script/UpdaterState.h"
#include "core/seam/UpdaterPlatform.h"
#include "core/seam/UpdaterWindow.h"
#include "core/text/LanguageTexts.h"
#include "core/transaction/InterruptedUpdate.h"

// The one text of the program that cannot come from the language file.
inline constexpr const char* kMissingLanguageFileMessage =
    "Error :\r\n\r\nCan not find the language file.\r\n\r\n\r\n"
    "Please contact technical support of the software.";

class Updater {
public:
    Updater(UpdaterWindow& window, const UpdaterPlatform& platform);
    Updater(const Updater&) = delete;
    Updater& operator=(const Updater&) = delete;

    // The start-up sequence: finds the language and configuration files, runs the configuration
    // file and labels the window. False when a file is missing: the user has been told and the
    // window has been asked to close.
    bool StartUp();

    // One update check, from the version file to the closing log message (Update button).
    // Does nothing while a run is under way: a click queued before the buttons were disabled
    // must not start a second run inside the first.
    void RunUpdateCheck();

    // True from the press of Update until its run has returned, whatever CloseAllowed says.
    bool IsRunning() const { return running_; }

    // Makes every later run a check only (/check), before StartUp: no line that acts outside
    // the updater runs, and the first newer version is noted, not offered. The update
    // information file and its signature are kept at `temporaryStem` + ".tmp" and ".sig.tmp"
    // while they are read, out of the program's folder, which a check may not write.
    void CheckOnly(std::string temporaryStem);

    // How the last update check ended, for the exit code of an unattended run.
    struct RunOutcome {
        bool failed = false;              // a file, a download, a signature or a command failed
        bool newerVersionListed = false;  // a check found a version that Update would offer
    };
    RunOutcome LastRun() const;

    // What the window does with a close request.
    enum class CloseDecision {
        Refuse,  // an update check runs: the request is dropped silently
        Defer,   // the run has allowed the close but is still on the stack: the window must not
                 // be destroyed under it; the run asks for the close again once it has returned
        Close,   // close now
    };
    CloseDecision DecideClose();

    // The window's caption: the language text "WindowsCaption" with the software's title for
    // every "%TITLE%". It names the software being updated wherever the system names the window.
    std::string WindowCaption() const;

    // The interpreter of this updater's scripts, and through it the run's state.
    ScriptInterpreter& Interpreter() { return interpreter_; }
    const LanguageTexts& Texts() const { return texts_; }

private:
    void RunConfigurationFile(const std::string& path);
    void LabelWindow();
    // What the start-up's undo of an interrupted update did, after the welcome text.
    void ReportRecovery(const RecoveryOutcome& recovery);
    // The update check's own files that a killed run left.
    void RemoveUpdateCheckLeftovers();

    // Update check run steps.
    void RunUpdateCheckSteps();
    void CheckForUpdates();
    std::string TemporaryFilePath() const { return TemporaryStem() + ".tmp"; }
    std::string SignatureFilePath() const { return TemporaryStem() + ".sig.tmp"; }
    const std::string& TemporaryStem() const {
        return checkStem_.empty() ? state_.VersionFilePath : checkStem_;
    }
    // With the publisher's keys: fetches the update information file's signature and checks
    // `feed` with it. False, with the refusal logged, when it does not hold.
    bool FeedSignatureHolds(const std::string& feed);
    void LogSignatureRefusal(const std::string& reason);
    void RemoveStaleTemporaryFile();
    void WriteEndMessages();
    void EndWithFailure();
    void ReturnToIdle();

    UpdaterWindow& window_;
    UpdaterPlatform platform_;
    UpdaterState state_;
    ScriptBuffer buffer_;
    std::string park_;
    LanguageTexts texts_;
    ScriptInterpreter interpreter_;
    // Set at start-up when the configuration file names a key that its run did not give: every
    // update check is then refused with this reason, before anything is downloaded.
    std::optional<std::string> signedOnlyRefusal_;
    bool running_ = false;
    bool closeDeferred_ = false;
    std::string checkStem_;     // set by CheckOnly
    bool checkFailed_ = false;  // the last run failed without a command error (no version
                                // file, no update information file)
};
