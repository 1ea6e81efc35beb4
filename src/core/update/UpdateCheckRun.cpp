// The update check run: from a press of Update to the closing log message.

#include "core/update/Updater.h"
#include "core/crypto/FeedSignature.h"
#include "core/crypto/SignatureFile.h"
#include "core/seam/RemoveFileQuietly.h"
#include "core/text/Placeholders.h"
#include "core/text/ReadableLength.h"

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

void Updater::CheckOnly(std::string temporaryStem) {
    state_.CheckOnly = true;
    checkStem_ = std::move(temporaryStem);
}

Updater::RunOutcome Updater::LastRun() const {
    return {state_.UpdateFailed != 0 || checkFailed_, state_.NewerVersionListed};
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
    state_.NewerVersionListed = false;
    checkFailed_ = false;
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
        checkFailed_ = true;
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
    if (signedOnlyRefusal_) {
        LogSignatureRefusal(*signedOnlyRefusal_);
        EndWithFailure();
        return;
    }

    if (platform_.downloader.DownloadFile(state_.UpdateInfoUrl, TemporaryFilePath(),
                                          DownloadKind::UpdateInformation,
                                          std::nullopt) != DownloadResult::Stored) {
        // Said first: removing the old file below may fail, and the user must still hear why
        // the check found nothing.
        window_.AppendLog(ReplaceLineBreaks(texts_.Text("UdpateInformationsFileErrorMessage")));
        checkFailed_ = true;
        RemoveStaleTemporaryFile();
        ReturnToIdle();
        return;
    }
    window_.AppendLog(texts_.Text("UpdateInformationsFileFoundAndDownloadedMessage"));
    window_.ProcessPendingEvents();

    // Read once: the bytes whose signature is checked are the bytes that run.
    bool loaded = true;
    std::string feed;
    try {
        feed = platform_.files.ReadFileBytes(TemporaryFilePath());
    } catch (const std::exception&) {
        loaded = false;
        state_.UpdateFailed = 1;
    }
    if (loaded && !state_.TrustedKeys.empty() && !FeedSignatureHolds(feed)) {
        RemoveStaleTemporaryFile();
        EndWithFailure();
        return;
    }
    window_.AppendLog(texts_.Text("UpdateInformationsFileScanMessage"));
    window_.ProcessPendingEvents();
    if (loaded) {
        buffer_.Append(feed);
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

bool Updater::FeedSignatureHolds(const std::string& feed) {
    const std::string signaturePath = SignatureFilePath();
    FeedVerdict verdict{false, "its signature file could not be downloaded"};
    if (platform_.downloader.DownloadFile(SignatureUrl(state_.UpdateInfoUrl), signaturePath,
                                          DownloadKind::UpdateSignature,
                                          std::nullopt) == DownloadResult::Stored) {
        try {
            verdict = VerifyFeedSignature(platform_.crypto, platform_.clock, state_.TrustedKeys,
                                          state_.UpdateInfoUrl, feed,
                                          platform_.files.ReadFileBytes(signaturePath));
        } catch (const std::exception& failure) {
            verdict = {false, failure.what()};
        }
    }
    RemoveFileQuietly(platform_.files, signaturePath);
    if (!verdict.ok) {
        LogSignatureRefusal(verdict.reason);
    }
    return verdict.ok;
}

void Updater::LogSignatureRefusal(const std::string& reason) {
    window_.AppendLog(ReplaceAll(ReplaceLineBreaks(texts_.Text("SignatureErrorMessage")),
                                 kPlaceholderError, CutToReadableLength(reason)));
}

void Updater::RemoveStaleTemporaryFile() {
    // A failed download leaves any older file in place; an old temporary file is ours. One
    // that cannot be removed (locked, no access) stays: the failed download has been logged.
    RemoveFileQuietly(platform_.files, TemporaryFilePath());
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
