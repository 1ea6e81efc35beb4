#pragma once
// One step of an update, as its journal records it: enough to undo the step after a failure
// or a crash, and to finish it when the update commits. The journal is a text file of one
// step per line, each written and flushed before the step acts; a line cut short by a crash
// never acted and is ignored when the journal is read.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/seam/FileSystem.h"

enum class StepKind {
    Stamp,          // a folder whose entries change: its attributes and times come back last
    Aside,          // `path` renamed to the aside copy `aside` (DEL, ERD)
    Staged,         // a download for `path` about to be staged at `staged` (DWN)
    Replaced,       // the file `path` renamed to `aside` (none for a new file), then the
                    // download staged at `staged` renamed to `path` (DWN)
    MadeFolder,     // `path` created (MKD)
    RemovedFolder,  // the empty folder `path` removed (RMD)
};

struct JournalStep {
    StepKind kind = StepKind::Stamp;
    std::string path;   // the entry the step changes
    std::string aside;   // Aside, Replaced: where `path` was renamed to
    std::string staged;  // Staged, Replaced: the staged download
    EntryStamp stamp;    // Stamp, Aside, Replaced, RemovedFolder: what `path` was

    bool operator==(const JournalStep&) const = default;
};

// The first line of every journal.
inline constexpr std::string_view kJournalHeader = "Quillmere journal 1\n";
// The line that closes a transaction that committed: what remains is finishing its steps.
inline constexpr std::string_view kCommitLine = "commit\n";

// The line that records `step`, line feed included. Paths are escaped so that no line feed,
// carriage return or tab of a path can end the line or a field early.
std::string FormatStep(const JournalStep& step);

struct JournalContent {
    std::vector<JournalStep> steps;  // in the order they were recorded
    bool committed = false;
};

// The steps of a journal's text. Lines it cannot read (another header, a line cut short) are
// skipped: a step whose line never reached the disk never acted.
JournalContent ParseJournal(std::string_view text);

// The leftovers file holds one escaped path per line: aside copies that a committed update
// could not remove (a program was still running from them).
std::string FormatPathLine(std::string_view path);
std::vector<std::string> ParsePathLines(std::string_view text);
