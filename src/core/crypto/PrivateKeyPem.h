#pragma once
// P-256 private key files as openssl writes them: PEM "PRIVATE KEY" (PKCS#8, `openssl genpkey`)
// or "EC PRIVATE KEY" (SEC1, `openssl ecparam -genkey`), unencrypted.

#include <optional>
#include <string>
#include <string_view>

#include "core/seam/P256Signer.h"

// The PKCS#8 PEM text of `key` (with its public point, as openssl writes it).
std::string EncodePrivateKeyPem(const P256KeyPair& key);

// The DER PKCS#8 PrivateKeyInfo of `key` (what the PEM text holds).
std::string EncodePrivateKeyDer(const P256KeyPair& key);

// The key pair in a PEM file's text, or nothing with `reason`: the first "PRIVATE KEY" or "EC
// PRIVATE KEY" block is read; another curve, an encrypted key or a key without its public point
// is refused.
std::optional<P256KeyPair> ParsePrivateKeyPem(std::string_view text, std::string& reason);
