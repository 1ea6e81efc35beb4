#include "core/update/Updater.h"

#include "core/seam/RemoveFileQuietly.h"
#include "core/text/Placeholders.h"
#include "core/text/ReadableLength.h"
#include "core/text/UndoTexts.h"
#include "core/update/SignedOnly.h"

Updater::Updater(UpdaterWindow& window, const UpdaterPlatform& platform)
    : window_(window),
      platform_(platform),
      texts_(platform.home),
      interpreter_(state_, buffer_, park_, texts_, window, platform) {}

bool Updater::StartUp() {
    // First, so that the early exits below may close the window.
    state_.CloseAllowed = 1;
    state_.ExitAfterUpdate = 0;

    state_.AppPath = platform_.home.AppPath();
    // Before anything reads the software's files: an update killed half way is undone first.
    const RecoveryOutcome recovery = RecoverInterruptedUpdate(platform_.files, state_.AppPath);
    const std::string languageFile = platform_.home.OwnFilePath(kLanguageFileExtension);
    const std::string configurationFile = platform_.home.OwnFilePath(kConfigurationFileExtension);

    if (!platform_.files.FileExists(languageFile)) {
        window_.ShowMessageBox(kMissingLanguageFileMessage, MessageBoxStyle::Error);
        window_.RequestClose();
        return false;
    }
    texts_.SetFilePath(languageFile);

    if (!platform_.files.FileExists(configurationFile)) {
        window_.ShowMessageBox(ReplaceLineBreaks(texts_.Text("ConfigurationFileError")),
                               MessageBoxStyle::Error);
        window_.RequestClose();
        return false;
    }
    RunConfigurationFile(configurationFile);
    LabelWindow();
    ReportRecovery(recovery);
    RemoveUpdateCheckLeftovers();
    return true;
}

void Updater::ReportRecovery(const RecoveryOutcome& recovery) {
    if (recovery.undone) {
        window_.AppendLog(ReplaceLineBreaks(texts_.Text("UpdateUndoneMessage")));
    }
    for (const std::string& path : recovery.notRestored) {
        window_.AppendLog(RestoreFailedText(texts_, path));
    }
}

void Updater::RemoveUpdateCheckLeftovers() {
    // Where the update check keeps the update information file and its signature: named by
    // the configuration file's LOC line, so known only once it has run.
    if (!state_.VersionFilePath.empty()) {
        RemoveFileQuietly(platform_.files, TemporaryFilePath());
        RemoveFileQuietly(platform_.files, SignatureFilePath());
    }
}

void Updater::RunConfigurationFile(const std::string& path) {
    try {
        interpreter_.LoadScriptFile(path);
    } catch (const std::exception& failure) {
        // The file is there but cannot be read (locked, no access): say so and still start, so
        // the user sees the window and can close it normally.
        window_.ShowMessageBox(
            ReplaceLineBreaks(texts_.Text("ConfigurationFileError")) + "\r\n\r\n" + failure.what(),
            MessageBoxStyle::Error);
        return;
    }
    const std::string text = buffer_.Text();
    interpreter_.InterpretScript(RunKind::Configuration);
    const std::string unrun = buffer_.Text();
    signedOnlyRefusal_ =
        SignedOnlyRefusal({text, unrun, state_.UpdateFailed == 1, !state_.TrustedKeys.empty()});
}

void Updater::LabelWindow() {
    const std::string title = CutToReadableLength(state_.SoftwareTitle);
    window_.SetTitleLabel(title);
    window_.SetCaption(WindowCaption());
    // Line breaks first, so that a "%CRLF%" inside the title stays literal.
    window_.ReplaceLog(
        ReplaceAll(ReplaceLineBreaks(texts_.Text("WelcomeMessage")), kPlaceholderTitle, title));
    window_.SetButtonCaptions(texts_.Text("ButtonUpdate"), texts_.Text("ButtonClose"));
    window_.SetProgressBarTooltip(texts_.Text("ProgressionBar"));
}

std::string Updater::WindowCaption() const {
    return ReplaceAll(texts_.Text("WindowsCaption"), kPlaceholderTitle,
                      CutToReadableLength(state_.SoftwareTitle));
}
