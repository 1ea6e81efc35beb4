#include "core/transaction/UpdateTransaction.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "core/text/AsciiCase.h"
#include "core/transaction/InterruptedUpdate.h"
#include "core/transaction/StepUndo.h"
#include "core/transaction/TransactionFiles.h"

UpdateTransaction::UpdateTransaction(FileSystem& files, const std::string& programFolder,
                                     InUsePrompt& prompt, Journal journal)
    : files_(files),
      programFolder_(programFolder),
      journalPath_(programFolder + '\\' + std::string(kJournalName)),
      prompt_(prompt),
      journalKind_(journal) {}

// Appends `step` to the journal. A durable step is flushed before this returns, and with it
// every step written before: a step is never done without its record on the disk. A step that
// only helps to tidy up after a crash (a folder's times, a download about to start) is left to
// the next flush: a process killed outright loses nothing the system already holds.
void UpdateTransaction::Record(const JournalStep& step, Durability durability) {
    if (journalKind_ == Journal::InMemory) {
        steps_.push_back(step);
        return;
    }
    if (!journal_) {
        // A journal left by an undo that did not complete is undone again first: a new
        // update's steps must not mix with steps that still wait to be undone.
        if (files_.EntryExists(journalPath_) && !SettleLeftJournal(files_, programFolder_)) {
            throw std::runtime_error(
                "An earlier update could not be undone completely, and nothing more is changed "
                "until it is. Close the programs that may use the software's files, then start "
                "Quillmere again.");
        }
        // Kept only once its header is written: a later step never goes into a journal that
        // the next start could not read. A half-written one is read as empty and removed.
        std::unique_ptr<AppendOnlyFile> journal = files_.OpenForAppend(journalPath_);
        journal->Append(kJournalHeader);
        journal_ = std::move(journal);
    }
    AppendLine(FormatStep(step));
    steps_.push_back(step);
    if (durability == Durability::Flushed) {
        journal_->Flush();
    }
}

// A write that failed may have left part of a line: the next one starts on a line of its own,
// so that only the cut line is unreadable.
void UpdateTransaction::AppendLine(const std::string& line) {
    try {
        journal_->Append(lineCut_ ? '\n' + line : line);
    } catch (const std::exception&) {
        lineCut_ = true;
        throw;
    }
    lineCut_ = false;
}

// The folder that holds `path` gets its times back after the undo: every step inside it
// changes its last-write time. Recorded once, before the first step inside it; a folder whose
// times cannot be read is left out (its entries are still restored).
void UpdateTransaction::StampHoldingFolder(const std::string& path) {
    const std::string folder = HoldingFolder(path);
    if (folder.empty()) {
        return;
    }
    const std::string key = LowerAscii(folder);
    if (std::find(stampedFolders_.begin(), stampedFolders_.end(), key) != stampedFolders_.end()) {
        return;
    }
    // A stamp read before whose record failed is the one to record: the folder may have
    // changed since (a download staged in it).
    const auto unrecorded = std::find_if(unrecordedStamps_.begin(), unrecordedStamps_.end(),
                                         [&](const auto& entry) { return entry.first == key; });
    EntryStamp stamp;
    if (unrecorded != unrecordedStamps_.end()) {
        stamp = unrecorded->second;
    } else {
        try {
            stamp = files_.ReadStamp(folder);
        } catch (const std::exception&) {
            return;
        }
    }
    try {
        Record({StepKind::Stamp, folder, {}, {}, stamp}, Durability::Buffered);
    } catch (const std::exception&) {
        if (unrecorded == unrecordedStamps_.end()) {
            unrecordedStamps_.emplace_back(key, stamp);
        }
        throw;
    }
    stampedFolders_.push_back(key);
}

// Where the aside copy of `entry` goes: the program's folder for an entry inside it, so that
// a later RMD or ERD of the entry's own folder finds no copy of ours in its way; beside the
// entry for one outside it. Either way on the same volume, as a rename needs. The folders of
// both get their times back on undo.
std::string UpdateTransaction::AsideNameFor(const std::string& entry) {
    const std::string home = programFolder_ + '\\';
    const bool inside = StartsWithIgnoringAsciiCase(entry, home) && entry.size() > home.size();
    const std::string aside =
        FreeNameBeside(files_, inside ? home + "x" : entry, kAsideSuffix, nameCounter_);
    StampHoldingFolder(entry);
    StampHoldingFolder(aside);
    return aside;
}

// Renames `entry` to `aside` (its step already recorded), asking the user while another
// program holds it open. The copy is hidden; its own attributes are in the journal.
void UpdateTransaction::MoveAside(const std::string& entry, const std::string& aside,
                                  const EntryStamp& stamp) {
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
        files_.WriteStamp(aside, {stamp.attributes | kAttributeHidden, 0, 0});
    } catch (const std::exception&) {
        // Hiding the copy is a courtesy; the journal has what it needs.
    }
}

// `path` with its last element spelled as the folder holds it, so that the undo gives the entry
// back its own name, whatever case or short form the script used.
std::string UpdateTransaction::AsHeld(const std::string& path) {
    const std::string entry = WithoutTrailingBackslash(path);
    return entry.substr(0, EntryNameStart(entry)) + files_.ActualName(entry);
}

void UpdateTransaction::KeepAside(const std::string& path) {
    const std::string entry = AsHeld(path);
    const EntryStamp stamp = files_.ReadStamp(entry);
    const std::string aside = AsideNameFor(entry);
    Record({StepKind::Aside, entry, aside, {}, stamp}, Durability::Flushed);
    MoveAside(entry, aside, stamp);
}

void UpdateTransaction::MakeFolder(const std::string& path) {
    // Something already there (a hidden folder the existence test does not see) makes the
    // creation fail; it is not ours to remove on undo.
    if (!files_.EntryExists(path)) {
        StampHoldingFolder(path);
        Record({StepKind::MadeFolder, WithoutTrailingBackslash(path), {}, {}, {}},
               Durability::Flushed);
    }
    files_.MakeFolder(path);
}

void UpdateTransaction::RemoveEmptyFolder(const std::string& path) {
    const EntryStamp stamp = files_.ReadStamp(path);
    StampHoldingFolder(path);
    Record({StepKind::RemovedFolder, WithoutTrailingBackslash(path), {}, {}, stamp},
           Durability::Flushed);
    files_.RemoveEmptyFolder(path);
}

void UpdateTransaction::RemoveFile(const std::string& path) {
    KeepAside(path);
}

void UpdateTransaction::EraseFolder(const std::string& folder) {
    if (!IsDriveRoot(folder)) {
        KeepAside(folder);
        return;
    }
    // A root cannot be renamed: its entries go aside one by one, each in the root.
    const std::string root = WithoutTrailingBackslash(folder);
    for (const std::string& name : files_.EntryNames(root)) {
        KeepAside(root + '\\' + name);
    }
}

std::string UpdateTransaction::StagingPathFor(const std::string& target) {
    const std::string staged = FreeNameBeside(files_, target, kStagedSuffix, nameCounter_);
    // Recorded so that a run killed during the download leaves no file behind. A journal that
    // cannot be written now fails the placing of the download (DownloadError, as a download
    // that cannot be stored fails) rather than the download itself.
    try {
        StampHoldingFolder(target);
        Record({StepKind::Staged, target, {}, staged, {}}, Durability::Buffered);
    } catch (const std::exception&) {
    }
    return staged;
}

void UpdateTransaction::PlaceDownload(const std::string& staged, const std::string& target) {
    JournalStep step{StepKind::Replaced, target, {}, staged, {}};
    try {
        if (files_.EntryExists(target)) {
            step.path = AsHeld(target);
            step.stamp = files_.ReadStamp(target);
            // Refused as a download refuses to replace them.
            if ((step.stamp.attributes & (kAttributeReadOnly | kAttributeFolder)) != 0) {
                throw std::runtime_error("The file to replace is read-only or a folder.");
            }
            step.aside = AsideNameFor(target);
        } else {
            StampHoldingFolder(target);
        }
        Record(step, Durability::Flushed);
        if (!step.aside.empty()) {
            MoveAside(step.path, step.aside, step.stamp);
        }
    } catch (const std::exception&) {
        // The old file is where it was: the staged one goes, and the undo finds nothing to do.
        RemoveOwnEntry(files_, staged);
        throw;
    }
    // A failure here leaves the staged file for the undo, which puts the old one back.
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
    if (journalKind_ == Journal::InMemory) {
        AddLeftovers(files_, programFolder_, FinishSteps(files_, steps_));
        return;
    }
    if (!journal_) {
        return;
    }
    bool committed = true;
    try {
        AppendLine(std::string(kCommitLine));
        journal_->Flush();
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
    if (journalKind_ == Journal::InMemory) {
        return UndoSteps(files_, steps_);
    }
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
