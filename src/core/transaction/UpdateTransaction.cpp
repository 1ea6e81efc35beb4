#include "core/transaction/UpdateTransaction.h"

#include <exception>
#include <stdexcept>

#include "core/text/AsciiCase.h"
#include "core/transaction/InterruptedUpdate.h"
#include "core/transaction/StepUndo.h"
#include "core/transaction/TransactionFiles.h"

UpdateTransaction::UpdateTransaction(FileSystem& files, const std::string& programFolder,
                                     InUsePrompt& prompt)
    : files_(files),
      programFolder_(programFolder),
      journalPath_(programFolder + '\\' + std::string(kJournalName)),
      prompt_(prompt) {}

void UpdateTransaction::Record(const JournalStep& step) {
    if (!journal_) {
        // A journal left by an undo that did not complete is undone again first: a new
        // update's steps must not mix with steps that still wait to be undone.
        if (files_.EntryExists(journalPath_) &&
            RecoverInterruptedUpdate(files_, programFolder_).journalRemains) {
            throw std::runtime_error(
                "An earlier update could not be undone completely, and nothing more is changed "
                "until it is. Close the programs that may use the software's files, then start "
                "Quillmere again.");
        }
        journal_ = files_.OpenForAppend(journalPath_);
        journal_->Append(kJournalHeader);
    }
    journal_->Append(FormatStep(step));
    steps_.push_back(step);
}

// The folder that holds `path` gets its times back after the undo: every step inside it
// changes its last-write time. Recorded once, before the first step inside it; a folder whose
// times cannot be read is left out (its entries are still restored).
void UpdateTransaction::StampHoldingFolder(const std::string& path) {
    const std::string folder = HoldingFolder(path);
    if (folder.empty() || !stampedFolders_.insert(LowerAscii(folder)).second) {
        return;
    }
    EntryStamp stamp;
    try {
        stamp = files_.ReadStamp(folder);
    } catch (const std::exception&) {
        return;
    }
    Record({StepKind::Stamp, folder, {}, stamp});
}

// Where the aside copy of `entry` goes: the program's folder for an entry inside it, so that
// a later RMD or ERD of the entry's own folder finds no copy of ours in its way; beside the
// entry for one outside it. Either way on the same volume, as a rename needs.
std::string UpdateTransaction::AsideNameFor(const std::string& entry) {
    const std::string home = programFolder_ + '\\';
    const bool inside = StartsWithIgnoringAsciiCase(entry, home) && entry.size() > home.size();
    return FreeNameBeside(files_, inside ? home + "x" : entry, kAsideSuffix, nameCounter_);
}

// Renames `path` to a free aside name, recorded first, asking the user while another program
// holds it open. The copy is hidden (its own attributes are in the journal).
std::string UpdateTransaction::MoveAside(const std::string& path) {
    const std::string entry = WithoutTrailingBackslash(path);
    const EntryStamp stamp = files_.ReadStamp(entry);
    const std::string aside = AsideNameFor(entry);
    StampHoldingFolder(entry);
    StampHoldingFolder(aside);
    Record({StepKind::Aside, entry, aside, stamp});
    for (;;) {
        try {
            files_.MoveEntry(entry, aside, false);
            break;
        } catch (const EntryInUse&) {
            if (!prompt_.RetryInUse(entry)) {
                throw;
            }
        }
    }
    try {
        files_.WriteStamp(aside, {stamp.attributes | kAttributeHidden, stamp.created,
                                  stamp.written});
    } catch (const std::exception&) {
        // Hiding the copy is a courtesy; the journal has what it needs.
    }
    return aside;
}

void UpdateTransaction::MakeFolder(const std::string& path) {
    // Something already there (a hidden folder the existence test does not see) makes the
    // creation fail; it is not ours to remove on undo.
    if (!files_.EntryExists(path)) {
        StampHoldingFolder(path);
        Record({StepKind::MadeFolder, WithoutTrailingBackslash(path), {}, {}});
    }
    files_.MakeFolder(path);
}

void UpdateTransaction::RemoveEmptyFolder(const std::string& path) {
    const EntryStamp stamp = files_.ReadStamp(path);
    StampHoldingFolder(path);
    Record({StepKind::RemovedFolder, WithoutTrailingBackslash(path), {}, stamp});
    files_.RemoveEmptyFolder(path);
}

void UpdateTransaction::RemoveFile(const std::string& path) {
    MoveAside(path);
}

void UpdateTransaction::EraseFolder(const std::string& folder) {
    if (!IsDriveRoot(folder)) {
        MoveAside(folder);
        return;
    }
    // A root cannot be renamed: its entries go aside one by one, each in the root.
    const std::string root = WithoutTrailingBackslash(folder);
    for (const std::string& name : files_.EntryNames(root)) {
        MoveAside(root + '\\' + name);
    }
}

std::string UpdateTransaction::StagingPathFor(const std::string& target) {
    const std::string staged = FreeNameBeside(files_, target, kStagedSuffix, nameCounter_);
    // Recorded so that a run killed during the download leaves no file behind. A journal that
    // cannot be written now fails the placing of the download (DownloadError, as a download
    // that cannot be stored fails) rather than the download itself.
    try {
        StampHoldingFolder(target);
        Record({StepKind::Staged, target, staged, {}});
    } catch (const std::exception&) {
    }
    return staged;
}

void UpdateTransaction::PlaceDownload(const std::string& staged, const std::string& target) {
    try {
        if (files_.EntryExists(target)) {
            // Refused as a download refuses to replace them.
            if ((files_.ReadStamp(target).attributes & (kAttributeReadOnly | kAttributeFolder)) !=
                0) {
                throw std::runtime_error("The file to replace is read-only or a folder.");
            }
            MoveAside(target);
        } else {
            StampHoldingFolder(target);
        }
        // Recorded only once the old file is aside: the undo of a placed download removes the
        // file at the target when the staged one is gone.
        Record({StepKind::Placed, target, staged, {}});
    } catch (const std::exception&) {
        RemoveOwnEntry(files_, staged);
        throw;
    }
    files_.MoveEntry(staged, target, false);
}

void UpdateTransaction::RemoveJournal() {
    journal_.reset();
    try {
        files_.ResetAttributesAndDelete(journalPath_);
    } catch (const std::exception&) {
        // A journal that cannot be removed is read at the next start, which finds its work done.
    }
}

void UpdateTransaction::Commit() {
    if (!journal_) {
        return;
    }
    bool committed = true;
    try {
        journal_->Append(kCommitLine);
    } catch (const std::exception&) {
        committed = false;
    }
    // Without its commit line the journal must be gone before any aside copy is: a journal
    // read at the next start would otherwise undo the update with its old files removed. One
    // that stays is undone whole at the next start, the aside copies all still there.
    if (!committed) {
        RemoveJournal();
        if (files_.EntryExists(journalPath_)) {
            return;
        }
    }
    AddLeftovers(files_, programFolder_, FinishSteps(files_, steps_));
    RemoveJournal();
}

std::vector<std::string> UpdateTransaction::RollBack() {
    if (!journal_) {
        return {};
    }
    std::vector<std::string> notRestored = UndoSteps(files_, steps_);
    if (notRestored.empty()) {
        RemoveJournal();
    }
    journal_.reset();
    return notRestored;
}

void AddLeftovers(FileSystem& files, const std::string& programFolder,
                  const std::vector<std::string>& paths) {
    if (paths.empty()) {
        return;
    }
    try {
        const std::unique_ptr<AppendOnlyFile> list =
            files.OpenForAppend(programFolder + '\\' + std::string(kLeftoversName));
        for (const std::string& path : paths) {
            list->Append(FormatPathLine(path));
        }
    } catch (const std::exception&) {
        // The copies stay where they are, hidden.
    }
}
