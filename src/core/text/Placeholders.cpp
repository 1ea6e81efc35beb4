#include "core/text/Placeholders.h"

std::string ReplaceAll(std::string_view text, std::string_view placeholder,
                       std::string_view value) {
    if (placeholder.empty()) {
        return std::string(text);
    }
    std::string result;
    result.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t found = text.find(placeholder); found != std::string_view::npos;
         found = text.find(placeholder, start)) {
        result.append(text, start, found - start);
        result.append(value);
        start = found + placeholder.size();
    }
    result.append(text, start);
    return result;
}

std::string ReplaceLineBreaks(std::string_view text) {
    return ReplaceAll(text, kPlaceholderCrLf, kCrLf);
}
