#include "core/script/ScriptInterpreter.h"

#include "core/script/CommandTable.h"
#include "core/script/ScriptFailure.h"
#include "core/script/ScriptFields.h"
#include "core/text/Placeholders.h"
#include "core/text/ReadableLength.h"

namespace {

// The fourth character separates, whatever it is.
constexpr std::size_t kArgumentStart = kCommandLength + 1;

}  // namespace

std::string ScriptRun::Argument() const {
    if (currentLine_.size() < kArgumentStart) {
        throw ScriptFailure(
            "The line has no argument: a command must be followed by a "
            "separator character and its argument.");
    }
    return currentLine_.substr(kArgumentStart);
}

ScriptInterpreter::ScriptInterpreter(UpdaterState& state, ScriptBuffer& buffer, std::string& park,
                                     const LanguageTexts& texts, UpdaterWindow& window,
                                     const UpdaterPlatform& platform)
    : state_(state),
      buffer_(buffer),
      park_(park),
      texts_(texts),
      window_(window),
      platform_(platform) {}

void ScriptInterpreter::InterpretScript(RunKind kind) {
    // An update script's run counts while it lasts, however it ends: a failure that its trap
    // does not catch passes through to the CMV line that started it.
    struct DepthRestorer {
        int& depth;
        const int saved = depth;
        ~DepthRestorer() { depth = saved; }
    } restoreDepth{updateScriptDepth_};
    if (kind == RunKind::Nested) {
        ++updateScriptDepth_;
    }

    ScriptRun run(kind);
    while (!buffer_.IsEmpty()) {
        TakenLine taken = buffer_.TakeLine();
        run.SetCurrentLine(std::move(taken.text));
        // A CR at the very end has no LF to drop with it. Once the trap is armed that counts
        // as a failure of the line; before, the CR is simply dropped.
        if (taken.endedByLoneCr && run.TrapArmed()) {
            ReportCommandError(run, "The script ends with a carriage return without a line feed.");
            return;
        }
        if (run.CurrentLine().empty()) {
            continue;
        }
        if (RunLine(run) == LineOutcome::EndRun) {
            return;
        }
    }
}

LineOutcome ScriptInterpreter::RunLine(ScriptRun& run) {
    // The failure trap. An update script's run lets a failure that its own trap did not catch
    // pass to the CMV line that started it. Every other run reports it as the trap would, so
    // that no failure goes unreported and the program never ends abruptly.
    try {
        return Dispatch(run);
    } catch (const std::exception& failure) {
        if (!run.TrapArmed() && run.Kind() == RunKind::Nested) {
            throw;
        }
        return ReportCommandError(run, failure.what());
    }
}

LineOutcome ScriptInterpreter::Dispatch(ScriptRun& run) {
    const CommandRow* command = FindLineCommand(run.CurrentLine());
    if (command == nullptr) {
        // A word outside the table, a lower-case command or a line that begins with a blank.
        return ReportCommandError(run, Text("UnknownCommand"));
    }
    if (state_.CheckOnly && command->actsOutside) {
        return LineOutcome::Finished;
    }
    return command->handler(*this, run);
}

LineOutcome ScriptInterpreter::ReportCommandError(const ScriptRun& run,
                                                  std::string_view failureText) {
    state_.UpdateHandled = 1;
    state_.UpdateFailed = 1;
    // Line breaks in the language text only, then the failure text, then the line: a "%CML%"
    // inside the failure text shows the line too, a "%CRLF%" inside either stays as written.
    const std::string message = ReplaceInTurn(
        Text("GenericErrorDialog"),
        {{kPlaceholderCrLf, kCrLf},
         {kPlaceholderError, CutToReadableLength(failureText)},
         {kPlaceholderCommandLine, CutToReadableLength(run.CurrentLine())}},
        kReadableBoxLength);
    window_.ShowMessageBox(message, MessageBoxStyle::Error);
    return LineOutcome::EndRun;
}

void ScriptInterpreter::LoadScriptFile(const std::string& path) {
    buffer_.Append(platform_.files.ReadFileBytes(path));
}

std::string ScriptInterpreter::FullPath(const std::string& path) const {
    return ApplyScriptPathRule(state_.AppPath, path);
}
