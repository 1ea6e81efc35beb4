#include "core/script/PinField.h"

#include "core/script/ScriptFailure.h"
#include "core/script/ScriptFields.h"

namespace {

constexpr std::string_view kPinPrefix = "sha256=";

// The value of one hex digit, or -1.
int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

std::optional<Sha256Digest> ParsePinField(std::string_view field) {
    if (!field.starts_with(kPinPrefix)) {
        return std::nullopt;
    }
    const std::string_view hex = field.substr(kPinPrefix.size());
    Sha256Digest digest{};
    bool valid = hex.size() == digest.size() * 2;
    for (std::size_t i = 0; valid && i < digest.size(); ++i) {
        const int high = HexValue(hex[2 * i]);
        const int low = HexValue(hex[2 * i + 1]);
        valid = high >= 0 && low >= 0;
        digest[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    if (!valid) {
        throw ScriptFailure(
            "The checksum is not valid: after \"sha256=\" there must be exactly 64 hexadecimal "
            "digits.");
    }
    return digest;
}

std::optional<Sha256Digest> TakePinField(std::string& rest) {
    if (rest.empty()) {
        return std::nullopt;
    }
    RemoveFieldSeparator(rest);
    std::string field;
    NextField(rest, field);
    return ParsePinField(field);
}

void RequirePinWhenKeyed(const std::vector<P256PublicKey>& trustedKeys,
                         const std::optional<Sha256Digest>& pin) {
    if (!pin && !trustedKeys.empty()) {
        throw ScriptFailure(
            "The file has no checksum: with a publisher's key configured, every downloaded file "
            "needs a \"sha256=\" field.");
    }
}
