// Program, message and download commands: EXE, MSG and DWN.

#include "core/script/Commands.h"
#include "core/script/PinField.h"
#include "core/script/ProgramInFolder.h"
#include "core/script/ScriptFields.h"
#include "core/text/Placeholders.h"
#include "core/text/ReadableLength.h"

namespace {

// Window style of every started program: a normal window that takes the focus (SW_SHOWNORMAL).
constexpr int kNormalWindowStyle = 1;

// The download of a DWN line. In an update script it is staged beside the file and then takes
// its place through the transaction, which keeps the old file aside (a running program's file
// included); elsewhere it replaces the file directly. A staged file that cannot take its place
// (a read-only target, a file held open, the user's Cancel) fails as a download that cannot
// be stored fails.
DownloadResult DownloadInto(ScriptInterpreter& interpreter, const std::string& url,
                            const std::string& localPath, const std::optional<Sha256Digest>& pin) {
    UpdateTransaction* transaction = interpreter.Transaction();
    if (transaction == nullptr) {
        return interpreter.Network().DownloadFile(url, localPath, DownloadKind::ReleaseFile, pin);
    }
    const std::string staged = transaction->StagingPathFor(localPath);
    const DownloadResult download =
        interpreter.Network().DownloadFile(url, staged, DownloadKind::ReleaseFile, pin);
    if (download != DownloadResult::Stored) {
        return download;
    }
    try {
        transaction->PlaceDownload(staged, localPath);
    } catch (const std::exception&) {
        return DownloadResult::Failed;
    }
    return DownloadResult::Stored;
}

}  // namespace

// EXE [WAIT:]<command line>: starts a program; with WAIT: the next line runs after it ended.
LineOutcome RunExe(ScriptInterpreter& interpreter, ScriptRun& run) {
    std::string commandLine = run.Argument();
    const bool wait = commandLine.starts_with(kWaitPrefix);
    if (wait) {
        commandLine.erase(0, kWaitPrefix.size());
    }
    // A program in the updater's folder is resolved here and quoted: the system's own rule
    // would try the folder's path cut at its first blank ("C:\Program.exe") before it.
    if (IsInProgramFolder(commandLine)) {
        commandLine = ProgramInFolderCommandLine(interpreter.Files(), interpreter.State().AppPath,
                                                 commandLine);
    } else {
        commandLine = interpreter.FullPath(commandLine);
    }
    if (!interpreter.Launcher().LaunchExecutable(commandLine, wait, kNormalWindowStyle)) {
        return interpreter.ReportCommandError(run, interpreter.Text("LaunchError"));
    }
    return LineOutcome::Finished;
}

// MSG <text>: shows the text, "%CRLF%" as line breaks, in an information box (cut to a
// readable length). Logs nothing.
LineOutcome RunMsg(ScriptInterpreter& interpreter, ScriptRun& run) {
    interpreter.Window().ShowMessageBox(CutToReadableLength(ReplaceLineBreaks(run.Argument())),
                                        MessageBoxStyle::Information);
    return LineOutcome::Finished;
}

// DWN <url>;<local file>[;sha256=<hex>]: downloads the URL into the file, which must have the
// pinned SHA-256 when a pin is given. A third field that is no pin is ignored.
LineOutcome RunDwn(ScriptInterpreter& interpreter, ScriptRun& run) {
    run.ArmTrap();
    const std::string argument = run.Argument();
    const ArgumentFields fields = ArgumentFields::Split(argument, 3);
    fields.Require(2);
    const std::string url(fields[0].text);
    const std::string localPath = interpreter.FullPath(std::string(fields[1].text));
    const std::optional<Sha256Digest> pin = TakePinField(fields, 2);
    RequirePinWhenKeyed(interpreter.State().TrustedKeys, pin);

    interpreter.Window().AppendLog(ReplaceLineBreaks(interpreter.Text("DownloadMessage")));
    interpreter.Window().ProcessPendingEvents();
    const DownloadResult download = DownloadInto(interpreter, url, localPath, pin);
    if (download != DownloadResult::Stored) {
        return interpreter.ReportCommandError(
            run,
            interpreter.Text(download == DownloadResult::DigestMismatch ? "ChecksumErrorMessage"
                                                                        : "DownloadError"));
    }
    interpreter.Window().AppendLog(interpreter.Text("EndDownloadMessage"));
    return LineOutcome::Finished;
}
