#include "app/Updater.h"

#include "text/Placeholders.h"

Updater::Updater(UpdaterWindow& window, UpdaterPlatform& platform)
    : window_(window),
      platform_(platform),
      texts_(platform),
      interpreter_(state_, buffer_, park_, texts_, window, platform) {}

bool Updater::StartUp() {
    // First, so that the early exits below may close the window.
    state_.CloseAllowed = 1;
    state_.ExitAfterUpdate = 0;

    // A drive root is reported as "C:\": drop that one backslash so that every path built from
    // AppPath has exactly one between folder and name.
    state_.AppPath = platform_.ProgramFolder();
    if (!state_.AppPath.empty() && state_.AppPath.back() == '\\') {
        state_.AppPath.pop_back();
    }
    const std::string filesBase = state_.AppPath + "\\" + platform_.ProgramName();

    if (!platform_.FileExists(filesBase + ".lng")) {
        window_.ShowMessageBox(kMissingLanguageFileMessage, MessageBoxStyle::Error);
        window_.RequestClose();
        return false;
    }
    texts_.SetFilePath(filesBase + ".lng");

    if (!platform_.FileExists(filesBase + ".cfg")) {
        window_.ShowMessageBox(ReplaceLineBreaks(texts_.Text("ConfigurationFileError")),
                               MessageBoxStyle::Error);
        window_.RequestClose();
        return false;
    }
    RunConfigurationFile(filesBase + ".cfg");
    LabelWindow();
    return true;
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
    interpreter_.InterpretScript();
}

void Updater::LabelWindow() {
    window_.SetTitleLabel(state_.SoftwareTitle);
    window_.SetCaption(ReplaceAll(texts_.Text("WindowsCaption"), kPlaceholderTitle,
                                  state_.SoftwareTitle));
    // Line breaks first, so that a "%CRLF%" inside the title stays literal.
    window_.ReplaceLog(ReplaceAll(ReplaceLineBreaks(texts_.Text("WelcomeMessage")),
                                  kPlaceholderTitle, state_.SoftwareTitle));
    window_.SetButtonCaptions(texts_.Text("ButtonUpdate"), texts_.Text("ButtonClose"));
    window_.SetProgressBarTooltip(texts_.Text("ProgressionBar"));
}
