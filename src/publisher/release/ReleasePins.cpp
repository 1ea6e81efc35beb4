#include "publisher/release/ReleasePins.h"

#include <stdexcept>

#include "core/script/CommandTable.h"
#include "core/script/PinField.h"
#include "core/script/ScriptInterpreter.h"
#include "publisher/common/CommandLine.h"
#include "publisher/release/ReleaseLines.h"

namespace {

// The command of a line release pins: one with a pin field, for the file of its URL field.
const CommandRow* PinnedCommandOf(const std::string& line) {
    const CommandRow* command = FindLineCommand(line);
    return command != nullptr && command->fields.Has(FieldKind::Pin) ? command : nullptr;
}

// The index of the URL field whose file the pin is the hash of.
std::size_t UrlFieldOf(const CommandRow& command) {
    std::size_t index = 0;
    while (!IsUrl(command.fields[index].kind)) {
        ++index;  // IsWellFormed: a URL comes before the pin
    }
    return index;
}

// Pins one line; throws std::runtime_error (or ScriptFailure) with the reason it cannot be.
ScriptPin PinLine(std::string& line, const CommandRow& command,
                  const std::vector<UrlMapping>& map, const FileHasher& hashFile) {
    ScriptRun run(RunKind::Nested);
    run.SetCurrentLine(line);
    const std::string argument = run.Argument();
    const ArgumentFields fields = command.Split(argument);
    const std::size_t pinField = command.fields.IndexOf(FieldKind::Pin);
    fields.Require(pinField);
    const std::string url(fields[UrlFieldOf(command)].text);
    // The line up to its last required field, and what follows the pin.
    const std::string head = line.substr(0, line.size() - fields.After(pinField - 1).size());
    const bool hasPinField = fields.size() > pinField;
    const std::string tail(hasPinField ? fields.After(pinField) : std::string_view());
    ScriptPin pin;
    if (hasPinField) {
        pin.oldPin = fields[pinField].text;
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
        line = head + ";" + pin.newPin + tail;
    return pin;
}

}  // namespace

PinnedScript PinScript(const std::string& text, const std::string& name,
                       const std::vector<UrlMapping>& map, const FileHasher& hashFile) {
    CrLfLines lines = SplitCrLfLines(text, name);
    PinnedScript result;
    std::string problems;
    for (std::size_t i = 0; i < lines.lines.size(); ++i) {
        const CommandRow* command = PinnedCommandOf(lines.lines[i]);
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
