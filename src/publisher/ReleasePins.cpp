#include "publisher/ReleasePins.h"

#include <stdexcept>

#include "core/script/PinField.h"
#include "core/script/ScriptFields.h"
#include "core/script/ScriptInterpreter.h"
#include "publisher/CommandLine.h"
#include "publisher/ReleaseLines.h"

namespace {

// Where a pinned command keeps its URL and its pin, counting fields from 0.
struct PinnedCommand {
    std::string_view word;
    std::size_t urlField;
    std::size_t pinField;
};

constexpr PinnedCommand kPinnedCommands[] = {
    {"DWN", 0, 2},  // DWN <url>;<local file>[;sha256=<hex>]
    {"CMV", 2, 3},  // CMV <version>;<description>;<update script URL>[;sha256=<hex>]
};

const PinnedCommand* PinnedCommandOf(const std::string& line) {
    for (const PinnedCommand& command : kPinnedCommands) {
        if (line.starts_with(command.word))
            return &command;
    }
    return nullptr;
}

// Pins one line; throws std::runtime_error (or ScriptFailure) with the reason it cannot be.
ScriptPin PinLine(std::string& line, const PinnedCommand& command,
                  const std::vector<UrlMapping>& map, const FileHasher& hashFile) {
    ScriptRun run(RunKind::Nested);
    run.SetCurrentLine(line);
    const std::string argument = run.Argument();
    std::string rest = argument;
    std::string url;
    for (std::size_t index = 0; index < command.pinField; ++index) {
        if (index > 0)
            RemoveFieldSeparator(rest);
        std::string field;
        NextField(rest, field);
        if (index == command.urlField)
            url = field;
    }
    const std::size_t headLength = line.size() - rest.size();
    ScriptPin pin;
    if (!rest.empty()) {
        RemoveFieldSeparator(rest);
        NextField(rest, pin.oldPin);  // `rest` keeps the fields after the pin
    }
    if (!pin.oldPin.empty() && !IsSha256PinField(pin.oldPin)) {
        throw std::runtime_error("the field where the pin goes holds \"" + pin.oldPin +
                                 "\", not a sha256= pin");
    }
    const std::optional<std::string> file = LocalFileOf(map, url);
    if (!file)
        throw std::runtime_error("no --map covers " + url);
    if (file->empty())
        throw std::runtime_error(url + " names no file inside its --map folder");
    pin.file = *file;
    const Sha256Digest digest = hashFile(*file);
    pin.newPin = FormatPinField(digest);
    pin.changed = ParseSha256PinField(pin.oldPin) != digest;
    if (pin.changed)
        line = line.substr(0, headLength) + ";" + pin.newPin + rest;
    return pin;
}

}  // namespace

PinnedScript PinScript(const std::string& text, const std::string& name,
                       const std::vector<UrlMapping>& map, const FileHasher& hashFile) {
    CrLfLines lines = SplitCrLfLines(text, name);
    PinnedScript result;
    std::string problems;
    for (std::size_t i = 0; i < lines.lines.size(); ++i) {
        const PinnedCommand* command = PinnedCommandOf(lines.lines[i]);
        if (!command)
            continue;
        try {
            ScriptPin pin = PinLine(lines.lines[i], *command, map, hashFile);
            pin.lineNumber = i + 1;
            result.pins.push_back(std::move(pin));
        } catch (const std::exception& error) {
            problems += "\n" + name + ":" + std::to_string(i + 1) + ": " + error.what() + ": " +
                        lines.lines[i];
        }
    }
    if (!problems.empty())
        throw std::runtime_error("cannot pin every line of " + name + ":" + problems);
    result.text = JoinCrLfLines(lines);
    return result;
}
