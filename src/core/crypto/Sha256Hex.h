#pragma once
// SHA-256 digests as hex text, the encoding of the pins of script lines (core/script/PinField.h).

#include <optional>
#include <string>
#include <string_view>

#include "core/seam/Crypto.h"

// The digest in 64 lower-case hex digits.
std::string Sha256Hex(const Sha256Digest& digest);

// The digest that 64 hex digits (either case) spell, or nothing.
std::optional<Sha256Digest> ParseSha256Hex(std::string_view hex);
