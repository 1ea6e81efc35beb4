#include "core/text/Placeholders.h"

namespace {

// The substitution whose placeholder starts `text`, or nullptr.
const Substitution* MatchAtFront(std::string_view text,
                                 std::initializer_list<Substitution> substitutions) {
    for (const Substitution& substitution : substitutions) {
        if (!substitution.placeholder.empty() && text.starts_with(substitution.placeholder)) {
            return &substitution;
        }
    }
    return nullptr;
}

}  // namespace

std::string ReplacePlaceholders(std::string_view text,
                                std::initializer_list<Substitution> substitutions) {
    // Only a place where some placeholder's first character stands can start a match.
    std::string firstCharacters;
    for (const Substitution& substitution : substitutions) {
        if (!substitution.placeholder.empty()) {
            firstCharacters += substitution.placeholder.front();
        }
    }
    std::string result;
    result.reserve(text.size());
    std::size_t copied = 0;  // text before this has been copied or replaced
    for (std::size_t at = text.find_first_of(firstCharacters); at != std::string_view::npos;
         at = text.find_first_of(firstCharacters, at)) {
        const Substitution* match = MatchAtFront(text.substr(at), substitutions);
        if (match == nullptr) {
            ++at;
            continue;
        }
        result.append(text, copied, at - copied);
        result.append(match->value);
        at += match->placeholder.size();
        copied = at;
    }
    result.append(text, copied);
    return result;
}

std::string ReplaceAll(std::string_view text, std::string_view placeholder,
                       std::string_view value) {
    return ReplacePlaceholders(text, {{placeholder, value}});
}

std::string ReplaceLineBreaks(std::string_view text) {
    return ReplaceAll(text, kPlaceholderCrLf, kCrLf);
}
