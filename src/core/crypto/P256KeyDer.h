#pragma once
// The DER SubjectPublicKeyInfo of an ECDSA P-256 public key (id-ecPublicKey, prime256v1, an
// uncompressed point): what `openssl pkey -pubout -outform DER` writes.

#include <optional>
#include <string>
#include <string_view>

#include "core/seam/Crypto.h"

// The 91 DER bytes of `key`.
std::string EncodeP256PublicKeyDer(const P256PublicKey& key);

// The key that `der` holds, or nothing with `reason` saying why: only that exact structure is
// accepted (DER has one encoding of it), so another curve, another algorithm, a compressed point
// or trailing bytes are refused. Whether the point is on the curve is the backend's check.
std::optional<P256PublicKey> ParseP256PublicKeyDer(std::string_view der, std::string& reason);
