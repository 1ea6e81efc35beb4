#pragma once
// Signing the update information file, shared by sign and release: the expiry, the key file
// and the signature file.

#include <string>

#include "core/seam/Clock.h"
#include "core/seam/Crypto.h"
#include "core/seam/P256Signer.h"

// The expiry that --expires names: a number of days from now, or a date (at midnight UTC), or
// a full UTC time, as "YYYY-MM-DDTHH:MM:SSZ". Throws UsageError for anything else.
std::string ExpiryOf(const std::string& text, Clock& clock);

// The key in the PEM file at `path`. Throws std::runtime_error naming the file and the reason.
P256KeyPair ReadSigningKey(const std::string& path);

// The signature file (FEED.sig) of `feed` as served at `url`, expiring at `expires`. Throws
// std::runtime_error when the expiry has passed or the key's public point does not belong to
// its private key.
std::string SignFeed(Crypto& crypto, P256Signer& signer, Clock& clock, const P256KeyPair& key,
                     const std::string& url, const std::string& expires, const std::string& feed);
