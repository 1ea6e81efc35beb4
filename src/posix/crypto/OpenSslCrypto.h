#pragma once
// The crypto seam and the signing extension over OpenSSL 3's libcrypto (EVP), for the native
// Linux build of the publisher's tool and the native backend tests.

#include "core/seam/Clock.h"
#include "core/seam/Crypto.h"
#include "core/seam/P256Signer.h"

class OpenSslCrypto final : public Crypto, public P256Signer {
public:
    std::unique_ptr<Sha256Hasher> NewSha256() override;
    bool IsP256PublicKey(const P256PublicKey& key) override;
    bool VerifyP256(const P256PublicKey& key, const Sha256Digest& digest,
                    const P256Signature& signature) override;
    P256KeyPair GenerateP256() override;
    P256Signature SignP256(const P256KeyPair& key, const Sha256Digest& digest) override;
};

// The system clock in UTC.
class PosixClock final : public Clock {
public:
    std::string UtcNow() override;
};
