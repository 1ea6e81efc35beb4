// Every parser of signed updates on the same input: base64, the key's and the signature's DER,
// UTC times, pins, the KEY line, the signature file, private key PEM files, and the whole feed
// check over a stand-in crypto. Properties: no crash, and each accepted text is the one its
// encoder writes (strict parsers have one text per value).

#include <cstdint>
#include <string>

#include "core/crypto/Base64.h"
#include "core/crypto/EcdsaSignatureDer.h"
#include "core/crypto/FeedSignature.h"
#include "core/crypto/KeyLine.h"
#include "core/crypto/P256KeyDer.h"
#include "core/crypto/PrivateKeyPem.h"
#include "core/crypto/Sha256Hex.h"
#include "core/crypto/SignatureFile.h"
#include "core/crypto/UtcTimestamp.h"
#include "core/script/PinField.h"
#include "fuzz/FuzzInput.h"

namespace {

// A hasher that folds the bytes, and a verification that accepts when r's first byte matches
// the digest's: enough to reach both outcomes of the feed check.
class FoldingHasher final : public Sha256Hasher {
public:
    void Update(std::string_view bytes) override {
        for (char c : bytes) digest_[index_++ % 32] ^= static_cast<std::uint8_t>(c);
    }
    Sha256Digest Finish() override { return digest_; }

private:
    Sha256Digest digest_{};
    std::size_t index_ = 0;
};

class StandInCrypto final : public Crypto {
public:
    std::unique_ptr<Sha256Hasher> NewSha256() override { return std::make_unique<FoldingHasher>(); }
    bool IsP256PublicKey(const P256PublicKey&) override { return true; }
    bool VerifyP256(const P256PublicKey&, const Sha256Digest& digest,
                    const P256Signature& signature) override {
        return signature[0] == digest[0];
    }
};

class StandInClock final : public Clock {
public:
    std::string UtcNow() override { return "2026-06-15T12:00:00Z"; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string reason;

    if (const auto bytes = DecodeBase64(input))
        FUZZ_CHECK(EncodeBase64(*bytes) == input);
    if (const auto key = ParseP256PublicKeyDer(input, reason)) {
        FUZZ_CHECK(EncodeP256PublicKeyDer(*key) == input);
    }
    if (const auto signature = ParseEcdsaSignatureDer(input, reason)) {
        FUZZ_CHECK(EncodeEcdsaSignatureDer(*signature) == input);
    } else {
        FUZZ_CHECK(!reason.empty());
    }
    if (const auto seconds = ParseUtcTimestamp(input)) {
        FUZZ_CHECK(FormatUtcTimestamp(*seconds) == input);
    }
    if (const auto digest = ParseSha256PinField(input)) {
        FUZZ_CHECK(IsSha256PinField(input) && Sha256Hex(*digest).size() == 64);
    }
    if (const auto key = ParseKeyLine(input, reason)) {
        FUZZ_CHECK(FormatKeyLine(*key).size() == 4 + 124);
    }
    if (const auto file = ParseSignatureFile(input, reason)) {
        FUZZ_CHECK(file->expiresLine == "expires " + file->expires);
    } else {
        FUZZ_CHECK(!reason.empty());
    }
    if (const auto key = ParsePrivateKeyPem(input, reason)) {
        std::string again;
        FUZZ_CHECK(ParsePrivateKeyPem(EncodePrivateKeyPem(*key), again).has_value());
    }

    // The feed check: the input's first part is the signature file, the rest the feed.
    const std::vector<std::string_view> parts = SplitAtNul(data, size);
    const std::string_view feed = parts.size() > 1 ? input.substr(parts[0].size() + 1) : "";
    StandInCrypto crypto;
    StandInClock clock;
    const FeedVerdict verdict =
        VerifyFeedSignature(crypto, clock, {P256PublicKey{}}, "http://h/u.txt", feed, parts[0]);
    FUZZ_CHECK(verdict.ok == verdict.reason.empty());
    return 0;
}
