// simulate's command line: --app DIR [--feed URL|FILE] [--answer yes|no] [--map PREFIX=DIR]...
// [--keep].

#include "publisher/SimulateCommand.h"

#include "publisher/CommandLine.h"

bool IsUrl(const std::string& text) {
    return text.find("://") != std::string::npos;
}

SimulateOptions ParseSimulateOptions(const std::vector<std::string>& arguments) {
    const CommandLine line =
        ParseCommandLine(arguments, {"--app", "--feed", "--answer", "--map"}, {"--keep"});
    if (!line.operands.empty())
        throw UsageError("simulate takes no operand: " + line.operands.front());
    SimulateOptions options;
    options.app = line.One("--app");
    options.feed = line.OneOr("--feed", "");
    const std::string answer = line.OneOr("--answer", "yes");
    if (answer != "yes" && answer != "no")
        throw UsageError("--answer takes yes or no, not " + answer);
    options.answerYes = answer == "yes";
    for (auto [at, end] = line.options.equal_range("--map"); at != end; ++at)
        options.maps.push_back(ParseUrlMapping(at->second));
    options.keep = line.Has("--keep");
    if (options.app.empty())
        throw UsageError("simulate needs --app DIR");
    return options;
}
