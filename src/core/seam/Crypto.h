#pragma once
// The cryptography the updater needs from the system: SHA-256 and ECDSA P-256 verification.
// Windows implements it with CNG (bcrypt), the publisher's tool on Linux with OpenSSL's
// libcrypto (src/posix/crypto/); the unit tests with a fake.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

using Sha256Digest = std::array<std::uint8_t, 32>;
// A P-256 public key as its affine point: X then Y, 32 bytes each, big-endian.
using P256PublicKey = std::array<std::uint8_t, 64>;
// An ECDSA P-256 signature as r then s, 32 bytes each, big-endian.
using P256Signature = std::array<std::uint8_t, 64>;

// SHA-256 over bytes given in pieces, in order.
class Sha256Hasher {
public:
    virtual ~Sha256Hasher() = default;
    virtual void Update(std::string_view bytes) = 0;
    // The digest of everything given so far; the hasher is not used afterwards.
    virtual Sha256Digest Finish() = 0;
};

class Crypto {
public:
    virtual ~Crypto() = default;

    // A new hasher. Throws (a std::exception with the system's description) when the system
    // cannot provide one.
    virtual std::unique_ptr<Sha256Hasher> NewSha256() = 0;

    // True when `key` is a point of the P-256 curve, so that it can verify signatures at all.
    // Never throws.
    virtual bool IsP256PublicKey(const P256PublicKey& key) = 0;

    // True when `signature` is a valid ECDSA P-256 signature of `digest` by `key`. False for a
    // point that is not on the curve, a signature out of range, or a mismatch. Never throws.
    virtual bool VerifyP256(const P256PublicKey& key, const Sha256Digest& digest,
                            const P256Signature& signature) = 0;
};

// The SHA-256 of `bytes` held whole in memory. Throws as NewSha256 does.
inline Sha256Digest Sha256Of(Crypto& crypto, std::string_view bytes) {
    const std::unique_ptr<Sha256Hasher> hasher = crypto.NewSha256();
    hasher->Update(bytes);
    return hasher->Finish();
}
