#pragma once
// One update script's changes to the files, as one transaction: each step is recorded in the
// journal (flushed) before it acts, and what a step replaces or removes is renamed aside on the
// same volume, never copied. Commit removes the aside copies; rollback undoes every step in
// reverse order. A run killed half way is rolled back at the next start (InterruptedUpdate.h).
//
// The journal is opened at the first step, so an update script that changes nothing leaves no
// trace. Steps outside an update script (the configuration file, the version file, the update
// information file) act directly, as they always have.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/seam/FileSystem.h"
#include "core/transaction/JournalStep.h"

// Asked when a file cannot be renamed aside because another program holds it open.
class InUsePrompt {
public:
    virtual ~InUsePrompt() = default;
    // True when the user has closed it and the rename is to be tried again; false to give up.
    virtual bool RetryInUse(const std::string& path) = 0;
};

class UpdateTransaction {
public:
    // Where the steps are recorded. OnDisk always, but for the benchmark that measures what the
    // journal costs: InMemory keeps them for the rollback only, and a crash cannot be recovered.
    enum class Journal { OnDisk, InMemory };

    // The journal is `programFolder`\~qm.journal.
    UpdateTransaction(FileSystem& files, const std::string& programFolder, InUsePrompt& prompt,
                      Journal journal = Journal::OnDisk);
    UpdateTransaction(const UpdateTransaction&) = delete;
    UpdateTransaction& operator=(const UpdateTransaction&) = delete;

    // MKD: creates the folder `path`. Throws as FileSystem::MakeFolder does.
    void MakeFolder(const std::string& path);
    // RMD: removes the empty folder `path`. Throws as FileSystem::RemoveEmptyFolder does.
    void RemoveEmptyFolder(const std::string& path);
    // DEL: renames the file `path` aside. Throws EntryInUse when the user gives up on a file
    // held open, another exception for any other failure.
    void RemoveFile(const std::string& path);
    // ERD: renames the folder `folder` (ending in "\") aside in one step, or for a drive's
    // root each of its entries. Throws as RemoveFile does.
    void EraseFolder(const std::string& folder);

    // DWN: where to download the file for `target`: a free name beside it.
    std::string StagingPathFor(const std::string& target);
    // DWN: the staged download takes the place of `target`, whose old file is renamed aside.
    // A read-only target or a folder is refused. Throws as RemoveFile does; `target` is then
    // as it was (the staged file is removed, now or by the undo).
    void PlaceDownload(const std::string& staged, const std::string& target);

    // The script ended well: the aside copies are removed (those a running program still
    // holds at the next start), then the journal. Never throws.
    void Commit();
    // The script failed: every step is undone in reverse order. Returns the paths that could
    // not be restored; the journal then stays for the next start to try again. Never throws.
    std::vector<std::string> RollBack();

private:
    enum class Durability { Flushed, Buffered };
    void Record(const JournalStep& step, Durability durability);
    void AppendLine(const std::string& line);
    void StampHoldingFolder(const std::string& path);
    std::string AsideNameFor(const std::string& entry);
    void MoveAside(const std::string& entry, const std::string& aside, const EntryStamp& stamp);
    std::string AsHeld(const std::string& path);
    void KeepAside(const std::string& path);
    void RemoveJournal();

    FileSystem& files_;
    std::string programFolder_;
    std::string journalPath_;
    InUsePrompt& prompt_;
    Journal journalKind_;
    std::unique_ptr<AppendOnlyFile> journal_;
    std::vector<JournalStep> steps_;
    std::vector<std::string> stampedFolders_;  // a few folders, compared without case
    // Folders whose stamp was read but could not be recorded yet, with that stamp.
    std::vector<std::pair<std::string, EntryStamp>> unrecordedStamps_;
    unsigned nameCounter_ = 0;
    bool lineCut_ = false;  // the last write to the journal failed part way, perhaps
};

// Adds `paths` to the program folder's leftovers list, for the next start to remove. Never
// throws: a list that cannot be written leaves the copies where they are.
void AddLeftovers(FileSystem& files, const std::string& programFolder,
                  const std::vector<std::string>& paths);
