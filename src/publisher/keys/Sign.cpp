// sign: the update information file's signature file.

#include "publisher/keys/KeyCommands.h"

#include <ostream>

#include "publisher/common/AtomicWrite.h"
#include "publisher/common/ToolFiles.h"
#include "publisher/keys/FeedSigning.h"

// sign --key KEYFILE --url URL --expires DAYS|DATE FEED
int RunSign(const CommandLine& line, Crypto& crypto, P256Signer& signer, Clock& clock,
            ToolFileSystem& files, std::ostream& out) {
    if (line.operands.size() != 1)
        throw UsageError("sign needs one FEED");
    const std::string expires = ExpiryOf(line.One("--expires"), clock);
    const std::string& url = line.One("--url");
    const P256KeyPair key = ReadSigningKey(line.One("--key"));
    const std::string& feedPath = line.operands[0];
    const std::string feed = ReadFile(feedPath);
    WriteAtomically(files, feedPath + ".sig",
                    SignFeed(crypto, signer, clock, key, url, expires, feed));
    out << "Wrote " << feedPath << ".sig for " << url << ", expires " << expires << "\n";
    return kExitOk;
}
