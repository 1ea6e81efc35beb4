#pragma once
// The DER ECDSA-Sig-Value, SEQUENCE { INTEGER r, INTEGER s }: what `openssl dgst -sign` writes
// for an EC key.

#include <optional>
#include <string>
#include <string_view>

#include "core/seam/Crypto.h"

// The DER of `signature` (r and s as minimal positive INTEGERs).
std::string EncodeEcdsaSignatureDer(const P256Signature& signature);

// r || s from `der`, or nothing with `reason`: strict DER only (short lengths, minimal positive
// INTEGERs, r and s not zero and at most 32 bytes, no trailing bytes).
std::optional<P256Signature> ParseEcdsaSignatureDer(std::string_view der, std::string& reason);
