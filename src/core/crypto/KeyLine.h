#pragma once
// The argument of the configuration file's KEY line: the base64 of a P-256 public key's DER
// SubjectPublicKeyInfo, as `openssl pkey -in key.pem -pubout -outform DER | base64 -w0` prints.

#include <optional>
#include <string>
#include <string_view>

#include "core/seam/Crypto.h"

inline constexpr std::string_view kKeyCommand = "KEY";

// The key that `argument` names, or nothing with `reason` (a sentence fragment for the command
// error, e.g. "the key is not base64"). Spaces and tabs around the text are ignored.
std::optional<P256PublicKey> ParseKeyLine(std::string_view argument, std::string& reason);

// The whole configuration line "KEY <base64>" that trusts `key`.
std::string FormatKeyLine(const P256PublicKey& key);
