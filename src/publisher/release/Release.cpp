#include "publisher/release/Release.h"

#include <filesystem>
#include <ostream>
#include <stdexcept>

#include "core/script/PinField.h"
#include "publisher/common/AtomicWrite.h"
#include "publisher/common/CommandLine.h"
#include "publisher/common/ToolFiles.h"
#include "publisher/keys/FeedSigning.h"
#include "publisher/release/ReleaseFeed.h"
#include "publisher/release/ReleasePins.h"

namespace {

constexpr char kDefaultExpiryDays[] = "30";

// What a release is asked to do, its options checked.
struct ReleaseRequest {
    std::string keyPath;
    std::string feedPath;
    std::string feedUrl;
    std::string version;
    std::string description;
    std::string scriptPath;
    std::string scriptUrl;
    std::vector<UrlMapping> map;
    std::string expires;
};

ReleaseRequest RequestOf(const CommandLine& line, Clock& clock) {
    if (!line.operands.empty())
        throw UsageError("release takes options only, not " + line.operands.front());
    ReleaseRequest request;
    request.keyPath = line.One("--key");
    request.feedPath = line.One("--feed");
    request.feedUrl = line.One("--url");
    request.version = line.One("--version");
    request.description = line.One("--description");
    request.scriptPath = line.One("--script");
    request.scriptUrl = line.One("--script-url");
    CheckReleaseVersion(request.version);
    CheckOneField("--description", request.description);
    CheckOneField("--script-url", request.scriptUrl);
    for (auto [at, end] = line.options.equal_range("--map"); at != end; ++at)
        request.map.push_back(ParseUrlMapping(at->second));
    request.expires = ExpiryOf(line.OneOr("--expires", kDefaultExpiryDays), clock);
    return request;
}

// A --script-url that a --map covers must name SCRIPT itself: the pin is of SCRIPT's bytes.
void CheckScriptIsServedThere(const ReleaseRequest& request) {
    const std::optional<std::string> served = LocalFileOf(request.map, request.scriptUrl);
    std::error_code error;
    if (served &&
        (served->empty() || !std::filesystem::equivalent(*served, request.scriptPath, error))) {
        throw std::runtime_error("--script-url " + request.scriptUrl + " is served from " +
                                 *served + " (by --map), not from " + request.scriptPath);
    }
}

void ReportPins(const ReleaseRequest& request, const PinnedScript& pinned, std::ostream& out) {
    for (const ScriptPin& pin : pinned.pins) {
        out << request.scriptPath << ":" << pin.lineNumber << ": ";
        if (!pin.changed)
            out << "pin kept, " << pin.file << "\n";
        else if (pin.oldPin.empty())
            out << "pinned " << pin.newPin << ", " << pin.file << "\n";
        else
            out << "pin replaced: was " << pin.oldPin << ", now " << pin.newPin << ", " << pin.file
                << "\n";
    }
}

}  // namespace

// release --key KEYFILE --feed FEED --url FEED_URL --version V --description TEXT
//         --script SCRIPT --script-url SCRIPT_URL [--map URL-PREFIX=DIR]... [--expires DAYS|DATE]
int RunRelease(const CommandLine& line, Crypto& crypto, P256Signer& signer, Clock& clock,
               ToolFileSystem& files, std::ostream& out) {
    const ReleaseRequest request = RequestOf(line, clock);
    const P256KeyPair key = ReadSigningKey(request.keyPath);
    const std::string script = ReadFile(request.scriptPath);
    CheckScriptIsServedThere(request);
    const PinnedScript pinned =
        PinScript(script, request.scriptPath, request.map,
                  [&crypto](const std::string& path) { return Sha256OfFile(crypto, path); });
    const std::string cmvLine = "CMV " + request.version + ";" + request.description + ";" +
                                request.scriptUrl + ";" +
                                FormatPinField(Sha256Of(crypto, pinned.text));

    const bool feedExists = std::filesystem::exists(request.feedPath);
    std::vector<std::string> warnings;
    const std::string feed =
        AppendVersionLine(feedExists ? ReadFile(request.feedPath) : std::string(), request.feedPath,
                          request.version, cmvLine, warnings);
    const std::string signature =
        SignFeed(crypto, signer, clock, key, request.feedUrl, request.expires, feed);

    // Every check has passed: the script first, as the feed's pin vouches for it.
    if (pinned.text != script)
        WriteAtomically(files, request.scriptPath, pinned.text);
    WriteAtomically(files, request.feedPath, feed);
    WriteAtomically(files, request.feedPath + ".sig", signature);

    ReportPins(request, pinned, out);
    for (const std::string& warning : warnings) out << "warning: " << warning << "\n";
    out << (pinned.text != script ? "Wrote " : "Kept ") << request.scriptPath << "\n"
        << (feedExists ? "Appended to " : "Created ") << request.feedPath << ": " << cmvLine << "\n"
        << "Wrote " << request.feedPath << ".sig for " << request.feedUrl << ", expires "
        << request.expires << "\n";
    return kExitOk;
}
