// simulate's command line: --app DIR [--feed URL|FILE] [--answer yes|no] [--map PREFIX=DIR]...
// [--keep].

#include "publisher/SimulateCommand.h"

#include <stdexcept>

#include "publisher/CommandLine.h"

bool IsUrl(const std::string& text) {
    return text.find("://") != std::string::npos;
}

namespace {

// The value that follows the option at `index`.
const std::string& ValueOf(const std::vector<std::string>& arguments, std::size_t& index) {
    if (index + 1 == arguments.size())
        throw std::invalid_argument(arguments[index] + " needs a value");
    return arguments[++index];
}

void SetOnce(std::string& field, bool& given, const std::string& name, const std::string& value) {
    if (given)
        throw std::invalid_argument("give " + name + " only once");
    given = true;
    field = value;
}

}  // namespace

SimulateOptions ParseSimulateOptions(const std::vector<std::string>& arguments) {
    SimulateOptions options;
    bool appGiven = false, feedGiven = false, answerGiven = false;
    std::string answer = "yes";
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--app") {
            SetOnce(options.app, appGiven, argument, ValueOf(arguments, i));
        } else if (argument == "--feed") {
            SetOnce(options.feed, feedGiven, argument, ValueOf(arguments, i));
        } else if (argument == "--answer") {
            SetOnce(answer, answerGiven, argument, ValueOf(arguments, i));
        } else if (argument == "--map") {
            options.maps.push_back(ParseUrlMapping(ValueOf(arguments, i)));
        } else if (argument == "--keep") {
            options.keep = true;
        } else {
            throw std::invalid_argument("simulate does not take " + argument);
        }
    }
    if (!appGiven || options.app.empty())
        throw std::invalid_argument("simulate needs --app DIR");
    if (answer != "yes" && answer != "no")
        throw std::invalid_argument("--answer takes yes or no, not " + answer);
    options.answerYes = answer == "yes";
    return options;
}
