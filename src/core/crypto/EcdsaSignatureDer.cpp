// DER of an ECDSA signature, strictly: one encoding per signature, so a signature cannot be
// altered into another accepted text.

#include "core/crypto/EcdsaSignatureDer.h"

#include <algorithm>

namespace {

constexpr unsigned char kSequence = 0x30;
constexpr unsigned char kInteger = 0x02;
constexpr std::size_t kHalf = 32;

// The DER INTEGER of a 32-byte big-endian unsigned value.
std::string EncodeInteger(const std::uint8_t* value) {
    std::size_t start = 0;
    while (start + 1 < kHalf && value[start] == 0) ++start;
    std::string content;
    if (value[start] & 0x80)
        content += '\0';
    content.append(reinterpret_cast<const char*>(value + start), kHalf - start);
    return std::string{static_cast<char>(kInteger), static_cast<char>(content.size())} + content;
}

// Reads one INTEGER at `position` into `out` (32 bytes, right-aligned); false when it is not a
// minimal positive INTEGER of 1 to 32 value bytes.
bool ReadInteger(std::string_view der, std::size_t& position, std::uint8_t* out) {
    if (der.size() - position < 2 || static_cast<unsigned char>(der[position]) != kInteger) {
        return false;
    }
    const std::size_t length = static_cast<unsigned char>(der[position + 1]);
    position += 2;
    if (length == 0 || length > kHalf + 1 || der.size() - position < length)
        return false;
    std::string_view value = der.substr(position, length);
    position += length;
    if (static_cast<unsigned char>(value[0]) & 0x80)
        return false;  // negative
    if (value[0] == 0 && length > 1) {
        if (!(static_cast<unsigned char>(value[1]) & 0x80))
            return false;  // not minimal
        value.remove_prefix(1);
    }
    if (value.size() > kHalf)
        return false;
    if (std::all_of(value.begin(), value.end(), [](char c) { return c == 0; }))
        return false;
    std::fill_n(out, kHalf, 0);
    std::copy(value.begin(), value.end(), out + (kHalf - value.size()));
    return true;
}

}  // namespace

std::string EncodeEcdsaSignatureDer(const P256Signature& signature) {
    const std::string body =
        EncodeInteger(signature.data()) + EncodeInteger(signature.data() + kHalf);
    return std::string{static_cast<char>(kSequence), static_cast<char>(body.size())} + body;
}

std::optional<P256Signature> ParseEcdsaSignatureDer(std::string_view der, std::string& reason) {
    reason = "it is not the DER of an ECDSA signature (SEQUENCE of two INTEGERs)";
    // Lengths stay below 128 for P-256, so only the short form is valid.
    if (der.size() < 2 || static_cast<unsigned char>(der[0]) != kSequence ||
        static_cast<unsigned char>(der[1]) != der.size() - 2) {
        return std::nullopt;
    }
    P256Signature signature{};
    std::size_t position = 2;
    if (!ReadInteger(der, position, signature.data()) ||
        !ReadInteger(der, position, signature.data() + kHalf) || position != der.size()) {
        reason = "its r or s is not a positive INTEGER of at most 32 bytes in strict DER";
        return std::nullopt;
    }
    reason.clear();
    return signature;
}
