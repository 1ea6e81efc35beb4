#include "publisher/ReleasePins.h"

#include <algorithm>
#include <stdexcept>

#include "core/crypto/Sha256Pin.h"
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
    pin.file = *file;
    const Sha256Digest digest = hashFile(*file);
    pin.newPin = std::string(kSha256PinPrefix) + Sha256Hex(digest);
    pin.changed = ParseSha256PinField(pin.oldPin) != digest;
    if (pin.changed)
        line = line.substr(0, headLength) + ";" + pin.newPin + rest;
    return pin;
}

}  // namespace

UrlMapping ParseUrlMapping(const std::string& option) {
    const std::size_t equals = option.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == option.size())
        throw UsageError("--map takes URL-PREFIX=DIR, not " + option);
    return {option.substr(0, equals), option.substr(equals + 1)};
}

std::optional<std::string> LocalFileOf(const std::vector<UrlMapping>& map, const std::string& url) {
    const UrlMapping* best = nullptr;
    for (const UrlMapping& mapping : map) {
        const std::string_view prefix = mapping.prefix;
        const bool covers = url.starts_with(prefix) && url.size() > prefix.size() &&
                            (prefix.ends_with('/') || url[prefix.size()] == '/');
        if (covers && (!best || prefix.size() > best->prefix.size()))
            best = &mapping;
    }
    if (!best)
        return std::nullopt;
    std::string path = url.substr(best->prefix.size());
    if (path.starts_with('/'))
        path.erase(0, 1);
    // The URL's "/" become the folder's own separator when it is written with "\\" only.
    const std::string& folder = best->folder;
    const char separator =
        folder.find('/') == std::string::npos && folder.find('\\') != std::string::npos ? '\\'
                                                                                        : '/';
    std::replace(path.begin(), path.end(), '/', separator);
    const bool separated = folder.ends_with('/') || folder.ends_with('\\');
    return folder + (separated ? "" : std::string(1, separator)) + path;
}

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
