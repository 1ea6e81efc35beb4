#include "core/script/PinField.h"

#include "core/crypto/Sha256Hex.h"
#include "core/script/ScriptFailure.h"
#include "core/text/AsciiCase.h"

bool IsSha256PinField(std::string_view field) {
    return StartsWithIgnoringAsciiCase(field, kSha256PinPrefix);
}

std::optional<Sha256Digest> ParseSha256PinField(std::string_view field) {
    if (!IsSha256PinField(field))
        return std::nullopt;
    return ParseSha256Hex(field.substr(kSha256PinPrefix.size()));
}

std::string FormatPinField(const Sha256Digest& digest) {
    return std::string(kSha256PinPrefix) + Sha256Hex(digest);
}

std::optional<Sha256Digest> ParsePinField(std::string_view field) {
    if (!IsSha256PinField(field)) {
        return std::nullopt;
    }
    const std::optional<Sha256Digest> digest = ParseSha256PinField(field);
    if (!digest) {
        throw ScriptFailure(
            "The checksum is not valid: after \"sha256=\" there must be exactly 64 hexadecimal "
            "digits.");
    }
    return digest;
}

std::optional<Sha256Digest> TakePinField(const ArgumentFields& fields, std::size_t index) {
    if (index >= fields.size()) {
        return std::nullopt;
    }
    return ParsePinField(fields[index].text);
}

void RequirePinWhenKeyed(const std::vector<P256PublicKey>& trustedKeys,
                         const std::optional<Sha256Digest>& pin) {
    if (!pin && !trustedKeys.empty()) {
        throw ScriptFailure(
            "The file has no checksum: with a publisher's key configured, every downloaded file "
            "needs a \"sha256=\" field.");
    }
}
