#pragma once
// The pin field of script lines, the optional field after a line's last required one: "sha256="
// and the 64 hex digits of the SHA-256 that the file the line downloads must have.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/script/ScriptFields.h"
#include "core/seam/Crypto.h"

inline constexpr std::string_view kSha256PinPrefix = "sha256=";

// True when a script field is meant as a pin: it starts with "sha256=" in either case, with or
// without a key configured, so a pin that is written is always checked.
bool IsSha256PinField(std::string_view field);

// The digest of a pin field "sha256=<64 hex digits>", or nothing when the field is not exactly
// that (a field for which IsSha256PinField holds but this fails is a command error).
std::optional<Sha256Digest> ParseSha256PinField(std::string_view field);

// The pin field of `digest`: "sha256=" and its 64 lower-case hex digits.
std::string FormatPinField(const Sha256Digest& digest);

// The digest of a pin field (hex digits in either case). Nothing for a field that does not
// start with "sha256=", which today's grammar ignores. Throws ScriptFailure for one that does
// but is not followed by exactly 64 hex digits.
std::optional<Sha256Digest> ParsePinField(std::string_view field);

// The pin in field `index` of a line, the one after its last required field: nothing when the
// line ends before it or it is no pin; throws as ParsePinField. Later fields are ignored.
std::optional<Sha256Digest> TakePinField(const ArgumentFields& fields, std::size_t index);

// Throws ScriptFailure when `pin` is missing although the publisher's keys require one.
void RequirePinWhenKeyed(const std::vector<P256PublicKey>& trustedKeys,
                         const std::optional<Sha256Digest>& pin);
