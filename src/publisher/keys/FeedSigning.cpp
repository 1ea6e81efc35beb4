#include "publisher/keys/FeedSigning.h"

#include <optional>
#include <stdexcept>

#include "core/crypto/PrivateKeyPem.h"
#include "core/crypto/SignatureFile.h"
#include "core/crypto/UtcTimestamp.h"
#include "publisher/common/CommandLine.h"
#include "publisher/common/ToolFiles.h"

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kMostDays = 36500;

}  // namespace

std::string ExpiryOf(const std::string& text, Clock& clock) {
    if (!text.empty() && text.size() <= 5 &&
        text.find_first_not_of("0123456789") == std::string::npos) {
        const std::int64_t days = std::stoll(text);
        const std::optional<std::int64_t> now = ParseUtcTimestamp(clock.UtcNow());
        if (days < 1 || days > kMostDays || !now) {
            throw UsageError("--expires takes 1 to 36500 days");
        }
        return FormatUtcTimestamp(*now + days * kSecondsPerDay);
    }
    const std::string full = text.size() == 10 ? text + "T00:00:00Z" : text;
    if (!ParseUtcTimestamp(full)) {
        throw UsageError("--expires takes DAYS, YYYY-MM-DD or YYYY-MM-DDTHH:MM:SSZ, not " + text);
    }
    return full;
}

P256KeyPair ReadSigningKey(const std::string& path) {
    std::string reason;
    const std::optional<P256KeyPair> key = ParsePrivateKeyPem(ReadFile(path), reason);
    if (!key)
        throw std::runtime_error(path + ": " + reason);
    return *key;
}

std::string SignFeed(Crypto& crypto, P256Signer& signer, Clock& clock, const P256KeyPair& key,
                     const std::string& url, const std::string& expires, const std::string& feed) {
    if (!(clock.UtcNow() < expires))
        throw std::runtime_error("the expiry " + expires + " has passed");
    const Sha256Digest digest = Sha256Of(crypto, SignedMessage(url, "expires " + expires, feed));
    const P256Signature signature = signer.SignP256(key, digest);
    // A key file whose public point is not its private key's would sign what no one verifies.
    if (!crypto.VerifyP256(key.publicKey, digest, signature)) {
        throw std::runtime_error("the key file's public key does not belong to its private key");
    }
    return FormatSignatureFile(expires, signature);
}
