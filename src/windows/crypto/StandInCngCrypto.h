#pragma once
// TEMPORARY stand-in for the CNG backend of the Crypto seam, so that the updater links and its
// signed chain runs end to end; the full backend in this folder replaces this file.

#include "core/seam/Crypto.h"

// SHA-256 and ECDSA P-256 verification with bcrypt.dll.
class StandInCngCrypto final : public Crypto {
public:
    std::unique_ptr<Sha256Hasher> NewSha256() override;
    bool VerifyP256(const P256PublicKey& key, const Sha256Digest& digest,
                    const P256Signature& signature) override;
};
