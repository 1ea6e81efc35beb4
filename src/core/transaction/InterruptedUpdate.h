#pragma once
// What a run that was killed (a power cut, Task Manager, a log-off) leaves, put right at the
// next start before the configuration file runs: its journal is undone (or, had it committed,
// finished), and the aside copies and temporary files it left are removed.

#include <string>
#include <vector>

#include "core/seam/FileSystem.h"

struct RecoveryOutcome {
    bool undone = false;                   // an interrupted update was undone
    std::vector<std::string> notRestored;  // paths its undo could not restore
    bool journalRemains = false;           // the journal stays for the next start
};

// Undoes or finishes the journal in `programFolder`, removes the aside copies on its leftovers
// list and the transaction's staged downloads, the download's temporary files ("~qm*.tmp")
// and the update script file ("Script.qsc") of the folder. A journal that cannot be read is
// left alone: another Quillmere may be running an update with it. Never throws.
RecoveryOutcome RecoverInterruptedUpdate(FileSystem& files, const std::string& programFolder);

// The journal alone, undone or finished as at the start: what a new update does first when an
// earlier undo left its journal. Leaves every other file alone (the new update's own files may
// be there already). True when no journal remains. Never throws.
bool SettleLeftJournal(FileSystem& files, const std::string& programFolder);
