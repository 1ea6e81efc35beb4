#pragma once
// SHA-256 digests as hex text, and the pin field "sha256=<64 hex digits>" of CMV and DWN lines.

#include <optional>
#include <string>
#include <string_view>

#include "core/seam/Crypto.h"

inline constexpr std::string_view kSha256PinPrefix = "sha256=";

// The digest in 64 lower-case hex digits.
std::string Sha256Hex(const Sha256Digest& digest);

// The digest that 64 hex digits (either case) spell, or nothing.
std::optional<Sha256Digest> ParseSha256Hex(std::string_view hex);

// True when a script field is meant as a pin: it starts with "sha256=" in either case, with or
// without a key configured, so a pin that is written is always checked.
bool IsSha256PinField(std::string_view field);

// The digest of a pin field "sha256=<64 hex digits>", or nothing when the field is not exactly
// that (a field for which IsSha256PinField holds but this fails is a command error).
std::optional<Sha256Digest> ParseSha256PinField(std::string_view field);
