// verify: a feed and its signature file checked as the updater checks them.

#include "publisher/keys/KeyCommands.h"

#include <optional>
#include <ostream>
#include <stdexcept>
#include <vector>

#include "core/crypto/FeedSignature.h"
#include "core/crypto/KeyLine.h"
#include "publisher/common/ToolFiles.h"

// verify --key-line "KEY ..." [--key-line ...] --url URL FEED
int RunVerify(const CommandLine& line, Crypto& crypto, Clock& clock, std::ostream& out,
              std::ostream& err) {
    if (line.operands.size() != 1)
        throw UsageError("verify needs one FEED");
    std::vector<P256PublicKey> keys;
    for (auto [at, end] = line.options.equal_range("--key-line"); at != end; ++at) {
        std::string_view text = at->second;
        if (text.starts_with("KEY "))
            text.remove_prefix(4);
        std::string reason;
        const std::optional<P256PublicKey> key = ParseKeyLine(text, reason);
        if (!key)
            throw UsageError("--key-line: " + reason);
        keys.push_back(*key);
    }
    if (keys.empty())
        throw UsageError("give at least one --key-line");
    const std::string& url = line.One("--url");
    const std::string& feedPath = line.operands[0];
    const std::string feed = ReadFile(feedPath);
    std::string signatureFile;
    try {
        signatureFile = ReadFile(feedPath + ".sig");
    } catch (const std::runtime_error&) {
        err << "Refused: " << feedPath << ".sig cannot be read\n";
        return kExitRefused;
    }
    const FeedVerdict verdict = VerifyFeedSignature(crypto, clock, keys, url, feed, signatureFile);
    if (!verdict.ok) {
        err << "Refused: " << verdict.reason << "\n";
        return kExitRefused;
    }
    out << "OK: " << feedPath << " is signed for " << url << "\n";
    return kExitOk;
}
