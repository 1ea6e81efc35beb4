// The checks of each command's argument: its fields as the updater splits them, versions, pins,
// placeholders and the settings a configuration or version file must have.

#include <algorithm>
#include <optional>

#include "core/crypto/KeyLine.h"
#include "core/crypto/P256Curve.h"
#include "core/script/PinField.h"
#include "core/script/ScriptFailure.h"
#include "core/script/ScriptFields.h"
#include "core/text/Placeholders.h"
#include "publisher/FileLinter.h"
#include "publisher/LintPaths.h"

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

}  // namespace

void FileLinter::CheckArgument(std::string_view command, const std::string& argument,
                               std::size_t offset) {
    const bool needsArgument = !IsOneOf(command, {"TIT", "MSG", "ERD"});
    if (needsArgument && argument.empty()) {
        Error(offset, "no-argument", std::string(command) + " without its argument");
        return;
    }
    if (command == "ADR") {
        sawAdr_ = true;
    } else if (command == "LOC") {
        sawLoc_ = true;
        CheckPathRule(argument, offset);
        CheckPlaceholders(argument, offset, {}, "a path is used as written");
    } else if (command == "TIT") {
        CheckPlaceholders(argument, offset, {}, "the title is shown as written");
    } else if (command == "VER") {
        sawVer_ = true;
        CheckVersion(argument, offset, false);
    } else if (command == "CMV") {
        CheckCmv(argument, offset);
    } else if (command == "DWN") {
        CheckDwn(argument, offset);
    } else if (command == "EXE") {
        CheckExe(argument, offset);
    } else if (command == "MSG") {
        CheckPlaceholders(argument, offset, {kPlaceholderCrLf}, "MSG replaces only %CRLF%");
    } else if (command == "KEY") {
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
    } else {  // MKD, RMD, ERD, DEL
        const bool erase = command == "ERD";
        const std::string path = erase && !argument.ends_with('\\') ? argument + '\\' : argument;
        if (CheckPathRule(path, offset)) {
            CheckWildcards(path, offset);
        }
        if (erase) {
            CheckTarget(path, offset, true);
        }
        CheckPlaceholders(argument, offset, {}, "a path is used as written");
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

// CMV <version>;<description>;<update script URL>[;sha256=<hex>], split as the updater does.
void FileLinter::CheckCmv(const std::string& argument, std::size_t offset) {
    std::string rest = argument;
    std::string version, description, url;
    NextField(rest, version);
    if (rest.empty()) {
        Error(offset + argument.size(), "missing-field",
              "CMV needs version;description;script URL: the \";\" after the version is "
              "missing, and the line fails");
        return;
    }
    RemoveFieldSeparator(rest);
    NextField(rest, description);
    if (rest.empty()) {
        Error(offset + argument.size(), "missing-field",
              "CMV needs version;description;script URL: the \";\" after the description is "
              "missing, and the line fails");
        return;
    }
    RemoveFieldSeparator(rest);
    NextField(rest, url);
    const std::size_t descriptionOffset = offset + version.size() + 1;
    const std::size_t urlOffset = descriptionOffset + description.size() + 1;
    CheckVersion(version, offset, true);
    CheckPlaceholders(description, descriptionOffset, {kPlaceholderCrLf, kPlaceholderSemicolon},
                      "a CMV description replaces only %CRLF% and %PTV%");
    if (url.empty()) {
        Error(urlOffset, "missing-url",
              "the update script's URL is empty: its download fails when the version is offered");
    }
    if (url.find("://") == std::string::npos && rest.find("://") != std::string::npos) {
        Warning(urlOffset - 1, "semicolon-in-description",
                "this \";\" ends the description, so " + QuoteContent(url) +
                    " is taken as the update script's URL: write %PTV% for a \";\" in a "
                    "description");
        return;
    }
    file_.listedScripts.push_back({offset, version, url});
    CheckPinField("CMV", rest, std::string_view(argument).substr(urlOffset - offset + url.size()),
                  urlOffset + url.size());
}

// DWN <url>;<local file>[;sha256=<hex>], split as the updater does.
void FileLinter::CheckDwn(const std::string& argument, std::size_t offset) {
    std::string rest = argument;
    std::string url, path;
    NextField(rest, url);
    if (rest.empty()) {
        Error(offset + argument.size(), "missing-field",
              "DWN needs URL;local file: the \";\" is missing, and the line fails");
        return;
    }
    RemoveFieldSeparator(rest);
    NextField(rest, path);
    const std::size_t pathOffset = offset + url.size() + 1;
    if (url.empty()) {
        Error(offset, "missing-url", "the URL is empty: the download fails");
    }
    if (path.empty()) {
        Error(pathOffset, "missing-field", "the local file is empty: the download fails");
    } else if (CheckPathRule(path, pathOffset)) {
        CheckTarget(path, pathOffset, false);
    }
    CheckPlaceholders(path, pathOffset, {}, "a path is used as written");
    CheckPinField("DWN", rest, std::string_view(argument).substr(pathOffset - offset + path.size()),
                  pathOffset + path.size());
    if (IsInProgramFolder(path)) {
        file_.downloads.push_back({PathKey(path), pathOffset});
    }
}

// The pin field of `command`'s line, which `rest` (the updater's remaining fields) starts with
// and `after` (the line's text after its last required field, which ends at `offset`) shows:
// a malformed pin, fields the updater ignores, or no pin at all.
void FileLinter::CheckPinField(const char* command, std::string& rest, std::string_view after,
                               std::size_t offset) {
    bool pinBad = false;
    std::optional<Sha256Digest> pin;
    try {
        pin = TakePinField(rest);
    } catch (const ScriptFailure& failure) {
        pinBad = true;
        Error(offset + 1, "bad-pin", failure.what());
    }
    CheckFieldsAfter(after, offset, pinBad);
    if (!pin && !pinBad) {
        CheckMissingPin(command, offset);
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

void FileLinter::CheckMissingPin(const char* command, std::size_t offset) {
    LintFinding finding{offset, Severity::Warning, "missing-pin",
                        std::string(command) +
                            " without a sha256= pin: anyone who can change the file on its way "
                            "can change what runs; with a KEY in the configuration file the line "
                            "fails",
                        true};
    file_.Report(std::move(finding));
}

// EXE [WAIT:]<command line>
void FileLinter::CheckExe(const std::string& argument, std::size_t offset) {
    std::string_view commandLine = argument;
    if (commandLine.starts_with("WAIT:")) {
        commandLine.remove_prefix(5);
        offset += 5;
    } else if (PathKey(commandLine.substr(0, 5)) == PathKey("WAIT:")) {
        Warning(offset, "wait-prefix",
                "only WAIT: in capitals makes EXE wait: " + QuoteContent(commandLine.substr(0, 5)) +
                    " is taken as the start of the program's name");
    }
    if (commandLine.empty()) {
        Error(offset, "no-argument", "EXE without a program");
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
                                   const char* where) {
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
                    QuoteContent(placeholder) + " is not replaced: " + where);
        }
        at = end + 1;
    }
}

void FileLinter::CheckSettingsPresent() {
    if (file_.kind == LintKind::Config && !sawAdr_) {
        Warning(0, "missing-setting",
                "no ADR line: the update information file cannot be downloaded");
    }
    if (file_.kind == LintKind::Config && !sawLoc_) {
        Warning(0, "missing-setting", "no LOC line: every update check fails");
    }
    if (file_.kind == LintKind::Version && !sawVer_) {
        Error(0, "missing-version",
              "no VER line: the installed version is empty, and every CMV line fails with "
              "InvalidVersionNumberInVersionFileError");
    }
}
