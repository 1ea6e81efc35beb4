// TEMPORARY minimal version: accepts only the fixed 91-byte DER form of an uncompressed P-256
// SubjectPublicKeyInfo. The core's full DER parser replaces this file.

#include "core/crypto/KeyLine.h"

#include <algorithm>

#include "core/crypto/TemporaryMinimalBase64.h"

std::optional<P256PublicKey> ParseKeyLine(std::string_view argument, std::string& reason) {
    static constexpr unsigned char kPrefix[] = {
        0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2a, 0x86, 0x48, 0xce, 0x3d, 0x02, 0x01, 0x06,
        0x08, 0x2a, 0x86, 0x48, 0xce, 0x3d, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00, 0x04};
    const std::optional<std::string> der = TemporaryDecodeBase64(argument);
    if (!der) {
        reason = "the key is not base64";
        return std::nullopt;
    }
    if (der->size() != sizeof(kPrefix) + 64 ||
        !std::equal(std::begin(kPrefix), std::end(kPrefix), der->begin(),
                    [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); })) {
        reason = "the key is not an ECDSA P-256 public key";
        return std::nullopt;
    }
    P256PublicKey key;
    std::copy(der->begin() + sizeof(kPrefix), der->end(), key.begin());
    return key;
}
