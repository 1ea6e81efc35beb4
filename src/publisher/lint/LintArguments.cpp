// The checks of each command's argument: its fields as the updater splits them, each checked as
// its kind in the command table says (versions, paths, pins, placeholders, keys ...), and the
// settings a configuration or version file must have.

#include <algorithm>
#include <optional>

#include "core/crypto/KeyLine.h"
#include "core/crypto/P256Curve.h"
#include "core/script/CommandRow.h"
#include "core/script/PinField.h"
#include "core/script/ScriptFailure.h"
#include "core/script/ScriptFields.h"
#include "core/text/Placeholders.h"
#include "publisher/lint/FileLinter.h"
#include "publisher/lint/LintPaths.h"

namespace {

// No path on Windows is longer: a longer prefix of an EXE line cannot name a program.
constexpr std::size_t kLongestPath = 32767;
// The blanks of an EXE line after which the updater's search for its program is followed.
constexpr std::size_t kMostProgramPrefixes = 64;

bool IsPlaceholderNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

constexpr std::string_view kPathAsWritten = "a path is used as written";

// "CMV needs version;description;script URL: the ";" after the version is missing, and the
// line fails": a line of `command` with only `found` of its required fields.
std::string MissingFieldMessage(const CommandRow& command, std::size_t found) {
    const FieldList& fields = command.fields;
    std::string names;
    for (std::size_t index = 0; index < fields.Required(); ++index) {
        names += (index > 0 ? ";" : "") + std::string(fields[index].name);
    }
    // With one ";" to find there is no need to say which.
    const std::string which =
        fields.Required() > 2 ? "after the " + std::string(fields[found - 1].name) + " " : "";
    return std::string(command.word) + " needs " + names + ": the \";\" " + which +
           "is missing, and the line fails";
}

}  // namespace

void FileLinter::CheckArgument(const CommandRow& command, const std::string& argument,
                               std::size_t offset) {
    if (command.argument == ArgumentUse::Required && argument.empty()) {
        Error(offset, "no-argument", std::string(command.word) + " without its argument");
        return;
    }
    const ArgumentFields fields = command.Split(argument);
    if (fields.size() < command.fields.Required()) {
        Error(offset + argument.size(), "missing-field",
              MissingFieldMessage(command, fields.size()));
        return;
    }
    for (std::size_t index = 0; index < command.fields.size(); ++index) {
        if (!CheckField(command, fields, index, offset)) {
            return;
        }
    }
}

// Field `index` of a line of `command` whose argument is at `offset`, checked as its kind says.
// False when the fields after it are not worth checking.
bool FileLinter::CheckField(const CommandRow& command, const ArgumentFields& fields,
                            std::size_t index, std::size_t offset) {
    const FieldDescription& field = command.fields[index];
    if (field.kind == FieldKind::Pin) {
        CheckPinField(command.word, fields, index, offset);
        return true;
    }
    const std::string text(fields[index].text);
    const std::size_t at = offset + fields[index].offset;
    const std::string word(command.word), name(field.name);
    switch (field.kind) {
        case FieldKind::UpdateInformationUrl:
            sawUpdateInformationUrl_ = true;
            break;
        case FieldKind::VersionFile:
            sawVersionFile_ = true;
            CheckPathRule(text, at);
            CheckPlaceholders(text, at, {}, kPathAsWritten);
            break;
        case FieldKind::Text:
            CheckPlaceholders(text, at, {}, "the " + name + " is shown as written");
            break;
        case FieldKind::InstalledVersion:
            sawInstalledVersion_ = true;
            CheckVersion(text, at, false);
            break;
        case FieldKind::ListedVersion:
            CheckVersion(text, at, true);
            break;
        case FieldKind::Description:
            CheckPlaceholders(text, at, {kPlaceholderCrLf, kPlaceholderSemicolon},
                              "a " + word + " " + name + " replaces only %CRLF% and %PTV%");
            break;
        case FieldKind::UpdateScriptUrl:
            return CheckUpdateScriptUrl(command, fields, index, offset);
        case FieldKind::TargetPath:
            if (CheckPathRule(text, at)) {
                CheckWildcards(text, at);
            }
            CheckPlaceholders(text, at, {}, kPathAsWritten);
            break;
        case FieldKind::ErasedFolder:
            CheckErasedFolder(word, text, at);
            break;
        case FieldKind::CommandLine:
            CheckExe(word, text, at);
            break;
        case FieldKind::Message:
            CheckPlaceholders(text, at, {kPlaceholderCrLf}, word + " replaces only %CRLF%");
            break;
        case FieldKind::DownloadUrl:
            if (text.empty()) {
                Error(at, "missing-url", "the " + name + " is empty: the download fails");
            }
            break;
        case FieldKind::DownloadedFile:
            CheckDownloadedFile(word, name, text, at);
            break;
        case FieldKind::PublicKey:
            CheckKey(text, at);
            break;
        case FieldKind::Pin:
            break;
    }
    return true;
}

// ERD's folder: the updater adds the "" that makes it a folder before it applies the rules.
void FileLinter::CheckErasedFolder(const std::string& word, const std::string& folder,
                                   std::size_t offset) {
    const std::string path = folder.ends_with('\\') ? folder : folder + '\\';
    if (CheckPathRule(path, offset)) {
        CheckWildcards(path, offset);
    }
    CheckTarget(word, path, offset, true);
    CheckPlaceholders(folder, offset, {}, kPathAsWritten);
}

// The URL of an offered version's update script, field `index` of a line whose argument is at
// `offset`. False when a ";" in the description before it has shifted the fields.
bool FileLinter::CheckUpdateScriptUrl(const CommandRow& command, const ArgumentFields& fields,
                                      std::size_t index, std::size_t offset) {
    const std::string_view url = fields[index].text;
    const std::size_t at = offset + fields[index].offset;
    if (url.empty()) {
        Error(at, "missing-url",
              "the update script's URL is empty: its download fails when the version is offered");
    }
    if (url.find("://") == std::string_view::npos &&
        fields.After(index).find("://") != std::string_view::npos) {
        Warning(at - 1, "semicolon-in-description",
                "this \";\" ends the description, so " + QuoteContent(url) +
                    " is taken as the update script's URL: write %PTV% for a \";\" in a "
                    "description");
        return false;
    }
    const std::size_t version = command.fields.IndexOf(FieldKind::ListedVersion);
    file_.listedScripts.push_back(
        {offset, std::string(version < fields.size() ? fields[version].text : ""),
         std::string(url)});
    return true;
}

// The local file a download writes, at `offset`: it must be named, and is remembered when it
// lands in the program's folder, for the EXE lines that start it.
void FileLinter::CheckDownloadedFile(const std::string& word, const std::string& name,
                                     const std::string& path, std::size_t offset) {
    if (path.empty()) {
        Error(offset, "missing-field", "the " + name + " is empty: the download fails");
    } else if (CheckPathRule(path, offset)) {
        CheckTarget(word, path, offset, false);
    }
    CheckPlaceholders(path, offset, {}, kPathAsWritten);
    if (IsInProgramFolder(path)) {
        file_.downloads.push_back({PathKey(path), offset});
    }
}

void FileLinter::CheckKey(const std::string& argument, std::size_t offset) {
    std::string reason;
    const std::optional<P256PublicKey> key = ParseKeyLine(argument, reason);
    if (key && IsOnP256Curve(*key)) {
        file_.hasKey = true;
    } else if (key) {
        MarkRunEnd(offset, true);
        Error(offset, "bad-key",
              "the publisher's key cannot be used: its point is not on the P-256 curve");
    } else {
        MarkRunEnd(offset, true);
        Error(offset, "bad-key", "the publisher's key cannot be used: " + reason);
    }
}

void FileLinter::CheckVersion(const std::string& version, std::size_t offset, bool listed) {
    file_.versions.push_back({version, 0, offset, listed});
    switch (FormOfVersion(version)) {
        case VersionForm::Plain:
            return;
        case VersionForm::Numeric:
            Warning(offset, "version-format",
                    QuoteContent(version) +
                        " has a sign or blanks: the updater accepts it but compares it as text "
                        "with them; write digits and dots only");
            return;
        case VersionForm::Refused:
            break;
    }
    Error(offset, "bad-version",
          QuoteContent(version) + " is not a version of digits and dots: " +
              (listed ? "the CMV line fails with InvalidVersionNumberError"
                      : "every later CMV line fails with InvalidVersionNumberInVersionFileError"));
}

// The pin field, field `index` of a line of `word` whose argument is at `offset`: a malformed
// pin, fields the updater ignores after the last required field, or no pin at all.
void FileLinter::CheckPinField(std::string_view word, const ArgumentFields& fields,
                               std::size_t index, std::size_t offset) {
    const std::size_t end = offset + fields[index - 1].End();
    bool pinBad = false;
    std::optional<Sha256Digest> pin;
    try {
        pin = TakePinField(fields, index);
    } catch (const ScriptFailure& failure) {
        pinBad = true;
        Error(end + 1, "bad-pin", failure.what());
    }
    CheckFieldsAfter(fields.After(index - 1), end, pinBad);
    if (!pin && !pinBad) {
        CheckMissingPin(word, end);
    }
}

// `rest` follows a line's last required field, which ends at `offset`: empty or ";...". Only a
// pin counts there; the updater ignores anything else.
void FileLinter::CheckFieldsAfter(std::string_view rest, std::size_t offset, bool pinBad) {
    if (rest.empty()) {
        return;
    }
    const std::string_view fields = rest.substr(1);
    const std::size_t separator = fields.find(';');
    const std::string_view first = fields.substr(0, separator);
    if (!first.empty() && !pinBad && !IsSha256PinField(first)) {
        Warning(offset + 1, "ignored-field",
                QuoteContent(first) + " is ignored: only a sha256= pin may follow here");
        CheckIgnoredPins(fields, separator, offset + 1);
    } else if (separator != std::string_view::npos &&
               fields.find_first_not_of(';', separator) != std::string_view::npos) {
        Warning(offset + 1 + separator + 1, "ignored-field", "everything after the pin is ignored");
    }
}

// A pin in a field after the one the updater reads for it is ignored, and with no pin in that
// field the file goes unchecked: the publisher meant it to be checked, so it is an error.
// `fields` starts at `offset`.
void FileLinter::CheckIgnoredPins(std::string_view fields, std::size_t separator,
                                  std::size_t offset) {
    while (separator != std::string_view::npos) {
        const std::size_t start = separator + 1;
        separator = fields.find(';', start);
        if (IsSha256PinField(fields.substr(start, separator - start))) {
            Error(offset + start, "ignored-pin",
                  "a sha256= pin in a field the updater does not read: it is ignored and the "
                  "file is not checked; the pin belongs in the field right after the last one "
                  "the command reads");
        }
    }
}

void FileLinter::CheckMissingPin(std::string_view word, std::size_t offset) {
    LintFinding finding{offset, Severity::Warning, "missing-pin",
                        std::string(word) +
                            " without a sha256= pin: anyone who can change the file on its way "
                            "can change what runs; with a KEY in the configuration file the line "
                            "fails",
                        true};
    file_.Report(std::move(finding));
}

// [WAIT:]<command line> of `word`
void FileLinter::CheckExe(const std::string& word, const std::string& argument,
                          std::size_t offset) {
    std::string_view commandLine = argument;
    const std::size_t prefix = kWaitPrefix.size();
    if (commandLine.starts_with(kWaitPrefix)) {
        commandLine.remove_prefix(prefix);
        offset += prefix;
    } else if (PathKey(commandLine.substr(0, prefix)) == PathKey(kWaitPrefix)) {
        Warning(offset, "wait-prefix",
                "only " + std::string(kWaitPrefix) + " in capitals makes " + word +
                    " wait: " + QuoteContent(commandLine.substr(0, prefix)) +
                    " is taken as the start of the program's name");
    }
    if (commandLine.empty()) {
        Error(offset, "no-argument", word + " without a program");
        return;
    }
    CheckPlaceholders(commandLine, offset, {}, "a command line is used as written");
    if (!IsInProgramFolder(std::string(commandLine))) {
        CheckPathRule(std::string(commandLine), offset);
        return;
    }
    // The updater tries the blank-separated starts of the line, shortest first, each as written
    // and with ".exe" when its name has no extension (ProgramInFolder.h).
    std::size_t end = commandLine.find(' ');
    ProgramCall call{offset, std::string(commandLine.substr(0, std::min(end, kLongestPath))), {}};
    for (std::size_t prefixes = 0;; ++prefixes) {
        const std::string_view program = commandLine.substr(0, end);
        if (program.size() <= kLongestPath) {
            call.candidates.emplace_back(program);
            const std::size_t name = program.find_last_of("\\/") + 1;
            if (program.find('.', name) == std::string_view::npos && name < program.size()) {
                call.candidates.push_back(std::string(program) + ".exe");
            }
        }
        if (end == std::string_view::npos || prefixes == kMostProgramPrefixes) {
            break;
        }
        end = commandLine.find(' ', end + 1);
    }
    file_.programs.push_back(std::move(call));
}

void FileLinter::CheckPlaceholders(std::string_view text, std::size_t offset,
                                   std::initializer_list<std::string_view> known,
                                   std::string_view where) {
    for (std::size_t at = text.find('%'); at != std::string_view::npos; at = text.find('%', at)) {
        std::size_t end = at + 1;
        while (end < text.size() && IsPlaceholderNameCharacter(text[end])) {
            ++end;
        }
        const std::size_t length = end - at - 1;
        const bool looksLikeOne =
            end < text.size() && text[end] == '%' && length > 0 &&
            !(text[at + 1] >= '0' && text[at + 1] <= '9') &&
            !(length == 2 && IsHexDigit(text[at + 1]) && IsHexDigit(text[at + 2]));
        if (!looksLikeOne) {
            at = end;
            continue;
        }
        const std::string_view placeholder = text.substr(at, length + 2);
        if (!IsOneOf(placeholder, known)) {
            Warning(offset + at, "unknown-placeholder",
                    QuoteContent(placeholder) + " is not replaced: " + std::string(where));
        }
        at = end + 1;
    }
}

void FileLinter::CheckSettingsPresent() {
    if (file_.kind == LintKind::Config && !sawUpdateInformationUrl_) {
        Warning(0, "missing-setting",
                "no ADR line: the update information file cannot be downloaded");
    }
    if (file_.kind == LintKind::Config && !sawVersionFile_) {
        Warning(0, "missing-setting", "no LOC line: every update check fails");
    }
    if (file_.kind == LintKind::Version && !sawInstalledVersion_) {
        Error(0, "missing-version",
              "no VER line: the installed version is empty, and every CMV line fails with "
              "InvalidVersionNumberInVersionFileError");
    }
}
