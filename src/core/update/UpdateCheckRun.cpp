// The update check run: from a press of Update to the closing log message.

#include "core/update/Updater.h"
#include "core/text/Placeholders.h"

void Updater::RunUpdateCheck() {
    if (running_) {
        return;
    }
    running_ = true;
    try {
        RunUpdateCheckSteps();
    } catch (...) {
        running_ = false;
        throw;
    }
    running_ = false;
    if (closeDeferred_) {
        closeDeferred_ = false;
        window_.RequestClose();
    }
}

Updater::CloseDecision Updater::DecideClose() {
    if (state_.CloseAllowed == 0) {
        return CloseDecision::Refuse;
    }
    if (running_) {
        closeDeferred_ = true;
        return CloseDecision::Defer;
    }
    return CloseDecision::Close;
}

void Updater::RunUpdateCheckSteps() {
    buffer_.Clear();
    state_.UpdateFailed = 0;
    state_.UpdateHandled = 0;
    state_.CloseAllowed = 0;
    window_.SetButtonsEnabled(false);
    try {
        CheckForUpdates();
    } catch (const std::exception&) {
        // Whatever went wrong, the window must not stay locked in the running state.
        EndWithFailure();
    }
}

void Updater::CheckForUpdates() {
    // Without a LOC line there is no version file to look for: a failed run, not an exit.
    if (state_.VersionFilePath.empty()) {
        EndWithFailure();
        return;
    }
    if (!platform_.files.FileExists(state_.VersionFilePath)) {
        state_.CloseAllowed = 1;
        window_.ShowMessageBox(ReplaceLineBreaks(texts_.Text("VersionFileError")),
                               MessageBoxStyle::Error);
        window_.RequestClose();
        return;
    }
    try {
        interpreter_.LoadScriptFile(state_.VersionFilePath);
    } catch (const std::exception&) {
        EndWithFailure();
        return;
    }
    interpreter_.InterpretScript();

    window_.ReplaceLog(texts_.Text("UpdateInformationsFileResearchMessage"));
    window_.ProcessPendingEvents();

    if (!platform_.downloader.DownloadFile(state_.UpdateInfoUrl, TemporaryFilePath(),
                                           DownloadKind::UpdateInformation)) {
        // Said first: removing the old file below may fail, and the user must still hear why
        // the check found nothing.
        window_.AppendLog(ReplaceLineBreaks(texts_.Text("UdpateInformationsFileErrorMessage")));
        RemoveStaleTemporaryFile();
        ReturnToIdle();
        return;
    }
    window_.AppendLog(texts_.Text("UpdateInformationsFileFoundAndDownloadedMessage"));
    window_.ProcessPendingEvents();

    bool loaded = true;
    try {
        interpreter_.LoadScriptFile(TemporaryFilePath());
    } catch (const std::exception&) {
        loaded = false;
        state_.UpdateFailed = 1;
    }
    window_.AppendLog(texts_.Text("UpdateInformationsFileScanMessage"));
    window_.ProcessPendingEvents();
    if (loaded) {
        interpreter_.InterpretScript();
    }

    // Formed anew: a LOC line of the run may have moved it. A file already gone is a failure.
    try {
        platform_.files.RemoveFile(TemporaryFilePath());
    } catch (const std::exception&) {
        state_.UpdateFailed = 1;
    }

    if (state_.ExitAfterUpdate == 1) {
        state_.CloseAllowed = 1;
        window_.RequestClose();
        return;
    }
    WriteEndMessages();
    ReturnToIdle();
}

void Updater::RemoveStaleTemporaryFile() {
    // A failed download leaves any older file in place; an old temporary file is ours. One
    // that cannot be removed (locked, no access) stays: the failed download has been logged.
    try {
        if (platform_.files.FileExists(TemporaryFilePath())) {
            platform_.files.RemoveFile(TemporaryFilePath());
        }
    } catch (const std::exception&) {
    }
}

void Updater::WriteEndMessages() {
    if (state_.UpdateHandled == 0) {
        window_.AppendLog(texts_.Text("NoUpdateAvailableMessage"));
    }
    window_.AppendLog(texts_.Text(state_.UpdateFailed != 0
                                      ? "UpdateFailedErrorMessage"
                                      : "UpdateInformationsFileEndScanMessage"));
}

void Updater::EndWithFailure() {
    state_.UpdateFailed = 1;
    window_.AppendLog(texts_.Text("UpdateFailedErrorMessage"));
    ReturnToIdle();
}

void Updater::ReturnToIdle() {
    state_.CloseAllowed = 1;
    window_.SetButtonsEnabled(true);
}
