#include "core/transaction/InterruptedUpdate.h"

#include <exception>

#include "core/seam/RemoveFileQuietly.h"
#include "core/transaction/JournalStep.h"
#include "core/transaction/StepUndo.h"
#include "core/transaction/TransactionFiles.h"
#include "core/transaction/UpdateTransaction.h"

namespace {

// The update script file a CMV line keeps while its script runs.
constexpr std::string_view kUpdateScriptName = "Script.qsc";

std::string InFolder(const std::string& folder, std::string_view name) {
    return folder + '\\' + std::string(name);
}

void RemoveQuietly(FileSystem& files, const std::string& path) {
    try {
        files.ResetAttributesAndDelete(path);
    } catch (const std::exception&) {
        // Still in use or not ours to remove: it stays.
    }
}

// Undoes or finishes the journal. False when the journal could not be read.
bool SettleJournal(FileSystem& files, const std::string& folder, RecoveryOutcome& outcome) {
    const std::string journalPath = InFolder(folder, kJournalName);
    std::string text;
    try {
        text = files.ReadFileBytes(journalPath);
    } catch (const std::exception&) {
        outcome.journalRemains = true;
        return false;
    }
    const JournalContent journal = ParseJournal(text);
    if (journal.committed) {
        AddLeftovers(files, folder, FinishSteps(files, journal.steps));
    } else {
        outcome.notRestored = UndoSteps(files, journal.steps);
        outcome.undone = !journal.steps.empty();
    }
    if (outcome.notRestored.empty()) {
        RemoveQuietly(files, journalPath);
    }
    outcome.journalRemains = files.EntryExists(journalPath);
    return true;
}

// Removes the aside copies on the leftovers list; those still held go back on it.
void RemoveLeftovers(FileSystem& files, const std::string& folder) {
    const std::string listPath = InFolder(folder, kLeftoversName);
    std::string text;
    try {
        text = files.ReadFileBytes(listPath);
    } catch (const std::exception&) {
        return;
    }
    std::vector<std::string> remaining;
    for (const std::string& path : ParsePathLines(text)) {
        if (!RemoveOwnEntry(files, path)) {
            remaining.push_back(path);
        }
    }
    RemoveQuietly(files, listPath);
    AddLeftovers(files, folder, remaining);
}

}  // namespace

bool SettleLeftJournal(FileSystem& files, const std::string& programFolder) {
    RecoveryOutcome outcome;
    try {
        SettleJournal(files, programFolder, outcome);
    } catch (const std::exception&) {
        return false;
    }
    return !outcome.journalRemains;
}

RecoveryOutcome RecoverInterruptedUpdate(FileSystem& files, const std::string& programFolder) {
    RecoveryOutcome outcome;
    try {
        if (files.EntryExists(InFolder(programFolder, kJournalName)) &&
            !SettleJournal(files, programFolder, outcome)) {
            return outcome;
        }
        if (files.EntryExists(InFolder(programFolder, kLeftoversName))) {
            RemoveLeftovers(files, programFolder);
        }
        RemoveTemporaryFiles(files, programFolder);
        RemoveFileQuietly(files, InFolder(programFolder, kUpdateScriptName));
    } catch (const std::exception&) {
        // Whatever could not be looked at is looked at again at the next start.
    }
    return outcome;
}
