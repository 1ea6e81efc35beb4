#pragma once
// Lints one file the updater runs: the configuration file, a version file, an update
// information file (feed) or an update script. Lines are taken, commands looked up and fields
// split by the core's own code, so that each finding says what the updater would do.
//
// What needs the other files of the run (a publisher's key, programs that other update scripts
// download, the CMV line that offers a script, the order of versions) is left in the result's
// facts for LintCommand to finish.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <cstdint>
#include <vector>

#include "core/script/CommandRow.h"
#include "publisher/lint/LintFinding.h"
#include "publisher/lint/LintVersions.h"

// The kinds of file lint checks are the command table's.
using LintKind = FileKind;

// The kind `--kind` names ("config", "version", "feed", "script"), or nothing.
std::optional<LintKind> LintKindNamed(std::string_view name);

// The kind of a file: a ".cfg" name is a configuration file; otherwise, by where the command
// table says its commands are usual, a file with a command usual only in feeds is a feed, one
// with a command usual only in update scripts an update script, one with a command usual in
// configuration files a configuration file, one with a command usual in version files a
// version file; anything else an update script.
LintKind GuessLintKind(std::string_view fileName, std::string_view text);

// That rule as the usage text says it, with the table's words: "a .cfg file is a configuration
// file; else one with a CMV line is an update information file, ...".
std::string DescribeKindGuess();

// A DWN line's target in the program's folder.
struct Download {
    std::uint64_t key;   // PathKey (LintPaths.h) of the local file
    std::size_t offset;  // of the line
    bool operator<(const Download& other) const {
        return key != other.key ? key < other.key : offset < other.offset;
    }
};

// A program that an EXE line starts in the program's folder: the spellings the updater would
// try, each beginning with "\".
struct ProgramCall {
    std::size_t offset = 0;
    std::string shown;  // the program as written up to its first blank, for the message
    std::vector<std::string> candidates;
};

// A CMV line's version and update script URL, to find the update script it offers.
struct ListedScript {
    std::size_t offset = 0;
    std::string version;
    std::string url;
};

// At most this many findings are kept for one file; the rest are counted.
inline constexpr std::size_t kMostFindingsPerFile = 1000;

struct LintedFile {
    std::string name;
    LintKind kind = LintKind::Script;
    LineMap lines{std::string_view()};
    std::vector<LintFinding> findings;
    std::size_t findingsDropped = 0;
    bool droppedAnError = false;

    // Facts for the checks across files.
    bool hasKey = false;                      // a configuration file with a valid KEY line
    std::vector<VersionMention> versions;     // file index left 0; the caller sets it
    std::vector<Download> downloads;          // DWN targets in the folder
    std::vector<ProgramCall> programs;        // EXE programs in the folder
    std::vector<ListedScript> listedScripts;  // a feed's CMV lines

    // Records a finding, or counts it once the file has kMostFindingsPerFile.
    void Report(LintFinding finding);
};

// Lints `text`, the content of the file `name`, as a file of `kind` (guessed when not given).
LintedFile LintFileText(std::string name, std::string text, std::optional<LintKind> kind);
