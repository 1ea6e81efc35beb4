#pragma once
// The argument of a KEY line: a publisher's P-256 public key.

#include <optional>
#include <string>
#include <string_view>

#include "core/seam/Crypto.h"

// The key in `argument`, the base64 of a DER SubjectPublicKeyInfo of a P-256 key (what
// `openssl pkey -pubout -outform DER | base64 -w0` prints). Nothing, with `reason` set, for any
// other text.
std::optional<P256PublicKey> ParseKeyLine(std::string_view argument, std::string& reason);
