// Strict base64: every byte string has one text, and any other text is refused.

#include "core/crypto/Base64.h"

#include <cstdint>

namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The 6-bit value of an alphabet character, or -1.
int SextetOf(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

}  // namespace

std::string EncodeBase64(std::string_view bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            group = (group << 8) | (k < n ? static_cast<std::uint8_t>(bytes[i + k]) : 0);
        }
        for (std::size_t k = 0; k < 4; ++k) {
            text += k <= n ? kAlphabet[(group >> (18 - 6 * k)) & 0x3F] : '=';
        }
    }
    return text;
}

std::optional<std::string> DecodeBase64(std::string_view text) {
    if (text.size() % 4 != 0)
        return std::nullopt;
    std::size_t padding = 0;
    if (!text.empty() && text.back() == '=')
        padding = text[text.size() - 2] == '=' ? 2 : 1;

    std::string bytes;
    bytes.reserve(text.size() / 4 * 3);
    const std::size_t dataLength = text.size() - padding;
    std::uint32_t group = 0;
    for (std::size_t i = 0; i < dataLength; ++i) {
        const int sextet = SextetOf(text[i]);
        if (sextet < 0)
            return std::nullopt;
        group = (group << 6) | static_cast<std::uint32_t>(sextet);
        if (i % 4 == 3) {
            bytes += static_cast<char>(group >> 16);
            bytes += static_cast<char>(group >> 8);
            bytes += static_cast<char>(group);
            group = 0;
        }
    }
    if (padding == 1) {  // 3 characters: 18 bits, 2 bytes, the low 2 bits unused
        if ((group & 0x3) != 0)
            return std::nullopt;
        bytes += static_cast<char>(group >> 10);
        bytes += static_cast<char>(group >> 2);
    } else if (padding == 2) {  // 2 characters: 12 bits, 1 byte, the low 4 bits unused
        if ((group & 0xF) != 0)
            return std::nullopt;
        bytes += static_cast<char>(group >> 4);
    }
    return bytes;
}
