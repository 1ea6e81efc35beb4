#pragma once
// Base64 (RFC 4648, the standard alphabet with padding), as `base64 -w0` and openssl write it.

#include <optional>
#include <string>
#include <string_view>

// The base64 text of `bytes`, padded, on one line.
std::string EncodeBase64(std::string_view bytes);

// The bytes that `text` encodes, or nothing when it is not canonical base64: only the alphabet,
// a length that is a multiple of 4, at most two '=' and only at the end, and zero in the unused
// bits of the last character (so each byte string has exactly one text). No whitespace.
std::optional<std::string> DecodeBase64(std::string_view text);
