#pragma once
// simulate: its command line, and the hook through which a build that can run the updater's
// Windows side (quillmere-publish.exe) provides the simulation itself.

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "publisher/common/UrlMap.h"

struct SimulateOptions {
    std::string app;               // the program's folder, copied before the run
    std::string feed;              // a URL, a local file, or empty for the configuration's ADR
    bool answerYes = true;         // the answer to every offer
    std::vector<UrlMapping> maps;  // --map
    bool keep = false;             // leave the copy behind and say where
};

// True when --feed names a URL rather than a local file.
bool IsUrl(const std::string& text);

// The options of `arguments` ("simulate" first). Throws UsageError when the command line is
// wrong.
SimulateOptions ParseSimulateOptions(const std::vector<std::string>& arguments);

// Runs a simulation, writing its report to `out`; returns the tool's exit status. May throw a
// std::exception when the simulation cannot be set up (the folder cannot be copied...).
using Simulator = std::function<int(const SimulateOptions& options, std::ostream& out)>;

// simulate --app DIR [--feed URL|FILE] [--answer yes|no] [--map URL-PREFIX=DIR]... [--keep]:
// runs `simulator` with the options; without one (a build without the Windows side) says so on
// `err` and returns kExitUsage.
int RunSimulate(const std::vector<std::string>& arguments, const Simulator& simulator,
                std::ostream& out, std::ostream& err);
