#pragma once
// FileLinter, the lint module's reader of one file (internal to LintFile, LintArguments and
// LintPaths): it walks the lines as the updater takes them and reports into a LintedFile. The
// line loop is in LintFile.cpp, each command's argument in LintArguments.cpp, where a path
// lands in LintPaths.cpp.

#include <algorithm>
#include <cstddef>
#include <exception>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/script/CommandRow.h"
#include "publisher/lint/LintFile.h"

// One line as the core's ScriptBuffer takes it, at its place in the file.
struct LineSpan {
    std::size_t offset;
    std::size_t length;
    bool endedByLoneCr;  // its CR was the file's last byte
};

inline bool IsOneOf(std::string_view word, std::initializer_list<std::string_view> words) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

// The first sentence of a core failure ("Network paths are not allowed"), without the value
// it quotes in full.
inline std::string FailureSummary(const std::exception& failure) {
    const std::string_view what = failure.what();
    return std::string(what.substr(0, what.find(": ")));
}

class FileLinter {
public:
    FileLinter(LintedFile& file, const std::string& text) : file_(file), text_(text) {}

    void Run(const std::vector<LineSpan>& lines);

private:
    void Report(std::size_t offset, Severity severity, const char* code, std::string message) {
        file_.Report({offset, severity, code, std::move(message)});
    }
    void Error(std::size_t offset, const char* code, std::string message) {
        Report(offset, Severity::Error, code, std::move(message));
    }
    void Warning(std::size_t offset, const char* code, std::string message) {
        Report(offset, Severity::Warning, code, std::move(message));
    }

    bool CheckByteOrderMark();
    void CheckLineEnd(const LineSpan& span, std::string_view line);
    void CheckLine(std::string_view line, std::size_t offset);
    void ReportUnknownCommand(std::string_view line, std::size_t offset);
    // The argument of a line of `command`, at `offset`: each field as its kind says.
    void CheckArgument(const CommandRow& command, const std::string& argument,
                       std::size_t offset);
    bool CheckField(const CommandRow& command, const ArgumentFields& fields, std::size_t index,
                    std::size_t offset);
    void CheckVersion(const std::string& version, std::size_t offset, bool listed);
    bool CheckUpdateScriptUrl(const CommandRow& command, const ArgumentFields& fields,
                              std::size_t index, std::size_t offset);
    void CheckErasedFolder(const std::string& word, const std::string& folder,
                           std::size_t offset);
    void CheckDownloadedFile(const std::string& word, const std::string& name,
                             const std::string& path, std::size_t offset);
    void CheckExe(const std::string& word, const std::string& argument, std::size_t offset);
    void CheckKey(const std::string& argument, std::size_t offset);
    void CheckPinField(std::string_view word, const ArgumentFields& fields, std::size_t index,
                       std::size_t offset);
    void CheckFieldsAfter(std::string_view rest, std::size_t offset, bool pinBad);
    void CheckIgnoredPins(std::string_view fields, std::size_t separator, std::size_t offset);
    void CheckMissingPin(std::string_view word, std::size_t offset);
    bool CheckPathRule(const std::string& path, std::size_t offset);
    void CheckWildcards(const std::string& path, std::size_t offset);
    void CheckTarget(const std::string& word, const std::string& path, std::size_t offset,
                     bool erase);
    void CheckPlaceholders(std::string_view text, std::size_t offset,
                           std::initializer_list<std::string_view> known, std::string_view where);
    void CheckSettingsPresent();
    // Where the updater's run of this file ends before its last line, the first time.
    void MarkRunEnd(std::size_t offset, bool atKeyLine = false);
    void CheckSignedOnly();

    LintedFile& file_;
    const std::string& text_;
    bool trapArmed_ = false;          // a line that arms the failure trap has run
    std::optional<std::size_t> off_;  // the first OFF line's offset
    bool unreachableReported_ = false;
    // The settings a configuration or version file must give have been seen.
    bool sawUpdateInformationUrl_ = false, sawVersionFile_ = false, sawInstalledVersion_ = false;
    std::optional<std::size_t> runEnd_;  // the line that ends the updater's run early
    bool runEndsAtKey_ = false;          // that line is a KEY line, already reported as such
};
