// The P-256 SubjectPublicKeyInfo: a fixed 27-byte header, then the point's X and Y.

#include "core/crypto/P256KeyDer.h"

#include <algorithm>

namespace {

// SEQUENCE(89) { SEQUENCE(19) { OID id-ecPublicKey, OID prime256v1 }, BIT STRING(66) 0 unused }
constexpr unsigned char kHeader[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2A, 0x86, 0x48,
                                     0xCE, 0x3D, 0x02, 0x01, 0x06, 0x08, 0x2A, 0x86, 0x48,
                                     0xCE, 0x3D, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00};
constexpr std::size_t kHeaderSize = sizeof(kHeader);
constexpr std::size_t kAlgorithmEnd = 23;  // the end of the algorithm identifier in kHeader
constexpr unsigned char kUncompressedPoint = 0x04;
constexpr std::size_t kDerSize = kHeaderSize + 1 + 64;

bool HeaderMatches(std::string_view der, std::size_t from, std::size_t to) {
    if (der.size() < to)
        return false;
    for (std::size_t i = from; i < to; ++i) {
        if (static_cast<unsigned char>(der[i]) != kHeader[i])
            return false;
    }
    return true;
}

}  // namespace

std::string EncodeP256PublicKeyDer(const P256PublicKey& key) {
    std::string der(reinterpret_cast<const char*>(kHeader), kHeaderSize);
    der += static_cast<char>(kUncompressedPoint);
    der.append(reinterpret_cast<const char*>(key.data()), key.size());
    return der;
}

std::optional<P256PublicKey> ParseP256PublicKeyDer(std::string_view der, std::string& reason) {
    if (!HeaderMatches(der, 0, 4)) {
        reason = "it is not the DER of a P-256 public key (SubjectPublicKeyInfo)";
        return std::nullopt;
    }
    if (!HeaderMatches(der, 4, kAlgorithmEnd)) {
        reason = "it is not an ECDSA key on the P-256 curve (prime256v1)";
        return std::nullopt;
    }
    if (!HeaderMatches(der, kAlgorithmEnd, kHeaderSize) || der.size() != kDerSize) {
        reason = "its point is not 65 bytes long, or extra bytes follow it";
        return std::nullopt;
    }
    if (static_cast<unsigned char>(der[kHeaderSize]) != kUncompressedPoint) {
        reason = "its point is not in uncompressed form";
        return std::nullopt;
    }
    P256PublicKey key{};
    std::copy_n(der.begin() + kHeaderSize + 1, key.size(), key.begin());
    return key;
}
