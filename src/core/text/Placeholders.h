#pragma once
// Placeholder replacement in language texts and script arguments.

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

// Returns `text` with every occurrence of `placeholder` replaced by `value`, scanning from the
// start, matching bytes exactly, and never searching the inserted value again.
std::string ReplaceAll(std::string_view text, std::string_view placeholder, std::string_view value);

// Shorthand for the most common replacement: "%CRLF%" becomes CR LF.
std::string ReplaceLineBreaks(std::string_view text);
