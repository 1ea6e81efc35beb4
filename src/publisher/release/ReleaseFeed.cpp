#include "publisher/release/ReleaseFeed.h"

#include <stdexcept>

#include "core/script/CommandTable.h"
#include "core/script/ScriptInterpreter.h"
#include "core/script/VersionNumbers.h"
#include "publisher/common/CommandLine.h"
#include "publisher/release/ReleaseLines.h"

namespace {

// The version a line lists as an update, or "" for a line that lists none.
std::string ListedVersion(const std::string& line) {
    const CommandRow* command = FindLineCommand(line);
    if (command == nullptr || !command->fields.Has(FieldKind::ListedVersion) ||
        line.size() <= kCommandLength)
        return {};
    const std::size_t index = command->fields.IndexOf(FieldKind::ListedVersion);
    ScriptRun run(RunKind::TopLevel);
    run.SetCurrentLine(line);
    const std::string argument = run.Argument();
    const ArgumentFields fields = command->Split(argument);
    return index < fields.size() ? std::string(fields[index].text) : std::string();
}

}  // namespace

void CheckReleaseVersion(const std::string& version) {
    const bool wellFormed = !version.empty() &&
                            version.find_first_not_of("0123456789.") == std::string::npos &&
                            !version.starts_with('.') && !version.ends_with('.') &&
                            version.find("..") == std::string::npos;
    if (!wellFormed)
        throw UsageError("--version takes digits and dots (1.2, 2.0.10), not \"" + version + "\"");
}

void CheckOneField(const std::string& name, const std::string& text) {
    if (text.find_first_of(";\r\n") != std::string::npos) {
        throw UsageError(name + " cannot hold \";\" or a line break (write %PTV% for \";\" and " +
                         "%CRLF% for a line break in a description)");
    }
}

std::string AppendVersionLine(const std::string& feed, const std::string& name,
                              const std::string& version, const std::string& cmvLine,
                              std::vector<std::string>& warnings) {
    CrLfLines lines = SplitCrLfLines(feed, name);
    const std::string digits = RemoveDots(version);
    for (std::size_t i = 0; i < lines.lines.size(); ++i) {
        const std::string listed = ListedVersion(lines.lines[i]);
        if (listed.empty())
            continue;
        if (RemoveDots(listed) == digits) {
            throw std::runtime_error(name + ":" + std::to_string(i + 1) + ": version " + listed +
                                     " is listed already; " + version +
                                     " would be the same "
                                     "version to the updater");
        }
        if (IsNumeric(RemoveDots(listed)) && !IsNewerVersion(digits, RemoveDots(listed))) {
            warnings.push_back(name + ":" + std::to_string(i + 1) + ": " + version +
                               " will not be offered over " + listed +
                               " (versions compare as texts once their dots are removed)");
        }
    }
    lines.lines.push_back(cmvLine);
    lines.lastLineEnded = true;
    return JoinCrLfLines(lines);
}
