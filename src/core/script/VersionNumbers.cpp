#include "core/script/VersionNumbers.h"

#include <algorithm>

std::string RemoveDots(std::string_view version) {
    std::string result(version);
    result.erase(std::remove(result.begin(), result.end(), '.'), result.end());
    return result;
}

bool IsNumeric(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) {
        ++i;
    }
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    const std::size_t digitsStart = i;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
    }
    if (i == digitsStart) {
        return false;
    }
    while (i < text.size() && isBlank(text[i])) {
        ++i;
    }
    return i == text.size();
}

bool IsNewerVersion(std::string_view listed, std::string_view installed) {
    // std::string_view compares as unsigned character codes, like the platform's binary compare.
    return listed.compare(installed) > 0;
}
