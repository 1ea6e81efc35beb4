#pragma once
// The optional pin of a CMV or DWN line: "sha256=" and the 64 hex digits of the SHA-256 that
// the downloaded file must have.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/seam/Crypto.h"

// The digest of a pin field (hex digits in either case). Nothing for a field that does not
// start with "sha256=", which today's grammar ignores. Throws ScriptFailure for one that does
// but is not followed by exactly 64 hex digits.
std::optional<Sha256Digest> ParsePinField(std::string_view field);

// The pin in the field after a line's last required one: `rest` is what follows that field
// (empty, or starting with its ";"). Nothing when there is no such field or it is no pin;
// throws as ParsePinField. Later fields are ignored.
std::optional<Sha256Digest> TakePinField(std::string& rest);

// Throws ScriptFailure when `pin` is missing although the publisher's keys require one.
void RequirePinWhenKeyed(const std::vector<P256PublicKey>& trustedKeys,
                         const std::optional<Sha256Digest>& pin);
