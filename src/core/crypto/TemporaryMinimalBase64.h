#pragma once
// TEMPORARY, until the core's own base64 and DER parsers replace it: just enough decoding for
// KeyLine.cpp and FeedSignature.cpp (the key's and the signature's fixed DER forms) to be used
// by the updater's chain. Delete with those two files' minimal versions.

#include <optional>
#include <string>
#include <string_view>

// The bytes of strict, padded base64; nothing for anything else.
inline std::optional<std::string> TemporaryDecodeBase64(std::string_view text) {
    constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::string bytes;
    unsigned bits = 0;
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=') {
            const std::size_t padding = text.size() - i;
            if (padding > 2 || text.substr(i).find_first_not_of('=') != std::string_view::npos) {
                return std::nullopt;
            }
            break;
        }
        const std::size_t value = kAlphabet.find(text[i]);
        if (value == std::string_view::npos) {
            return std::nullopt;
        }
        bits = (bits << 6) | static_cast<unsigned>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return bytes;
}
