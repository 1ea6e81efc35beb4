#include "core/launch/LaunchOptions.h"

#include <array>
#include <charconv>
#include <string_view>

#include "core/text/AsciiCase.h"

namespace {

enum class Switch { Check, Update, Silent, Relaunched, WaitPid, Log };

struct SwitchName {
    std::string_view name;
    Switch value;
};

constexpr std::array<SwitchName, 6> kSwitches{{
    {"check", Switch::Check},
    {"update", Switch::Update},
    {"silent", Switch::Silent},
    {"relaunched", Switch::Relaunched},
    {"waitpid", Switch::WaitPid},
    {"log", Switch::Log},
}};

// The switch `argument` names ("/Check", "-check"); none for anything else.
std::optional<Switch> FindSwitch(std::string_view argument) {
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) {
        return std::nullopt;
    }
    const std::string name = LowerAscii(argument.substr(1));
    for (const SwitchName& known : kSwitches) {
        if (known.name == name) {
            return known.value;
        }
    }
    return std::nullopt;
}

// A process id: decimal digits only, 1 to 2^32 - 1.
std::optional<std::uint32_t> ProcessIdValue(std::string_view text) {
    std::uint32_t value = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (failure != std::errc() || end != text.data() + text.size() || value == 0) {
        return std::nullopt;
    }
    return value;
}

class CommandLineReader {
public:
    explicit CommandLineReader(const std::vector<std::string>& arguments)
        : arguments_(arguments) {}

    ParsedCommandLine Read() {
        while (next_ < arguments_.size()) {
            ReadSwitch(arguments_[next_++]);
        }
        LaunchOptions& options = parsed_.options;
        if (options.check && options.update) {
            Fault(CommandLineError::Kind::Conflict, updateArgument_);
        }
        return parsed_;
    }

private:
    void ReadSwitch(const std::string& argument) {
        const std::optional<Switch> found = FindSwitch(argument);
        if (!found) {
            Fault(CommandLineError::Kind::UnknownSwitch, argument.empty() ? "\"\"" : argument);
            return;
        }
        LaunchOptions& options = parsed_.options;
        switch (*found) {
            case Switch::Check:
                options.check = true;
                break;
            case Switch::Update:
                options.update = true;
                updateArgument_ = argument;
                break;
            case Switch::Silent:
                options.silent = true;
                break;
            case Switch::Relaunched:
                options.relaunched = true;
                break;
            case Switch::WaitPid:
                ReadWaitPid(argument);
                break;
            case Switch::Log:
                ReadLog(argument);
                break;
        }
    }

    void ReadWaitPid(const std::string& argument) {
        const std::optional<std::string> value = TakeValue();
        const std::optional<std::uint32_t> processId =
            value ? ProcessIdValue(*value) : std::nullopt;
        if (!processId) {
            Fault(CommandLineError::Kind::BadValue, argument);
            return;
        }
        parsed_.options.waitProcessId = processId;
    }

    void ReadLog(const std::string& argument) {
        std::optional<std::string> value = TakeValue();
        if (!value) {
            Fault(CommandLineError::Kind::BadValue, argument);
            return;
        }
        parsed_.options.logFile = std::move(value);
    }

    // The argument after a switch that takes a value. A switch in its place is no value: the
    // value was left out, and that switch is read as itself.
    std::optional<std::string> TakeValue() {
        if (next_ >= arguments_.size() || arguments_[next_].empty() ||
            FindSwitch(arguments_[next_])) {
            return std::nullopt;
        }
        return arguments_[next_++];
    }

    // Keeps the first fault: the one the user meets first when reading the line.
    void Fault(CommandLineError::Kind kind, const std::string& argument) {
        if (!parsed_.error) {
            parsed_.error = CommandLineError{kind, argument};
        }
    }

    const std::vector<std::string>& arguments_;
    std::size_t next_ = 0;
    ParsedCommandLine parsed_;
    std::string updateArgument_;
};

// One argument as the system's command-line splitting reads it back: quoted when it is empty
// or holds a blank or a quote, a quote escaped, and the backslashes before a quote (or before
// the closing quote) doubled.
std::string QuotedArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char character : argument) {
        if (character == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(character == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        quoted += character;
        backslashes = 0;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    return CommandLineReader(arguments).Read();
}

std::vector<std::string> ElevatedRelaunchArguments(const LaunchOptions& options,
                                                   std::uint32_t ownProcessId) {
    std::vector<std::string> arguments{"/update", "/relaunched", "/waitpid",
                                       std::to_string(ownProcessId)};
    if (options.logFile) {
        arguments.push_back("/log");
        arguments.push_back(*options.logFile);
    }
    return arguments;
}

std::string JoinCommandLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty()) {
            line += ' ';
        }
        line += QuotedArgument(argument);
    }
    return line;
}
