#pragma once
// The check of an update information file against its signature file and the trusted keys.

#include <string>
#include <string_view>
#include <vector>

#include "core/seam/Clock.h"
#include "core/seam/Crypto.h"

struct FeedVerdict {
    bool ok;
    std::string reason;  // why it is refused, for the log; empty when ok
};

// Whether `signatureFile` (the text of the feed's ".sig") is a valid signature of `feed` fetched
// from `url` by any of `keys`, and its expiry is still ahead of `clock`'s time. Never throws: a
// malformed file, a signature no key verifies, an expired one or a failing hasher are refusals.
FeedVerdict VerifyFeedSignature(Crypto& crypto, Clock& clock,
                                const std::vector<P256PublicKey>& keys, const std::string& url,
                                std::string_view feed, std::string_view signatureFile);
