#pragma once
// The crypto seam over CNG (bcrypt.dll, delay-loaded from System32): SHA-256, ECDSA P-256
// verification, and for the publisher's tool key generation and signing.

#include <windows.h>
#include <bcrypt.h>

#include "core/seam/Crypto.h"
#include "core/seam/P256Signer.h"
#include "windows/win32/ScopedHandles.h"

class CngCrypto final : public Crypto {
public:
    // The providers are opened at first use, so that a system without them fails the calls
    // that need them (NewSha256 throws, VerifyP256 answers false), never the program's start.
    std::unique_ptr<Sha256Hasher> NewSha256() override;
    bool IsP256PublicKey(const P256PublicKey& key) override;
    bool VerifyP256(const P256PublicKey& key, const Sha256Digest& digest,
                    const P256Signature& signature) override;

private:
    AlgorithmHandle sha256_;
    AlgorithmHandle ecdsa_;
};

class CngSigner final : public P256Signer {
public:
    // Opens the ECDSA P-256 provider. Throws when bcrypt cannot provide it.
    CngSigner();

    P256KeyPair GenerateP256() override;
    P256Signature SignP256(const P256KeyPair& key, const Sha256Digest& digest) override;

private:
    AlgorithmHandle ecdsa_;
};
