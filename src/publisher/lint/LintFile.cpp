// The checks of one file: its bytes and line ends, then each line as the updater would take it.

#include "publisher/lint/LintFile.h"

#include <algorithm>

#include "core/script/CommandTable.h"
#include "core/script/CommandWords.h"
#include "core/script/ScriptBuffer.h"
#include "core/script/ScriptFailure.h"
#include "core/script/ScriptInterpreter.h"
#include "core/update/SignedOnly.h"
#include "publisher/lint/FileLinter.h"

namespace {

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

// What a command tells of the kind of the file it is in, for guessing the kind.
bool MarksFeed(const CommandRow& command) {
    return command.usualIn.Only(LintKind::Feed);
}
bool MarksScript(const CommandRow& command) {
    return command.usualIn.Only(LintKind::Script);
}
bool MarksConfig(const CommandRow& command) {
    return command.usualIn.Has(LintKind::Config);
}
bool MarksVersion(const CommandRow& command) {
    return command.usualIn.Has(LintKind::Version);
}

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
        const CommandRow* command =
            FindLineCommand(std::string_view(text).substr(line.offset, line.length));
        if (command == nullptr) {
            continue;
        }
        if (MarksFeed(*command)) {
            return LintKind::Feed;
        }
        script = script || MarksScript(*command);
        config = config || MarksConfig(*command);
        version = version || MarksVersion(*command);
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

}  // namespace

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
    CheckSignedOnly();
}

void FileLinter::MarkRunEnd(std::size_t offset, bool atKeyLine) {
    if (!runEnd_) {
        runEnd_ = offset;
        runEndsAtKey_ = atKeyLine;
    }
}

// A configuration file that names a key makes the updater signed only: unless its run reaches
// the end and gives a key, every update check is refused.
void FileLinter::CheckSignedOnly() {
    if (file_.kind != LintKind::Config || !NamesPublisherKey(text_)) {
        return;
    }
    const char* refused =
        ": with a KEY line in the file, the updater then refuses every update check";
    if (runEnd_ && !runEndsAtKey_) {
        Error(*runEnd_, "key-not-run",
              std::string("the updater's run of the configuration file ends at this line") +
                  refused);
    } else if (!runEnd_ && !file_.hasKey) {
        Error(0, "key-not-run",
              std::string("the file names a KEY, but no line of it is run as one") + refused);
    }
}

bool FileLinter::CheckByteOrderMark() {
    const std::string_view start = std::string_view(text_).substr(0, 3);
    if (start == "\xEF\xBB\xBF") {
        Error(0, "bom",
              "the file begins with a UTF-8 byte-order mark: the updater reads its three bytes as "
              "the first command, which is unknown; save the file as ANSI text");
        MarkRunEnd(0);
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
                  "the file ends with a CR without LF: after a " +
                      CommandWords([](const CommandRow& command) { return command.armsTrap; }) +
                      " line the updater fails on it");
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
    const CommandRow* command = FindLineCommand(line);
    if (command == nullptr) {
        ReportUnknownCommand(line, offset);
        return;
    }
    const std::string word(command->word);
    const RunKind runKind =
        file_.kind == LintKind::Config ? RunKind::Configuration : RunKind::TopLevel;
    if (command->ArmsTrapIn(runKind)) {
        trapArmed_ = true;
    }
    if (command->configurationOnly && file_.kind != LintKind::Config) {
        Error(offset, "key-outside-config",
              "a " + word +
                  " line counts only in the configuration file: anywhere else the line fails");
        return;
    }
    if (!command->usualIn.Has(file_.kind)) {
        Warning(offset, "unusual-command",
                word + " is not expected in " + KindName(file_.kind) +
                    (file_.kind == LintKind::Script &&
                             command->fields.Has(FieldKind::UpdateScriptUrl)
                         ? ": an offer accepted inside an update script runs that version's "
                           "update script inside this one, at most 8 deep"
                         : ": every command runs in every file, so it runs here too"));
    }
    if (command->endsRun) {
        off_ = off_ ? off_ : offset;
        if (NamesPublisherKey(std::string_view(text_).substr(offset + line.size()))) {
            MarkRunEnd(offset);  // a KEY line after it never runs
        }
    }
    if (command->argument == ArgumentUse::Ignored) {
        return;  // no blank or argument to check
    }
    if (line.size() > kCommandLength && line[kCommandLength] != ' ' &&
        line[kCommandLength] != '\t') {
        Error(offset + kCommandLength, "no-separator",
              "no blank after " + word + ": the updater drops the fourth character (" +
                  QuoteContent(line.substr(kCommandLength, 1)) + ") as the separator");
    }
    ScriptRun run(runKind);
    run.SetCurrentLine(std::string(line));
    std::string argument;
    try {
        argument = run.Argument();
    } catch (const ScriptFailure& failure) {
        MarkRunEnd(offset);
        Error(offset + line.size(), "no-argument",
              word + " without a blank and an argument: the line fails (" +
                  FailureSummary(failure) + ")");
        return;
    }
    CheckArgument(*command, argument, offset + line.size() - argument.size());
}

void FileLinter::ReportUnknownCommand(std::string_view line, std::size_t offset) {
    const std::string_view command = line.substr(0, kCommandLength);
    std::string upper(command);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'a' && c <= 'z' ? c - 0x20 : c);
    });
    MarkRunEnd(offset);
    const char* ends = ": the updater stops there with UnknownCommand";
    if (line.find_first_not_of(" \t") == std::string_view::npos) {
        Error(offset, "unknown-command",
              std::string("a line of blanks is not an empty line") + ends);
    } else if (line.front() == ' ' || line.front() == '\t') {
        Error(offset, "unknown-command", std::string("the line begins with a blank") + ends);
    } else if (FindCommand(upper) != nullptr) {
        Error(offset, "lowercase-command",
              QuoteContent(command) + " is written in lower case; commands are capitals (" + upper +
                  ")" + ends);
    } else {
        Error(offset, "unknown-command", "unknown command " + QuoteContent(command) + ends);
    }
}

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

std::string DescribeKindGuess() {
    return "a .cfg file is a configuration file; else one with a " + CommandWords(MarksFeed) +
           " line is an update information file, one with " + CommandWords(MarksScript) +
           " an update script, one with " + CommandWords(MarksConfig) +
           " a configuration file, one with " + CommandWords(MarksVersion) +
           " lines only a version file";
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
