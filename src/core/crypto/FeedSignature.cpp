// TEMPORARY minimal version: the signature file as exactly two LF-ended lines and the DER
// signature only in its fixed 70-byte form (r and s of 32 bytes, high bit clear). The core's
// full parsers replace this file.

#include "core/crypto/FeedSignature.h"

#include <algorithm>
#include <optional>

#include "core/crypto/TemporaryMinimalBase64.h"

namespace {

std::optional<P256Signature> FixedFormSignature(std::string_view base64) {
    const std::optional<std::string> der = TemporaryDecodeBase64(base64);
    if (!der || der->size() != 70 || der->substr(0, 4) != "\x30\x44\x02\x20" ||
        der->substr(36, 2) != "\x02\x20") {
        return std::nullopt;
    }
    P256Signature signature;
    std::copy(der->begin() + 4, der->begin() + 36, signature.begin());
    std::copy(der->begin() + 38, der->end(), signature.begin() + 32);
    return signature;
}

}  // namespace

FeedVerdict VerifyFeedSignature(Crypto& crypto, Clock& clock,
                                const std::vector<P256PublicKey>& keys, const std::string& url,
                                std::string_view feed, std::string_view signatureFile) {
    const std::size_t firstEnd = signatureFile.find('\n');
    if (!signatureFile.starts_with("expires ") || firstEnd == std::string_view::npos) {
        return {false, "the signature file is malformed"};
    }
    const std::string_view expiresLine = signatureFile.substr(0, firstEnd);
    std::string_view second = signatureFile.substr(firstEnd + 1);
    if (second.ends_with('\n')) {
        second.remove_suffix(1);
    }
    if (!second.starts_with("signature ") || expiresLine.size() != 28) {
        return {false, "the signature file is malformed"};
    }
    const std::optional<P256Signature> signature = FixedFormSignature(second.substr(10));
    if (!signature) {
        return {false, "the signature file is malformed"};
    }
    try {
        const std::unique_ptr<Sha256Hasher> hasher = crypto.NewSha256();
        hasher->Update("quillmere-feed-v1\n");
        hasher->Update(url);
        hasher->Update("\n");
        hasher->Update(expiresLine);
        hasher->Update("\n");
        hasher->Update(feed);
        const Sha256Digest digest = hasher->Finish();
        if (std::none_of(keys.begin(), keys.end(), [&](const P256PublicKey& key) {
                return crypto.VerifyP256(key, digest, *signature);
            })) {
            return {false, "the signature does not verify with any trusted key"};
        }
    } catch (const std::exception& failure) {
        return {false, failure.what()};
    }
    if (std::string(expiresLine.substr(8)) <= clock.UtcNow()) {
        return {false, "the signature has expired"};
    }
    return {true, {}};
}
