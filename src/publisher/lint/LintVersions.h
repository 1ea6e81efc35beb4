#pragma once
// Versions as `lint` sees them: whether the updater accepts a version text, and where comparing
// texts without their dots (what CMV does) orders versions otherwise than their numbers do.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

enum class VersionForm {
    Plain,    // digits and dots, at least one digit
    Numeric,  // accepted by the updater (a sign or blanks around the digits), compared oddly
    Refused,  // not a number once its dots are gone: CMV fails on it
};

VersionForm FormOfVersion(std::string_view version);

// Compares two plain versions by their numbers, part by part ("1.10" after "1.9"); missing
// parts count as 0, so "1.2" and "1.2.0" are equal. Negative, 0 or positive.
int CompareVersionNumbers(std::string_view a, std::string_view b);

// A version named by a CMV line (listed) or a VER line, in one of the linted files.
struct VersionMention {
    std::string text;
    std::size_t file = 0;    // index of the file
    std::size_t offset = 0;  // of the version in that file
    bool listed = false;     // a CMV line offers it
};

// One pair whose text order and numeric order disagree, reported at `at`.
struct VersionOrderProblem {
    const VersionMention* at;
    std::string message;  // names the pair: "1.10 will not be offered over 1.9 ..."
};

// The pairs of plain versions among `mentions` that the text comparison orders otherwise than
// their numbers, each reported at a CMV line: at the later version's when the earlier one keeps
// it from being offered, else at the earlier version's when it would be offered over the later
// one. Neighbours in numeric order are compared, so the work is O(n log n).
std::vector<VersionOrderProblem> FindVersionOrderProblems(
    const std::vector<VersionMention>& mentions);
