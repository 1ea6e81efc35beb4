#pragma once
// release's update information file: the checks on a new version's CMV line, and its place at
// the end of the file.

#include <string>
#include <vector>

// Throws UsageError unless `version` is groups of digits separated by single dots ("2",
// "1.10.3").
void CheckReleaseVersion(const std::string& version);

// Throws UsageError when `text` (the option `name`) holds a ";", a CR or an LF, which would end
// its field or its line early.
void CheckOneField(const std::string& name, const std::string& text);

// The feed `feed` (named `name` in messages; empty for a new file) with `cmvLine` appended as its
// last line, CR LF included. Throws std::runtime_error when one of its CMV lines already lists
// `version` as the updater compares versions (dots removed: "1.1" and "11" are the same), or
// when its line ends are not CR LF. Adds to `warnings` each listed version that users would
// not be offered `version` over ("1.10 will not be offered over 1.9").
std::string AppendVersionLine(const std::string& feed, const std::string& name,
                              const std::string& version, const std::string& cmvLine,
                              std::vector<std::string>& warnings);
