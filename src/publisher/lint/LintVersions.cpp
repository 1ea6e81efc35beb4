// Version forms and the order check across the versions a lint run meets.

#include "publisher/lint/LintVersions.h"

#include <algorithm>
#include <map>

#include "core/script/VersionNumbers.h"

VersionForm FormOfVersion(std::string_view version) {
    if (!IsNumeric(RemoveDots(version))) {
        return VersionForm::Refused;
    }
    const bool plain = version.find_first_not_of("0123456789.") == std::string_view::npos;
    return plain ? VersionForm::Plain : VersionForm::Numeric;
}

namespace {

// The next dot-separated part of `version` from `at`, without leading zeros; `at` moves past it.
std::string_view NextPart(std::string_view version, std::size_t& at) {
    if (at > version.size()) {
        return {};
    }
    std::size_t end = version.find('.', at);
    end = end == std::string_view::npos ? version.size() : end;
    std::string_view part = version.substr(at, end - at);
    at = end + 1;
    const std::size_t digits = part.find_first_not_of('0');
    return digits == std::string_view::npos ? std::string_view() : part.substr(digits);
}

}  // namespace

int CompareVersionNumbers(std::string_view a, std::string_view b) {
    std::size_t atA = 0, atB = 0;
    while (atA <= a.size() || atB <= b.size()) {
        const std::string_view partA = NextPart(a, atA), partB = NextPart(b, atB);
        if (partA.size() != partB.size()) {
            return partA.size() < partB.size() ? -1 : 1;
        }
        if (const int order = partA.compare(partB); order != 0) {
            return order < 0 ? -1 : 1;
        }
    }
    return 0;
}

std::vector<VersionOrderProblem> FindVersionOrderProblems(
    const std::vector<VersionMention>& mentions) {
    // Each distinct plain version once, where a CMV line lists it first (else where it is first
    // named).
    std::map<std::string_view, const VersionMention*> first;
    for (const VersionMention& mention : mentions) {
        if (FormOfVersion(mention.text) != VersionForm::Plain) {
            continue;
        }
        auto [at, added] = first.emplace(mention.text, &mention);
        if (!added && mention.listed && !at->second->listed) {
            at->second = &mention;
        }
    }
    std::vector<const VersionMention*> sorted;
    for (const auto& [text, mention] : first) {
        sorted.push_back(mention);
    }
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto* a, const auto* b) {
        return CompareVersionNumbers(a->text, b->text) < 0;
    });

    std::vector<VersionOrderProblem> problems;
    for (std::size_t i = 1; i < sorted.size(); ++i) {
        const VersionMention& earlier = *sorted[i - 1];
        const VersionMention& later = *sorted[i];
        if (CompareVersionNumbers(earlier.text, later.text) == 0) {
            continue;
        }
        const std::string textEarlier = RemoveDots(earlier.text);
        const std::string textLater = RemoveDots(later.text);
        if (IsNewerVersion(textLater, textEarlier)) {
            continue;
        }
        const std::string why = ": versions are compared as text without their dots, and \"" +
                                textLater + "\" does not sort after \"" + textEarlier + "\"";
        if (later.listed) {
            problems.push_back(
                {&later, later.text + " will not be offered over " + earlier.text + why});
        } else if (earlier.listed && IsNewerVersion(textEarlier, textLater)) {
            problems.push_back({&earlier, earlier.text + " will be offered over " + later.text +
                                              ", a later version" + why});
        }
    }
    return problems;
}
