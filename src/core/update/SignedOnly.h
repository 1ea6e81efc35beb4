#pragma once
// Fail closed: a configuration file that names a publisher's key makes the updater "signed
// only", whether or not its run reached the KEY line and whether or not the key parsed. A typo
// in the key, or any line before it that fails, must not turn "signed only" into "anything
// goes": the update check is then refused instead of running unsigned update information.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// True when some line of `configuration` begins with KEY, in any case, after blanks, tabs or a
// UTF-8 byte-order mark, and with a CR or an LF ending the line before it: every way a
// publisher may have meant a KEY line, including those the updater cannot run.
bool NamesPublisherKey(std::string_view configuration);

// How the configuration file's run at start-up ended.
struct ConfigurationRun {
    std::string_view text;   // the whole file
    std::string_view unrun;  // what its run left in the script buffer: the end of `text`
    bool failed;             // a line of it gave the command error report
    bool keysTrusted;        // at least one KEY line gave a key
};

// Why every update check must be refused (a sentence fragment for the signature refusal text),
// or nothing when the configuration names no key, or gave one and neither failed nor left a
// KEY line unrun (an OFF line ends a run early without failing it).
std::optional<std::string> SignedOnlyRefusal(const ConfigurationRun& run);
