#pragma once
// Placeholder replacement in language texts and script arguments.

#include <cstddef>
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
inline constexpr std::string_view kPlaceholderFile = "%FILE%";
inline constexpr std::string_view kPlaceholderProgram = "%PROGRAM%";
inline constexpr std::string_view kPlaceholderSwitch = "%SWITCH%";
inline constexpr std::string_view kPlaceholderProcess = "%PROCESS%";

inline constexpr std::string_view kCrLf = "\r\n";

// One placeholder and the text that takes its place.
struct Substitution {
    std::string_view placeholder;
    std::string_view value;
};

// Returns `text` with every occurrence of `placeholder` replaced by `value`, scanning from the
// start, matching bytes exactly, and never searching the inserted value again.
std::string ReplaceAll(std::string_view text, std::string_view placeholder, std::string_view value);

// Shorthand for the most common replacement: "%CRLF%" becomes CR LF.
std::string ReplaceLineBreaks(std::string_view text);

// Replaces the placeholders in turn, as ReplaceAll one after another would: the first
// substitution in `text`, the second in that result, and so on. A value is never searched for
// its own placeholder or an earlier one, but a later placeholder inside it is replaced ("%CML%"
// inside the text put in for "%ERROR%" becomes the line).
//
// Values can hold later placeholders, so the full result can grow with the product of their
// sizes. Only its first `limit` characters are built, followed by kCutMark when more would
// have followed; the work is linear in the characters of `text` that those take plus `limit`.
std::string ReplaceInTurn(std::string_view text,
                          std::initializer_list<Substitution> substitutions, std::size_t limit);
