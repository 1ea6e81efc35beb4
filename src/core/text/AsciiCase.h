#pragma once
// Case folding of ASCII letters only: script words, URL schemes and Windows file names compare
// their ASCII letters without case, and no other byte of the system's code page is touched.

#include <cstddef>
#include <string>
#include <string_view>

constexpr char LowerAscii(char character) {
    return character >= 'A' && character <= 'Z' ? static_cast<char>(character - 'A' + 'a')
                                                : character;
}

// `text` with its ASCII capitals made small letters.
inline std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& character : lower) {
        character = LowerAscii(character);
    }
    return lower;
}

// True when `text` begins with `prefix`, ASCII letters compared without case.
constexpr bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (LowerAscii(text[i]) != LowerAscii(prefix[i])) {
            return false;
        }
    }
    return true;
}
