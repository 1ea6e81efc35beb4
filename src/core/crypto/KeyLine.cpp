// KEY <base64 DER SubjectPublicKeyInfo>

#include "core/crypto/KeyLine.h"

#include "core/crypto/Base64.h"
#include "core/crypto/P256KeyDer.h"

std::optional<P256PublicKey> ParseKeyLine(std::string_view argument, std::string& reason) {
    const std::size_t first = argument.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        reason = "the key is missing";
        return std::nullopt;
    }
    argument = argument.substr(first, argument.find_last_not_of(" \t") - first + 1);
    const std::optional<std::string> der = DecodeBase64(argument);
    if (!der) {
        reason = "the key is not base64";
        return std::nullopt;
    }
    std::string why;
    std::optional<P256PublicKey> key = ParseP256PublicKeyDer(*der, why);
    if (!key)
        reason = "the key is not an ECDSA P-256 public key: " + why;
    return key;
}

std::string FormatKeyLine(const P256PublicKey& key) {
    return std::string(kKeyCommand) + " " + EncodeBase64(EncodeP256PublicKeyDer(key));
}
