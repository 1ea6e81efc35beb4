// simulate's command line: --app DIR [--feed URL|FILE] [--answer yes|no] [--map PREFIX=DIR]...
// [--keep].

#include "publisher/simulate/SimulateCommand.h"

#include <ostream>

#include "publisher/common/CommandLine.h"

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

int RunSimulate(const std::vector<std::string>& arguments, const Simulator& simulator,
                std::ostream& out, std::ostream& err) {
    const SimulateOptions options = ParseSimulateOptions(arguments);
    if (!simulator) {
        err << "quillmere-publish: simulate runs the updater's Windows side: use the Windows "
               "build, quillmere-publish.exe (under Wine on Linux)\n";
        return kExitUsage;
    }
    return simulator(options, out);
}
