#include "publisher/common/CommandLine.h"

#include <algorithm>

const std::string& CommandLine::One(const std::string& name) const {
    if (options.count(name) != 1)
        throw UsageError("give " + name + " exactly once");
    return options.find(name)->second;
}

std::string CommandLine::OneOr(const std::string& name, const std::string& fallback) const {
    if (options.count(name) > 1)
        throw UsageError("give " + name + " at most once");
    return options.count(name) == 1 ? options.find(name)->second : fallback;
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments,
                             const std::vector<std::string>& known,
                             const std::vector<std::string>& flags) {
    CommandLine line;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!argument.starts_with("--")) {
            line.operands.push_back(argument);
        } else if (std::find(flags.begin(), flags.end(), argument) != flags.end()) {
            line.flags.insert(argument);
        } else if (std::find(known.begin(), known.end(), argument) == known.end()) {
            throw UsageError("unknown option " + argument);
        } else if (i + 1 == arguments.size()) {
            throw UsageError(argument + " needs a value");
        } else {
            line.options.emplace(argument, arguments[++i]);
        }
    }
    return line;
}
