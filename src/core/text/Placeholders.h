#pragma once
// Placeholder replacement in language texts and script arguments.

#include <initializer_list>
#include <string>
#include <string_view>

// Placeholders that language texts and two script arguments may hold.
inline constexpr std::string_view kPlaceholderCrLf = "%CRLF%";
inline constexpr std::string_view kPlaceholderTitle = "%TITLE%";
inline constexpr std::string_view kPlaceholderDescription = "%DESCRIPTION%";
inline constexpr std::string_view kPlaceholderError = "%ERROR%";
inline constexpr std::string_view kPlaceholderCommandLine = "%CML%";
inline constexpr std::string_view kPlaceholderSemicolon = "%PTV%";

inline constexpr std::string_view kCrLf = "\r\n";

// One placeholder and the text that takes its place.
struct Substitution {
    std::string_view placeholder;
    std::string_view value;
};

// Returns `text` with every placeholder of `substitutions` replaced by its value, in one pass
// from the left, matching bytes exactly. Where two placeholders start at the same place the one
// listed first wins. An inserted value is never searched again, so a placeholder inside it stays
// as written and the result is at most the text plus one value per placeholder found.
std::string ReplacePlaceholders(std::string_view text,
                                std::initializer_list<Substitution> substitutions);

// Returns `text` with every occurrence of `placeholder` replaced by `value`, scanning from the
// start, matching bytes exactly, and never searching the inserted value again.
std::string ReplaceAll(std::string_view text, std::string_view placeholder, std::string_view value);

// Shorthand for the most common replacement: "%CRLF%" becomes CR LF.
std::string ReplaceLineBreaks(std::string_view text);
