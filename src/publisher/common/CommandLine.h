#pragma once
// The publisher's tool's command lines: "--name value" options (each may repeat), "--name" flags
// and operands; and its exit statuses.

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

// The tool's exit statuses: done, refused (the command could not be done, a check failed), and
// a wrong command line.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitUsage = 2;

// A command line that cannot be run: the tool prints the usage text and exits with status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The options and the remaining operands of a command.
struct CommandLine {
    std::multimap<std::string, std::string> options;
    std::set<std::string> flags;
    std::vector<std::string> operands;

    bool Has(const std::string& flag) const { return flags.count(flag) != 0; }

    // The value of an option given exactly once. Throws UsageError otherwise.
    const std::string& One(const std::string& name) const;

    // The value of an option given at most once, or `fallback` when absent. Throws UsageError
    // when it is given more than once.
    std::string OneOr(const std::string& name, const std::string& fallback) const;
};

// Splits `arguments` (the command word first, then its options and operands). Every option in
// `known` takes a value; those in `flags` take none. Throws UsageError for an unknown option or
// one without a value.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments,
                             const std::vector<std::string>& known,
                             const std::vector<std::string>& flags = {});
