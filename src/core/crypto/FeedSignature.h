#pragma once
// The signature of an update information file: verified before a line of the file runs.

#include <string>
#include <string_view>
#include <vector>

#include "core/seam/Crypto.h"

struct FeedVerdict {
    bool ok;
    std::string reason;  // why it was refused, for the log; empty when ok
};

// Checks `signatureFile` (its "expires" and "signature" lines) against `feed` as downloaded
// from `url`: ok when one of `keys` verifies the signature and the expiry has not passed by
// `clock`. Never throws for any content of the two texts.
FeedVerdict VerifyFeedSignature(Crypto& crypto, Clock& clock,
                                const std::vector<P256PublicKey>& keys, const std::string& url,
                                std::string_view feed, std::string_view signatureFile);
