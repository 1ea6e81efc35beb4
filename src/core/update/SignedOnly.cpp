#include "core/update/SignedOnly.h"

#include <algorithm>

#include "core/crypto/KeyLine.h"
#include "core/text/AsciiCase.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool BeginsWithKeyWord(std::string_view line) {
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    return StartsWithIgnoringAsciiCase(line, kKeyCommand);
}

// The number (from 1) of the line the run stopped on, given the bytes it took from the front.
// Taking a line also takes the CR LF after it, so the stop is before those two.
std::size_t LineOfStop(std::string_view text, std::size_t taken) {
    if (taken >= 2 && text[taken - 2] == '\r') {
        taken -= 2;
    }
    return 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + taken, '\r'));
}

}  // namespace

bool NamesPublisherKey(std::string_view configuration) {
    if (configuration.starts_with(kByteOrderMark)) {
        configuration.remove_prefix(kByteOrderMark.size());
    }
    std::size_t start = 0;
    while (start <= configuration.size()) {
        const std::size_t end = std::min(configuration.find_first_of("\r\n", start),
                                         configuration.size());
        if (BeginsWithKeyWord(configuration.substr(start, end - start))) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

std::optional<std::string> SignedOnlyRefusal(const ConfigurationRun& run) {
    if (!NamesPublisherKey(run.text)) {
        return std::nullopt;
    }
    const std::size_t taken = run.text.size() - std::min(run.unrun.size(), run.text.size());
    if (run.failed || NamesPublisherKey(run.unrun)) {
        return "the configuration file names the publisher's key, but its line " +
               std::to_string(LineOfStop(run.text, taken)) +
               " ended its run, so no key is trusted";
    }
    if (!run.keysTrusted) {
        return "the configuration file names the publisher's key, but no KEY line of it gave "
               "one";
    }
    return std::nullopt;
}
