// DER of an ECDSA signature, strictly: one encoding per signature, so a signature cannot be
// altered into another accepted text.

#include "core/crypto/EcdsaSignatureDer.h"

#include <algorithm>

#include "core/crypto/Der.h"

namespace {

constexpr std::size_t kHalf = 32;

// The DER INTEGER of a 32-byte big-endian unsigned value.
std::string EncodeInteger(const std::uint8_t* value) {
    std::size_t start = 0;
    while (start + 1 < kHalf && value[start] == 0) ++start;
    std::string content;
    if (value[start] & 0x80)
        content += '\0';
    content.append(reinterpret_cast<const char*>(value + start), kHalf - start);
    return EncodeDerElement(kDerInteger, content);
}

// Reads the next INTEGER into `out` (32 bytes, right-aligned); false when it is not a minimal
// positive INTEGER of 1 to 32 value bytes with a short-form length.
bool ReadInteger(DerReader& integers, std::uint8_t* out) {
    const std::optional<std::string_view> content = integers.ReadShort(kDerInteger);
    if (!content || content->empty() || content->size() > kHalf + 1)
        return false;
    std::string_view value = *content;
    if (static_cast<unsigned char>(value[0]) & 0x80)
        return false;  // negative
    if (value[0] == 0 && value.size() > 1) {
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
    return EncodeDerElement(kDerSequence, body);
}

std::optional<P256Signature> ParseEcdsaSignatureDer(std::string_view der, std::string& reason) {
    reason = "it is not the DER of an ECDSA signature (SEQUENCE of two INTEGERs)";
    // Lengths stay below 128 for P-256, so only the short form is valid.
    if (der.size() < 2 || static_cast<unsigned char>(der[0]) != kDerSequence ||
        static_cast<unsigned char>(der[1]) != der.size() - 2) {
        return std::nullopt;
    }
    P256Signature signature{};
    DerReader integers(der.substr(2));
    if (!ReadInteger(integers, signature.data()) ||
        !ReadInteger(integers, signature.data() + kHalf) || !integers.AtEnd()) {
        reason = "its r or s is not a positive INTEGER of at most 32 bytes in strict DER";
        return std::nullopt;
    }
    reason.clear();
    return signature;
}
