#pragma once
// What the publisher's tool needs beyond the updater's crypto: new P-256 keys and signatures.
// Implemented with CNG on Windows and OpenSSL's libcrypto on Linux.

#include <array>
#include <cstdint>

#include "core/seam/Crypto.h"

// A P-256 key pair: the private scalar d (32 bytes, big-endian) and its public point.
struct P256KeyPair {
    std::array<std::uint8_t, 32> privateScalar;
    P256PublicKey publicKey;
};

class P256Signer {
public:
    virtual ~P256Signer() = default;

    // A new key pair from the system's random source. Throws on failure.
    virtual P256KeyPair GenerateP256() = 0;

    // The ECDSA signature of `digest` by `key`. Throws on failure (a key the system refuses).
    virtual P256Signature SignP256(const P256KeyPair& key, const Sha256Digest& digest) = 0;
};
