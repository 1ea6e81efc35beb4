// Feed verification: the signature file's shape, then the signature, then the expiry.

#include "core/crypto/FeedSignature.h"

#include <exception>

#include "core/crypto/SignatureFile.h"

namespace {

Sha256Digest DigestOfSignedMessage(Crypto& crypto, const std::string& url,
                                   std::string_view expiresLine, std::string_view feed) {
    // The feed can be large: hash the parts rather than copying them into one message.
    const std::string header = SignedMessage(url, expiresLine, {});
    std::unique_ptr<Sha256Hasher> hasher = crypto.NewSha256();
    hasher->Update(header);
    hasher->Update(feed);
    return hasher->Finish();
}

}  // namespace

FeedVerdict VerifyFeedSignature(Crypto& crypto, Clock& clock,
                                const std::vector<P256PublicKey>& keys, const std::string& url,
                                std::string_view feed, std::string_view signatureFile) {
    std::string reason;
    const std::optional<SignatureFile> file = ParseSignatureFile(signatureFile, reason);
    if (!file)
        return {false, reason};
    try {
        const Sha256Digest digest = DigestOfSignedMessage(crypto, url, file->expiresLine, feed);
        bool verified = false;
        for (const P256PublicKey& key : keys) {
            if (crypto.VerifyP256(key, digest, file->signature)) {
                verified = true;
                break;
            }
        }
        if (!verified) {
            return {false,
                    "the signature does not verify with any trusted key (the file, its URL or "
                    "its expiry was changed, or it was signed with a key that is not trusted)"};
        }
        // Both texts are fixed-width UTC times, so they compare as the times do.
        if (!(clock.UtcNow() < file->expires)) {
            return {false, "the signature expired on " + file->expires};
        }
    } catch (const std::exception& error) {
        return {false, std::string("the signature could not be checked: ") + error.what()};
    }
    return {true, {}};
}
