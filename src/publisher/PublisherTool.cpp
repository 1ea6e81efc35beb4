// The publisher's tool: command-line parsing, the four commands and their files.

#include "publisher/PublisherTool.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <ostream>
#include <sstream>
#include <stdexcept>

#include "core/crypto/FeedSignature.h"
#include "core/crypto/KeyLine.h"
#include "core/crypto/Sha256Pin.h"
#include "core/crypto/SignatureFile.h"
#include "core/crypto/UtcTimestamp.h"
#include "publisher/LintCommand.h"
#include "publisher/PrivateKeyPem.h"

namespace {

constexpr std::string_view kUsage =
    "Usage: quillmere-publish COMMAND ...\n"
    "  keygen KEYFILE\n"
    "      Makes a new ECDSA P-256 key, writes it to KEYFILE (PKCS#8 PEM, never overwriting a\n"
    "      file) and prints the KEY line for the configuration file.\n"
    "  sign --key KEYFILE --url URL --expires DAYS|DATE FEED\n"
    "      Signs the update information file FEED as served at URL and writes FEED.sig; the\n"
    "      signature expires after DAYS days or at DATE (YYYY-MM-DD or YYYY-MM-DDTHH:MM:SSZ, "
    "UTC).\n"
    "  hash FILE...\n"
    "      Prints the pin sha256=<hex> of each file (followed by its name when there are "
    "several).\n"
    "  verify --key-line \"KEY ...\" [--key-line \"KEY ...\"]... --url URL FEED\n"
    "      Checks FEED and FEED.sig as the updater does, and says why they are refused.\n"
    "  lint [--kind config|version|feed|script] [--strict] [--format text|json]\n"
    "       [--key KEYFILE | --key-line \"KEY ...\"] [--app DIR] FILE...\n"
    "      Reports what the updater would do with each file: FILE:LINE:COLUMN: error|warning:\n"
    "      message [code]. The kind is guessed: a .cfg file is a configuration file; else one\n"
    "      with a CMV line is an update information file, one with MKD, RMD, ERD, DEL, EXE,\n"
    "      MSG or DWN an update script, one with ADR, LOC, TIT or KEY a configuration file,\n"
    "      one with VER lines only a version file. A key (--key, --key-line, or a KEY line in\n"
    "      a configuration file among the FILEs) makes a missing pin an error. --app DIR: the\n"
    "      program's folder, where EXE may find programs. Exit status 1 on an error (or a\n"
    "      warning with --strict).\n"
    "Exit status: 0 done, 1 refused, 2 wrong command line.\n";

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kMostDays = 36500;

// A command line that cannot be run: usage text, exit status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The options (--name value, each may repeat) and the remaining operands of a command.
struct CommandLine {
    std::multimap<std::string, std::string> options;
    std::vector<std::string> operands;

    // The value of an option given exactly once.
    const std::string& One(const std::string& name) const {
        if (options.count(name) != 1)
            throw UsageError("give " + name + " exactly once");
        return options.find(name)->second;
    }
};

CommandLine ParseCommandLine(const std::vector<std::string>& arguments,
                             const std::vector<std::string>& known) {
    CommandLine line;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!argument.starts_with("--")) {
            line.operands.push_back(argument);
        } else if (std::find(known.begin(), known.end(), argument) == known.end()) {
            throw UsageError("unknown option " + argument);
        } else if (i + 1 == arguments.size()) {
            throw UsageError(argument + " needs a value");
        } else {
            line.options.emplace(argument, arguments[++i]);
        }
    }
    return line;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file || !std::filesystem::is_regular_file(path)) {
        throw std::runtime_error("cannot read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !file.flush()) {
        throw std::runtime_error("cannot write " + path);
    }
}

// The expiry that --expires names: a number of days from now, or a date (at midnight UTC), or
// a full UTC time. Throws UsageError for anything else.
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

// keygen KEYFILE
int RunKeygen(const CommandLine& line, P256Signer& signer, std::ostream& out) {
    if (line.operands.size() != 1 || !line.options.empty())
        throw UsageError("keygen KEYFILE");
    const std::string& path = line.operands[0];
    if (std::filesystem::exists(path)) {
        throw std::runtime_error(path + " exists already; keygen never overwrites a key");
    }
    const P256KeyPair key = signer.GenerateP256();
    {
        std::ofstream create(path, std::ios::binary);  // empty, then private to its owner
        if (!create)
            throw std::runtime_error("cannot write " + path);
    }
    std::error_code ignored;  // not every file system has owner-only permissions
    std::filesystem::permissions(
        path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write, ignored);
    WriteFile(path, EncodePrivateKeyPem(key));
    out << FormatKeyLine(key.publicKey) << "\n";
    return kExitOk;
}

// sign --key KEYFILE --url URL --expires DAYS|DATE FEED
int RunSign(const CommandLine& line, Crypto& crypto, P256Signer& signer, Clock& clock,
            std::ostream& out) {
    if (line.operands.size() != 1)
        throw UsageError("sign needs one FEED");
    const std::string expires = ExpiryOf(line.One("--expires"), clock);
    const std::string& url = line.One("--url");
    std::string reason;
    const std::optional<P256KeyPair> key = ParsePrivateKeyPem(ReadFile(line.One("--key")), reason);
    if (!key)
        throw std::runtime_error(line.One("--key") + ": " + reason);
    if (!(clock.UtcNow() < expires))
        throw std::runtime_error("the expiry " + expires + " has passed");

    const std::string& feedPath = line.operands[0];
    const std::string feed = ReadFile(feedPath);
    const std::string expiresLine = "expires " + expires;
    std::unique_ptr<Sha256Hasher> hasher = crypto.NewSha256();
    hasher->Update(SignedMessage(url, expiresLine, feed));
    const Sha256Digest digest = hasher->Finish();
    const P256Signature signature = signer.SignP256(*key, digest);
    // A key file whose public point is not its private key's would sign what no one verifies.
    if (!crypto.VerifyP256(key->publicKey, digest, signature)) {
        throw std::runtime_error("the key file's public key does not belong to its private key");
    }
    WriteFile(feedPath + ".sig", FormatSignatureFile(expires, signature));
    out << "Wrote " << feedPath << ".sig for " << url << ", expires " << expires << "\n";
    return kExitOk;
}

// hash FILE...
int RunHash(const CommandLine& line, Crypto& crypto, std::ostream& out) {
    if (line.operands.empty() || !line.options.empty())
        throw UsageError("hash FILE...");
    for (const std::string& path : line.operands) {
        std::ifstream file(path, std::ios::binary);
        if (!file)
            throw std::runtime_error("cannot read " + path);
        std::unique_ptr<Sha256Hasher> hasher = crypto.NewSha256();
        std::string chunk(1 << 16, '\0');
        while (file.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) ||
               file.gcount() > 0) {
            hasher->Update(std::string_view(chunk.data(), static_cast<std::size_t>(file.gcount())));
        }
        if (file.bad())
            throw std::runtime_error("cannot read " + path);
        out << kSha256PinPrefix << Sha256Hex(hasher->Finish());
        out << (line.operands.size() > 1 ? "  " + path : std::string()) << "\n";
    }
    return kExitOk;
}

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

int RunCommand(const std::vector<std::string>& arguments, Crypto& crypto, P256Signer& signer,
               Clock& clock, std::ostream& out, std::ostream& err) {
    const std::string command = arguments.empty() ? std::string() : arguments[0];
    if (command == "keygen")
        return RunKeygen(ParseCommandLine(arguments, {}), signer, out);
    if (command == "sign") {
        return RunSign(ParseCommandLine(arguments, {"--key", "--url", "--expires"}), crypto, signer,
                       clock, out);
    }
    if (command == "hash")
        return RunHash(ParseCommandLine(arguments, {}), crypto, out);
    if (command == "verify") {
        return RunVerify(ParseCommandLine(arguments, {"--key-line", "--url"}), crypto, clock, out,
                         err);
    }
    if (command == "lint") {
        try {
            return RunLint(arguments, out);
        } catch (const LintUsageError& error) {
            throw UsageError(error.what());
        }
    }
    if (command == "help" || command == "--help" || command == "-h") {
        out << kUsage;
        return kExitOk;
    }
    throw UsageError(command.empty() ? "no command" : "unknown command " + command);
}

}  // namespace

int RunPublisherTool(const std::vector<std::string>& arguments, Crypto& crypto, P256Signer& signer,
                     Clock& clock, std::ostream& out, std::ostream& err) {
    try {
        return RunCommand(arguments, crypto, signer, clock, out, err);
    } catch (const UsageError& error) {
        err << "quillmere-publish: " << error.what() << "\n" << kUsage;
        return kExitUsage;
    } catch (const std::exception& error) {
        err << "quillmere-publish: " << error.what() << "\n";
        return kExitRefused;
    }
}
