#pragma once
// Text between the ANSI code page, in which the program keeps paths and messages, and UTF-16,
// which some system calls take or give only.

#include <string>
#include <string_view>

// `text` in UTF-16; empty when it cannot be converted.
std::wstring WideFromAnsi(std::string_view text);

// `text` in the ANSI code page, characters it lacks replaced by the system's default character;
// empty when it cannot be converted.
std::string AnsiFromWide(std::wstring_view text);
