#pragma once
// The script interpreter: runs the script buffer line by line through the command table.
//
// A line is a three-character command, one separator character (any, usually a blank) and the
// argument. The commands work on the main window's state, log and dialogs. A line that fails
// ends its run with the command error report; the failure trap decides which run reports it.

#include <string>
#include <string_view>

#include "core/seam/UpdaterPlatform.h"
#include "core/script/UpdaterState.h"
#include "core/seam/UpdaterWindow.h"
#include "core/script/ScriptBuffer.h"
#include "core/text/LanguageTexts.h"
#include "core/transaction/UpdateTransaction.h"

// What a command handler tells the loop after its line.
enum class LineOutcome {
    Finished,  // take the next line
    EndRun,    // this run takes no further line
};

// Which run it is. A nested run is the update script started by a CMV line: a failure its own
// trap does not catch passes to that CMV line, whose trap reports it. The configuration file's
// run is a top-level run, and the only one whose KEY lines count.
enum class RunKind { TopLevel, Nested, Configuration };

// The state one run owns: its current line and its failure trap.
class ScriptRun {
public:
    explicit ScriptRun(RunKind kind) : kind_(kind) {}

    RunKind Kind() const { return kind_; }
    const std::string& CurrentLine() const { return currentLine_; }
    void SetCurrentLine(std::string line) { currentLine_ = std::move(line); }

    // Once armed, the trap reports every failure of this run's later lines too.
    void ArmTrap() { trapArmed_ = true; }
    bool TrapArmed() const { return trapArmed_; }

    // The current line without its first four characters (empty for a four-character line).
    // Throws ScriptFailure for a line of three characters, which has no argument to take.
    std::string Argument() const;

private:
    RunKind kind_;
    std::string currentLine_;
    bool trapArmed_ = false;
};

class ScriptInterpreter {
public:
    // `state`, `buffer` and `park` belong to the caller (the Updater) and outlive the
    // interpreter.
    ScriptInterpreter(UpdaterState& state, ScriptBuffer& buffer, std::string& park,
                      const LanguageTexts& texts, UpdaterWindow& window,
                      const UpdaterPlatform& platform);

    // Runs the script buffer until it is empty or a line ends the run. Lines not run stay in
    // the buffer. A failure is shown to the user and recorded in the flags; only a nested run
    // lets an unreported failure out, to the CMV line that started it.
    void InterpretScript(RunKind kind = RunKind::TopLevel);

    // How many update scripts run inside one another at this moment: 0 outside any, 1 while
    // the update information file's CMV line runs one, 2 when that update script's own CMV
    // line runs another, and so on.
    int UpdateScriptDepth() const { return updateScriptDepth_; }

    // The command error report: sets UpdateHandled and UpdateFailed, shows "GenericErrorDialog"
    // with the failure text and the current line (each cut to a readable length), and ends the
    // run.
    LineOutcome ReportCommandError(const ScriptRun& run, std::string_view failureText);

    // LoadScriptFile: appends the whole file, byte for byte, to the script buffer. Throws when
    // the file cannot be opened or read.
    void LoadScriptFile(const std::string& path);

    // The language text of `key`, as read.
    std::string Text(const std::string& key) const { return texts_.Text(key); }
    const LanguageTexts& Texts() const { return texts_; }

    // `path` after the script path rule: a leading "\" makes it relative to AppPath.
    std::string FullPath(const std::string& path) const;

    // The window state: what the commands set and test.
    UpdaterState& State() { return state_; }
    // The script buffer: what is left of the script being run, taken from the front line by line.
    ScriptBuffer& Buffer() { return buffer_; }
    // The park: the rest of the script buffer that a CMV line keeps while the update script of
    // its accepted offer runs alone on the buffer. Each offer keeps its own copy and restores the
    // buffer from it; this shared text holds the latest one parked (an offer inside an update
    // script parks the rest of that script over it).
    std::string& Park() { return park_; }
    UpdaterWindow& Window() { return window_; }
    FileSystem& Files() { return platform_.files; }
    // The transaction of the update script that runs, which the file commands change the files
    // through; null outside an update script, where they act directly.
    UpdateTransaction* Transaction() { return transaction_; }
    void SetTransaction(UpdateTransaction* transaction) { transaction_ = transaction; }
    ProgramLauncher& Launcher() { return platform_.launcher; }
    Downloader& Network() { return platform_.downloader; }
    Crypto& Cryptography() { return platform_.crypto; }

private:
    LineOutcome RunLine(ScriptRun& run);
    LineOutcome Dispatch(ScriptRun& run);

    UpdaterState& state_;
    ScriptBuffer& buffer_;
    std::string& park_;
    const LanguageTexts& texts_;
    UpdaterWindow& window_;
    UpdaterPlatform platform_;
    int updateScriptDepth_ = 0;
    UpdateTransaction* transaction_ = nullptr;
};
