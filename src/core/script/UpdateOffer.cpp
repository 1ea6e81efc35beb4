// CMV: compares a listed version with the installed one and, for a newer version, offers the
// update and runs its update script in a nested run.

#include <string>

#include "core/script/Commands.h"
#include "core/script/FileInUseBox.h"
#include "core/script/PinField.h"
#include "core/script/ScriptFailure.h"
#include "core/script/ScriptFields.h"
#include "core/script/VersionNumbers.h"
#include "core/seam/RemoveFileQuietly.h"
#include "core/text/Placeholders.h"
#include "core/text/ReadableLength.h"
#include "core/text/UndoTexts.h"

namespace {

// The update script is held in the program's folder while it runs.
constexpr const char* kUpdateScriptFileName = "\\Script.qsc";

// Update scripts whose CMV lines offer further versions run inside one another, each on the
// stack of the one before. A server that answers every update script with another offer must
// meet a clear failure, not the end of the stack.
constexpr int kMaxUpdateScriptDepth = 8;

struct VersionEntry {
    std::string version;
    std::string description;
    std::string scriptUrl;
    std::optional<Sha256Digest> pin;  // the update script's SHA-256, when the line gives one
};

// Splits "version;description;script URL[;sha256=<hex>]". Throws when a ";" is missing or the
// pin is malformed; a fourth field that is no pin, and anything after it, is ignored.
VersionEntry SplitVersionEntry(const std::string& argument) {
    const ArgumentFields fields = ArgumentFields::Split(argument, 4);
    fields.Require(3);
    VersionEntry entry;
    entry.version = fields[0].text;
    entry.description = ReplaceAll(ReplaceLineBreaks(fields[1].text), kPlaceholderSemicolon, ";");
    entry.scriptUrl = fields[2].text;
    entry.pin = TakePinField(fields, 3);
    return entry;
}

// Shows the description and asks whether to install. True when the user answers Yes.
bool OfferUpdate(ScriptInterpreter& interpreter, const VersionEntry& entry) {
    UpdaterState& state = interpreter.State();
    UpdaterWindow& window = interpreter.Window();
    state.UpdateHandled = 1;
    const std::string title = CutToReadableLength(state.SoftwareTitle);
    window.AppendLog(ReplaceAll(interpreter.Text("UpdateFound"), kPlaceholderTitle, title));

    // Line breaks, then the title, then the description: a "%TITLE%" inside the description
    // stays as written, a "%DESCRIPTION%" inside the title shows the description.
    const std::string dialog =
        ReplaceInTurn(interpreter.Text("UpdateFoundDescriptionDialog"),
                      {{kPlaceholderCrLf, kCrLf},
                       {kPlaceholderTitle, title},
                       {kPlaceholderDescription, CutToReadableLength(entry.description)}},
                      kReadableBoxLength);
    window.ShowMessageBox(dialog, MessageBoxStyle::Information);

    return window.ShowMessageBox(interpreter.Text("InstallUpdate"), MessageBoxStyle::Question) ==
           kAnswerYes;
}

// The downloaded update script's bytes, read once: with a pin they are hashed again here, so
// what runs is what was checked even if the file changed on the disk after the download had
// hashed it. A mismatch sets `download` to DigestMismatch.
std::string ReadCheckedScript(ScriptInterpreter& interpreter, const std::string& path,
                              const std::optional<Sha256Digest>& pin, DownloadResult& download) {
    std::string script = interpreter.Files().ReadFileBytes(path);
    if (pin && Sha256Of(interpreter.Cryptography(), script) != *pin) {
        download = DownloadResult::DigestMismatch;
    }
    return script;
}

// The nested run of the update script on the buffer, then the removal of the update script
// file. A failure that the script's own trap does not catch is reported here, with this line,
// as this line's trap would report it; so is a file that cannot be removed.
void RunUpdateScript(ScriptInterpreter& interpreter, const ScriptRun& run,
                     const std::string& scriptPath) {
    try {
        interpreter.InterpretScript(RunKind::Nested);
    } catch (const std::exception& failure) {
        interpreter.ReportCommandError(run, failure.what());
        RemoveFileQuietly(interpreter.Files(), scriptPath);
        return;
    }
    try {
        // An offer inside the update script used the same file and has removed it already.
        if (interpreter.Files().FileExists(scriptPath)) {
            interpreter.Files().RemoveFile(scriptPath);
        }
    } catch (const std::exception& failure) {
        interpreter.ReportCommandError(run, failure.what());
    }
}

// The update script as one transaction: it commits when the script ended well (its last line
// or OFF) and is rolled back, after the error box, when anything failed. A rollback that
// restored everything logs nothing: the box has told the user, and the files are as they were.
void RunUpdateScriptAsTransaction(ScriptInterpreter& interpreter, const ScriptRun& run,
                                  const std::string& scriptPath) {
    FileInUseBox inUseBox(interpreter);
    UpdateTransaction transaction(interpreter.Files(), interpreter.State().AppPath, inUseBox);
    {
        struct Active {
            ScriptInterpreter& interpreter;
            ~Active() { interpreter.SetTransaction(nullptr); }
        } active{interpreter};
        interpreter.SetTransaction(&transaction);
        RunUpdateScript(interpreter, run, scriptPath);
    }
    if (interpreter.State().UpdateFailed == 0) {
        transaction.Commit();
        return;
    }
    for (const std::string& path : transaction.RollBack()) {
        interpreter.Window().AppendLog(RestoreFailedText(interpreter.Texts(), path));
    }
    // The undo may have brought back an update script file that a DEL line had put aside.
    RemoveFileQuietly(interpreter.Files(), scriptPath);
}

}  // namespace

// CMV <version>;<description>;<update script URL>[;sha256=<hex>]
LineOutcome RunCmv(ScriptInterpreter& interpreter, ScriptRun& run) {
    run.ArmTrap();
    const VersionEntry entry = SplitVersionEntry(run.Argument());
    UpdaterState& state = interpreter.State();

    if (!state.InstalledVersion.RemoveDotsAndTestNumeric()) {
        // The version file is at fault, not this line: its own message, without the line.
        state.UpdateHandled = 1;
        state.UpdateFailed = 1;
        interpreter.Window().ShowMessageBox(
            ReplaceLineBreaks(interpreter.Text("InvalidVersionNumberInVersionFileError")),
            MessageBoxStyle::Error);
        return LineOutcome::EndRun;
    }
    const std::string listedVersion = RemoveDots(entry.version);
    if (!IsNumeric(listedVersion)) {
        return interpreter.ReportCommandError(run, interpreter.Text("InvalidVersionNumberError"));
    }
    if (!IsNewerVersion(listedVersion, state.InstalledVersion.Text())) {
        return LineOutcome::Finished;
    }

    if (interpreter.UpdateScriptDepth() >= kMaxUpdateScriptDepth) {
        throw ScriptFailure("Update scripts offer further versions too many levels deep: at most " +
                            std::to_string(kMaxUpdateScriptDepth) +
                            " update scripts may run inside one another.");
    }
    RequirePinWhenKeyed(state.TrustedKeys, entry.pin);
    if (state.CheckOnly) {
        state.UpdateHandled = 1;
        state.NewerVersionListed = true;
        return LineOutcome::EndRun;
    }
    if (!OfferUpdate(interpreter, entry)) {
        interpreter.Window().AppendLog(interpreter.Text("UpdateCanceledByUser"));
        return LineOutcome::EndRun;
    }
    interpreter.Window().AppendLog(ReplaceLineBreaks(interpreter.Text("Updating")));
    interpreter.Window().ProcessPendingEvents();

    const std::string scriptPath = state.AppPath + kUpdateScriptFileName;
    DownloadResult download = interpreter.Network().DownloadFile(
        entry.scriptUrl, scriptPath, DownloadKind::ReleaseFile, entry.pin);
    std::string script;
    if (download == DownloadResult::Stored) {
        script = ReadCheckedScript(interpreter, scriptPath, entry.pin, download);
    }
    if (download != DownloadResult::Stored) {
        state.UpdateFailed = 1;
        // A file left by an earlier run goes, so that a failed download leaves no update
        // script behind (the download never touches the old file when it fails). Quietly: the
        // download failure is what the user needs to hear about.
        RemoveFileQuietly(interpreter.Files(), scriptPath);
        return interpreter.ReportCommandError(
            run, interpreter.Text(download == DownloadResult::DigestMismatch
                                      ? "ChecksumErrorMessage"
                                      : "DownloadUpdateScriptError"));
    }

    // Park the rest of this script; the update script runs alone on the buffer. This offer
    // keeps its own copy: an offer inside the update script parks the rest of that script in
    // the park, and each must get back what it parked itself.
    std::string parked = interpreter.Buffer().Text();
    interpreter.Park() = parked;
    interpreter.Buffer().SetText(std::move(script));
    if (interpreter.Transaction() != nullptr) {
        // An offer inside an update script: its script's changes join the transaction of the
        // script that runs it, and stand or fall with it.
        RunUpdateScript(interpreter, run, scriptPath);
    } else {
        RunUpdateScriptAsTransaction(interpreter, run, scriptPath);
    }

    if (state.ExitAfterUpdate == 1 || state.UpdateFailed == 1) {
        return LineOutcome::EndRun;
    }
    interpreter.Buffer().SetText(std::move(parked));
    interpreter.Window().AppendLog(interpreter.Text("UpdateFinished"));
    return LineOutcome::Finished;
}
