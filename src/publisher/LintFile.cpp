// The checks of one file: its bytes and line ends, then each line as the updater would take it.

#include "publisher/LintFile.h"

#include <algorithm>
#include <array>
#include <initializer_list>

#include "core/crypto/KeyLine.h"
#include "core/crypto/Sha256Pin.h"
#include "core/script/PinField.h"
#include "core/script/ScriptBuffer.h"
#include "core/script/ScriptFailure.h"
#include "core/script/ScriptFields.h"
#include "core/script/CommandTable.h"
#include "core/script/ScriptInterpreter.h"
#include "core/text/Placeholders.h"

namespace {

// A command word's length: the loop looks up a line's first three characters.
constexpr std::size_t kCommandLength = 3;

// No path on Windows is longer: a longer prefix of an EXE line cannot name a program.
constexpr std::size_t kLongestPath = 32767;
// The blanks of an EXE line after which the updater's search for its program is followed.
constexpr std::size_t kMostProgramPrefixes = 64;

// One line as the core's ScriptBuffer takes it, at its place in the file.
struct LineSpan {
    std::size_t offset;
    std::size_t length;
    bool endedByLoneCr;  // its CR was the file's last byte
};

// Every line of `text` in the updater's order, taken by ScriptBuffer::TakeLine: each ends at a
// CR, which is dropped with the one byte after it.
std::vector<LineSpan> TakeLines(const std::string& text) {
    std::vector<LineSpan> lines;
    ScriptBuffer buffer;
    buffer.SetText(text);
    std::size_t offset = 0;
    while (!buffer.IsEmpty()) {
        const TakenLine taken = buffer.TakeLine();
        lines.push_back({offset, taken.text.size(), taken.endedByLoneCr});
        offset = std::min(offset + taken.text.size() + 2, text.size());
    }
    return lines;
}

template <typename Words>
bool IsIn(std::string_view word, const Words& words) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

bool IsOneOf(std::string_view word, std::initializer_list<std::string_view> words) {
    return IsIn(word, words);
}

constexpr std::array<std::string_view, 7> kScriptCommands = {"MKD", "RMD", "ERD", "DEL",
                                                             "EXE", "MSG", "DWN"};
constexpr std::array<std::string_view, 4> kConfigCommands = {"ADR", "LOC", "TIT", "KEY"};

LintKind GuessFromLines(std::string_view fileName, const std::string& text,
                        const std::vector<LineSpan>& lines) {
    std::string name(fileName);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) {
        return static_cast<char>(c | (c >= 'A' && c <= 'Z' ? 0x20 : 0));
    });
    if (name.ends_with(".cfg")) {
        return LintKind::Config;
    }
    bool script = false, config = false, version = false;
    for (const LineSpan& line : lines) {
        const std::string_view command =
            std::string_view(text).substr(line.offset, std::min(line.length, kCommandLength));
        if (command == "CMV") {
            return LintKind::Feed;
        }
        script = script || IsIn(command, kScriptCommands);
        config = config || IsIn(command, kConfigCommands);
        version = version || command == "VER";
    }
    if (script || (!config && !version)) {
        return LintKind::Script;
    }
    return config ? LintKind::Config : LintKind::Version;
}

const char* KindName(LintKind kind) {
    switch (kind) {
        case LintKind::Config:
            return "a configuration file";
        case LintKind::Version:
            return "a version file";
        case LintKind::Feed:
            return "an update information file";
        case LintKind::Script:
            break;
    }
    return "an update script";
}

bool IsUsual(LintKind kind, std::string_view command) {
    switch (kind) {
        case LintKind::Config:
            return IsIn(command, kConfigCommands);
        case LintKind::Version:
            return command == "VER";
        case LintKind::Feed:
            return command == "CMV" || command == "OFF";
        case LintKind::Script:
            break;
    }
    return command == "VER" || command == "OFF" || IsIn(command, kScriptCommands);
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::uint64_t PathKey(std::string_view path) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char c : path) {
        hash ^= static_cast<unsigned char>(c == '/' ? '\\' : LowerAscii(c));
        hash *= 0x100000001b3u;
    }
    return hash;
}

namespace {

// The first sentence of a core failure ("Network paths are not allowed"), without the value
// it quotes in full.
std::string FailureSummary(const std::exception& failure) {
    const std::string_view what = failure.what();
    return std::string(what.substr(0, what.find(": ")));
}

bool IsPlaceholderNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Where a path written after the script path rule's "\" leads: how far above the program's
// folder it climbs, and whether it ends in that folder or above it.
struct PathPlace {
    bool climbsAbove = false;    // a ".." leaves the program's folder on the way
    bool endsAtOrAbove = false;  // it names the program's folder itself or one above it
};

PathPlace PlaceInFolder(std::string_view path) {
    std::size_t depth = 0;
    PathPlace place;
    std::size_t at = 0;
    while (at <= path.size()) {
        std::size_t end = at;
        while (end < path.size() && path[end] != '\\' && path[end] != '/') {
            ++end;
        }
        const std::string_view part = path.substr(at, end - at);
        at = end + 1;
        if (part.empty() || part == ".") {
            continue;
        }
        if (part != "..") {
            ++depth;
        } else if (depth > 0) {
            --depth;
        } else {
            place.climbsAbove = true;
        }
    }
    place.endsAtOrAbove = depth == 0;
    return place;
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
    void CheckArgument(std::string_view command, const std::string& argument, std::size_t offset);
    void CheckVersion(const std::string& version, std::size_t offset, bool listed);
    void CheckCmv(const std::string& argument, std::size_t offset);
    void CheckDwn(const std::string& argument, std::size_t offset);
    void CheckExe(const std::string& argument, std::size_t offset);
    void CheckFieldsAfter(std::string_view rest, std::size_t offset, bool pinBad);
    void CheckMissingPin(const char* command, std::size_t offset);
    bool CheckPathRule(const std::string& path, std::size_t offset);
    void CheckWildcards(const std::string& path, std::size_t offset);
    void CheckTarget(const std::string& path, std::size_t offset, bool erase);
    void CheckPlaceholders(std::string_view text, std::size_t offset,
                           std::initializer_list<std::string_view> known, const char* where);
    void CheckSettingsPresent();

    LintedFile& file_;
    const std::string& text_;
    bool trapArmed_ = false;          // a CMV, MKD, RMD, DEL, DWN or stray KEY line has run
    std::optional<std::size_t> off_;  // the first OFF line's offset
    bool unreachableReported_ = false;
    bool sawAdr_ = false, sawLoc_ = false, sawVer_ = false;
};

void FileLinter::Run(const std::vector<LineSpan>& lines) {
    const bool byteOrderMark = CheckByteOrderMark();
    for (const LineSpan& span : lines) {
        const std::string_view line = std::string_view(text_).substr(span.offset, span.length);
        CheckLineEnd(span, line);
        if (line.empty() || (byteOrderMark && span.offset == 0)) {
            continue;  // the updater skips an empty line; the mark's line is reported
        }
        if (off_ && !unreachableReported_ && file_.kind != LintKind::Version) {
            unreachableReported_ = true;
            Warning(span.offset, "unreachable",
                    "this line and every line after it never run: the OFF on line " +
                        std::to_string(file_.lines.LineOf(*off_)) + " ends the run");
        }
        CheckLine(line, span.offset);
    }
    CheckSettingsPresent();
}

bool FileLinter::CheckByteOrderMark() {
    const std::string_view start = std::string_view(text_).substr(0, 3);
    if (start == "\xEF\xBB\xBF") {
        Error(0, "bom",
              "the file begins with a UTF-8 byte-order mark: the updater reads its three bytes as "
              "the first command, which is unknown; save the file as ANSI text");
        return true;
    }
    if (start.starts_with("\xFF\xFE") || start.starts_with("\xFE\xFF")) {
        Error(0, "bom",
              "the file begins with a UTF-16 byte-order mark: the updater reads scripts as ANSI "
              "text, byte by byte");
        return true;
    }
    return false;
}

void FileLinter::CheckLineEnd(const LineSpan& span, std::string_view line) {
    const std::size_t end = span.offset + span.length;
    if (span.endedByLoneCr) {
        if (trapArmed_) {
            Error(end, "trailing-cr",
                  "the file ends with a CR without LF: after a CMV, MKD, RMD, DEL or DWN line the "
                  "updater fails on it");
        } else {
            Warning(end, "trailing-cr", "the file ends with a CR without LF; the updater drops it");
        }
    } else if (end < text_.size() && text_[end + 1] != '\n') {
        Error(end, "lone-cr",
              "a CR without LF ends this line, and the updater drops the byte after it (" +
                  QuoteContent(std::string_view(text_).substr(end + 1, 1)) + ")");
    }
    if (const std::size_t lf = line.find('\n'); lf != std::string_view::npos) {
        Error(span.offset + lf, "lf-line-end",
              "a line ends with LF alone: the updater ends lines at CR LF only, so it reads this "
              "line and the ones after it up to the next CR as one line; save with CR LF line "
              "ends");
    }
    if (const std::size_t nul = line.find('\0'); nul != std::string_view::npos) {
        Error(span.offset + nul, "nul-byte",
              "a NUL byte: the updater's texts end at it, so the rest of the line is lost");
    }
}

void FileLinter::CheckLine(std::string_view line, std::size_t offset) {
    const std::string_view command = line.substr(0, kCommandLength);
    if (!IsCommandWord(command)) {
        ReportUnknownCommand(line, offset);
        return;
    }
    if (command == "KEY" && file_.kind != LintKind::Config) {
        trapArmed_ = true;
        Error(offset, "key-outside-config",
              "a KEY line counts only in the configuration file: anywhere else the line fails");
        return;
    }
    if (!IsUsual(file_.kind, command)) {
        Warning(offset, "unusual-command",
                std::string(command) + " is not expected in " + KindName(file_.kind) +
                    (file_.kind == LintKind::Script && command == "CMV"
                         ? ": an offer accepted inside an update script deletes the shared "
                           "Script.qsc, and the update script that made it then fails"
                         : ": every command runs in every file, so it runs here too"));
    }
    if (IsOneOf(command, {"CMV", "MKD", "RMD", "DEL", "DWN"})) {
        trapArmed_ = true;
    }
    if (command == "OFF") {
        off_ = off_ ? off_ : offset;
        return;  // its argument is never read
    }
    if (line.size() > kCommandLength && line[kCommandLength] != ' ' &&
        line[kCommandLength] != '\t') {
        Error(offset + kCommandLength, "no-separator",
              "no blank after " + std::string(command) +
                  ": the updater drops the fourth character (" +
                  QuoteContent(line.substr(kCommandLength, 1)) + ") as the separator");
    }
    ScriptRun run(file_.kind == LintKind::Config ? RunKind::Configuration : RunKind::TopLevel);
    run.SetCurrentLine(std::string(line));
    std::string argument;
    try {
        argument = run.Argument();
    } catch (const ScriptFailure& failure) {
        Error(offset + line.size(), "no-argument",
              std::string(command) + " without a blank and an argument: the line fails (" +
                  FailureSummary(failure) + ")");
        return;
    }
    CheckArgument(command, argument, offset + line.size() - argument.size());
}

void FileLinter::ReportUnknownCommand(std::string_view line, std::size_t offset) {
    const std::string_view command = line.substr(0, kCommandLength);
    std::string upper(command);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'a' && c <= 'z' ? c - 0x20 : c);
    });
    const char* ends = ": the updater stops there with UnknownCommand";
    if (line.find_first_not_of(" \t") == std::string_view::npos) {
        Error(offset, "unknown-command",
              std::string("a line of blanks is not an empty line") + ends);
    } else if (line.front() == ' ' || line.front() == '\t') {
        Error(offset, "unknown-command", std::string("the line begins with a blank") + ends);
    } else if (IsCommandWord(upper)) {
        Error(offset, "lowercase-command",
              QuoteContent(command) + " is written in lower case; commands are capitals (" + upper +
                  ")" + ends);
    } else {
        Error(offset, "unknown-command", "unknown command " + QuoteContent(command) + ends);
    }
}

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
        if (ParseKeyLine(argument, reason)) {
            file_.hasKey = true;
        } else {
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
    bool pinBad = false;
    std::optional<Sha256Digest> pin;
    const std::string_view afterUrl =
        std::string_view(argument).substr(urlOffset - offset + url.size());
    try {
        pin = TakePinField(rest);
    } catch (const ScriptFailure& failure) {
        pinBad = true;
        Error(urlOffset + url.size() + 1, "bad-pin", failure.what());
    }
    CheckFieldsAfter(afterUrl, urlOffset + url.size(), pinBad);
    if (!pin && !pinBad) {
        CheckMissingPin("CMV", urlOffset + url.size());
    }
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
    bool pinBad = false;
    std::optional<Sha256Digest> pin;
    const std::string_view afterPath =
        std::string_view(argument).substr(pathOffset - offset + path.size());
    try {
        pin = TakePinField(rest);
    } catch (const ScriptFailure& failure) {
        pinBad = true;
        Error(pathOffset + path.size() + 1, "bad-pin", failure.what());
    }
    CheckFieldsAfter(afterPath, pathOffset + path.size(), pinBad);
    if (!pin && !pinBad) {
        CheckMissingPin("DWN", pathOffset + path.size());
    }
    if (IsInProgramFolder(path)) {
        file_.downloads.push_back({PathKey(path), pathOffset});
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
        return;
    }
    if (separator != std::string_view::npos &&
        fields.find_first_not_of(';', separator) != std::string_view::npos) {
        Warning(offset + 1 + separator + 1, "ignored-field", "everything after the pin is ignored");
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

// True when the updater accepts the path; reports it otherwise.
bool FileLinter::CheckPathRule(const std::string& path, std::size_t offset) {
    if (IsInProgramFolder(path)) {
        return true;  // the rule refuses only paths it uses as written
    }
    try {
        ApplyScriptPathRule("C:\\Program", path);
        return true;
    } catch (const ScriptFailure& failure) {
        Error(offset, "bad-path",
              FailureSummary(failure) + ": " + QuoteContent(path) + "; the line fails");
        return false;
    }
}

void FileLinter::CheckWildcards(const std::string& path, std::size_t offset) {
    try {
        RejectWildcards(path);
    } catch (const ScriptFailure& failure) {
        Error(offset, "bad-path",
              FailureSummary(failure) + ": " + QuoteContent(path) + "; the line fails");
    }
}

// Where a DWN or ERD line writes or erases: the program's folder is where an update belongs.
void FileLinter::CheckTarget(const std::string& path, std::size_t offset, bool erase) {
    const char* command = erase ? "ERD" : "DWN";
    if (!IsInProgramFolder(path)) {
        const bool absolute = (path.size() >= 2 && path[1] == ':') || path.starts_with('/');
        Warning(offset, "outside-folder",
                std::string(command) + " " +
                    (absolute ? "outside the program's folder: " + QuoteContent(path)
                              : QuoteContent(path) +
                                    " is relative to the updater's current folder, not the "
                                    "program's: begin it with \\ for the program's folder"));
        return;
    }
    const PathPlace place = PlaceInFolder(path);
    if (erase && place.endsAtOrAbove) {
        Error(offset, "erase-program-folder",
              "ERD of the program's folder or a folder above it: the updater refuses it with "
              "EraseDirectoryError");
    } else if (!erase && place.endsAtOrAbove && !place.climbsAbove) {
        Error(offset, "missing-field", "the local file names the program's folder itself");
    } else if (place.climbsAbove) {
        Warning(offset, "above-folder",
                std::string(command) + " above the program's folder: " + QuoteContent(path));
    }
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

}  // namespace

void LintedFile::Report(LintFinding finding) {
    if (findings.size() < kMostFindingsPerFile) {
        findings.push_back(std::move(finding));
        return;
    }
    ++findingsDropped;
    droppedAnError = droppedAnError || finding.severity == Severity::Error;
}

std::optional<LintKind> LintKindNamed(std::string_view name) {
    if (name == "config")
        return LintKind::Config;
    if (name == "version")
        return LintKind::Version;
    if (name == "feed")
        return LintKind::Feed;
    if (name == "script")
        return LintKind::Script;
    return std::nullopt;
}

LintKind GuessLintKind(std::string_view fileName, std::string_view text) {
    const std::string copy(text);
    return GuessFromLines(fileName, copy, TakeLines(copy));
}

LintedFile LintFileText(std::string name, std::string text, std::optional<LintKind> kind) {
    const std::vector<LineSpan> lines = TakeLines(text);
    LintedFile file;
    file.kind = kind ? *kind : GuessFromLines(name, text, lines);
    file.name = std::move(name);
    file.lines = LineMap(text);
    FileLinter(file, text).Run(lines);
    return file;
}
