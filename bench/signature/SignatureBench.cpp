// The check of a 1 MiB update information file's signature (VerifyFeedSignature: hash of the
// signed message, ECDSA P-256 verification) with this build's backend: OpenSSL natively, CNG
// under Wine. Baseline in the same run: SHA-256 of the same 1 MiB alone. Prints key=value lines.

#include <chrono>
#include <cstdio>
#include <string>

#include "core/crypto/FeedSignature.h"
#include "core/crypto/SignatureFile.h"

#ifdef _WIN32
#include "windows/crypto/CngCrypto.h"
#else
#include "posix/crypto/OpenSslCrypto.h"
#endif

namespace {

constexpr int kRounds = 50;
constexpr const char* kUrl = "http://updates.example/app/update.txt";

class FixedClock final : public Clock {
public:
    std::string UtcNow() override { return "2026-01-01T00:00:00Z"; }
};

template <typename Work>
double MillisecondsPerRound(Work work) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRounds; ++i) work();
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;
    return elapsed.count() / kRounds;
}

}  // namespace

int main() {
#ifdef _WIN32
    CngCrypto crypto;
    CngSigner signer;
#else
    OpenSslCrypto crypto;
    OpenSslCrypto& signer = crypto;
#endif
    FixedClock clock;
    std::string feed;
    while (feed.size() < (1u << 20))
        feed += "DWN http://updates.example/app/files/file.bin \\file.bin\r\n";
    feed.resize(1u << 20);

    const P256KeyPair key = signer.GenerateP256();
    const std::string expires = "2027-03-01T00:00:00Z";
    auto hasher = crypto.NewSha256();
    hasher->Update(SignedMessage(kUrl, "expires " + expires, feed));
    const std::string signatureFile =
        FormatSignatureFile(expires, signer.SignP256(key, hasher->Finish()));

    bool allOk = true;
    const double check = MillisecondsPerRound([&] {
        allOk &= VerifyFeedSignature(crypto, clock, {key.publicKey}, kUrl, feed, signatureFile).ok;
    });
    const double hashOnly = MillisecondsPerRound([&] {
        auto h = crypto.NewSha256();
        h->Update(feed);
        h->Finish();
    });
    std::printf("verified=%d\ncheck_ms=%.3f\nhash_ms=%.3f\n", allOk ? 1 : 0, check, hashOnly);
    return allOk ? 0 : 1;
}
