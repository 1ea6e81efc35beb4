// The line map of a linted file, and file content quoted in messages.

#include "publisher/lint/LintFinding.h"

#include <algorithm>

LineMap::LineMap(std::string_view text) {
    starts_.push_back(0);
    for (std::size_t lf = text.find('\n'); lf != std::string_view::npos;
         lf = text.find('\n', lf + 1)) {
        starts_.push_back(lf + 1);
    }
    // Lone CRs are rare: found in a second pass and merged in.
    const std::size_t lineFeedLines = starts_.size();
    for (std::size_t cr = text.find('\r'); cr != std::string_view::npos;
         cr = text.find('\r', cr + 1)) {
        if (cr + 1 == text.size() || text[cr + 1] != '\n') {
            starts_.push_back(cr + 1);
        }
    }
    std::inplace_merge(starts_.begin(), starts_.begin() + lineFeedLines, starts_.end());
}

std::size_t LineMap::LineOf(std::size_t offset) const {
    return static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), offset) -
                                    starts_.begin());
}

std::size_t LineMap::ColumnOf(std::size_t offset) const {
    return offset - starts_[LineOf(offset) - 1] + 1;
}

std::string QuoteContent(std::string_view text, std::size_t limit) {
    constexpr char kHex[] = "0123456789abcdef";
    std::string quoted = "\"";
    for (std::size_t i = 0; i < text.size() && i < limit; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x20 && byte < 0x7F) {
            quoted += static_cast<char>(byte);
        } else {
            quoted += "\\x";
            quoted += kHex[byte >> 4];
            quoted += kHex[byte & 0xF];
        }
    }
    quoted += text.size() > limit ? "\"..." : "\"";
    return quoted;
}
