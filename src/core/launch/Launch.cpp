#include "core/launch/Launch.h"

#include "core/launch/ExitCode.h"
#include "core/text/Placeholders.h"
#include "core/text/ReadableLength.h"
#include "core/update/Updater.h"

namespace {

// How long /waitpid waits before it asks again (or gives up, unattended).
constexpr int kProcessWaitMilliseconds = 60'000;

const char* CommandLineErrorKey(CommandLineError::Kind kind) {
    switch (kind) {
        case CommandLineError::Kind::UnknownSwitch:
            return "SwitchUnknownError";
        case CommandLineError::Kind::BadValue:
            return "SwitchValueError";
        case CommandLineError::Kind::Conflict:
            return "SwitchConflictError";
    }
    return "SwitchUnknownError";
}

}  // namespace

Launch::Launch(ParsedCommandLine commandLine, UpdaterWindow& plain, LaunchSystem& system,
               ProgramHome& home)
    : commandLine_(std::move(commandLine)),
      system_(system),
      texts_(home),
      appPath_(home.AppPath()),
      answering_(commandLine_.options.Unattended() ? std::make_unique<AnsweringWindow>(plain)
                                                   : nullptr),
      logged_(answering_ ? static_cast<UpdaterWindow&>(*answering_) : plain) {
    // The launch's texts come before start-up has looked for the language file: a missing
    // one gives the built-in English texts.
    texts_.SetFilePath(home.OwnFilePath(kLanguageFileExtension));
}

std::optional<int> Launch::Prepare() {
    // First, so that everything after it, a faulty command line included, is in the log.
    if (Options().logFile) {
        try {
            logged_.SetLogFile(system_.OpenLogFile(*Options().logFile));
        } catch (const std::exception& failure) {
            return ShowAndExit(ReplaceInTurn(texts_.Text("LogFileError"),
                                             {{kPlaceholderCrLf, kCrLf},
                                              {kPlaceholderFile,
                                               CutToReadableLength(*Options().logFile)},
                                              {kPlaceholderError,
                                               CutToReadableLength(failure.what())}},
                                             kReadableBoxLength),
                               ExitCode::Failed);
        }
    }
    if (std::optional<int> exit = RefuseCommandLine()) {
        return exit;
    }
    if (std::optional<int> exit = WaitForCallingProcess()) {
        return exit;
    }
    return TakeFolderGuard();
}

std::optional<int> Launch::RefuseCommandLine() {
    const std::optional<CommandLineError>& error = commandLine_.error;
    if (!error) {
        return std::nullopt;
    }
    return ShowAndExit(ReplaceInTurn(texts_.Text(CommandLineErrorKey(error->kind)),
                                     {{kPlaceholderCrLf, kCrLf},
                                      {kPlaceholderSwitch, CutToReadableLength(error->argument)}},
                                     kReadableBoxLength),
                       ExitCode::Usage);
}

std::optional<int> Launch::WaitForCallingProcess() {
    const std::optional<std::uint32_t> processId = Options().waitProcessId;
    if (!processId) {
        return std::nullopt;
    }
    while (!system_.WaitForProcessEnd(*processId, kProcessWaitMilliseconds)) {
        // Unattended, the box is answered Cancel: the caller learns it from the exit code.
        const std::string text =
            ReplaceInTurn(texts_.Text("ProgramStillRunningMessage"),
                          {{kPlaceholderCrLf, kCrLf},
                           {kPlaceholderProcess, std::to_string(*processId)}},
                          kReadableBoxLength);
        if (Window().ShowMessageBox(text, MessageBoxStyle::RetryCancel) != kAnswerRetry) {
            return ExitCode::StillRunning;
        }
    }
    return std::nullopt;
}

std::optional<int> Launch::TakeFolderGuard() {
    if (system_.TakeFolderGuard(appPath_)) {
        return std::nullopt;
    }
    return ShowAndExit(ReplaceLineBreaks(texts_.Text("AlreadyRunningMessage")),
                       ExitCode::AlreadyRunning);
}

int Launch::ShowAndExit(const std::string& text, int exitCode) {
    // Unattended, the box is answered unseen; the log file still has its text.
    Window().ShowMessageBox(text, MessageBoxStyle::Error);
    return exitCode;
}

int Launch::RunUnattended(const UpdaterPlatform& platform) {
    // A silent update in a folder it cannot write would only fail: nobody is there to give
    // administrator rights, so it changes nothing and says a person is needed.
    if (!Options().check && !system_.CanWriteFolder(appPath_)) {
        Window().AppendLog(ReplaceLineBreaks(texts_.Text("AdministratorRightsNeededMessage")));
        return ExitCode::PersonNeeded;
    }
    Updater updater(Window(), platform);
    if (Options().check) {
        updater.CheckOnly(system_.TemporaryFolder() + "\\~qmcheck" +
                          std::to_string(system_.ProcessId()));
    }
    if (!updater.StartUp()) {
        return ExitCode::Failed;
    }
    updater.RunUpdateCheck();
    if (answering_->PersonNeeded()) {
        return ExitCode::PersonNeeded;
    }
    const Updater::RunOutcome outcome = updater.LastRun();
    if (outcome.failed) {
        return ExitCode::Failed;
    }
    return outcome.newerVersionListed ? ExitCode::NewerVersion : ExitCode::Success;
}

bool Launch::UpdateNeedsElevation() {
    if (!needsElevation_) {
        needsElevation_ =
            !Options().relaunched && !system_.IsElevated() && !system_.CanWriteFolder(appPath_);
    }
    return *needsElevation_;
}

bool Launch::RelaunchElevated() {
    const LaunchSystem::Relaunch relaunch =
        system_.RelaunchElevated(ElevatedRelaunchArguments(Options(), system_.ProcessId()));
    if (relaunch == LaunchSystem::Relaunch::Started) {
        return true;
    }
    Window().AppendLog(ReplaceLineBreaks(texts_.Text("AdministratorRightsNeededMessage")));
    return false;
}
