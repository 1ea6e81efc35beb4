// The publisher's tool: the usage text, the dispatch of commands, and keygen, sign, hash and
// verify.

#include "publisher/PublisherTool.h"

#include <algorithm>
#include <ostream>
#include <stdexcept>

#include "core/crypto/FeedSignature.h"
#include "core/crypto/KeyLine.h"
#include "core/script/CommandWords.h"
#include "core/script/PinField.h"
#include "publisher/AtomicWrite.h"
#include "publisher/CommandLine.h"
#include "publisher/FeedSigning.h"
#include "publisher/LintCommand.h"
#include "publisher/LintFile.h"
#include "core/crypto/PrivateKeyPem.h"
#include "publisher/Release.h"
#include "publisher/SimulateCommand.h"
#include "publisher/ToolFileSystem.h"
#include "publisher/ToolFiles.h"

namespace {

// The usage text, up to lint's description.
constexpr std::string_view kUsageHead =
    "Usage: quillmere-publish COMMAND ...\n"
    "  keygen KEYFILE\n"
    "      Makes a new ECDSA P-256 key, writes it to KEYFILE (PKCS#8 PEM, a new file that only\n"
    "      you can open; never over a file or through a link) and prints the KEY line for the\n"
    "      configuration file.\n"
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
    "       [--key KEYFILE | --key-line \"KEY ...\"] [--app DIR] FILE...\n";

// From simulate up to release's description.
constexpr std::string_view kUsageMiddle =
    "  simulate --app DIR [--feed URL|FILE] [--answer yes|no] [--map URL-PREFIX=DIR]... [--keep]\n"
    "      Runs an update check of a copy of the program folder DIR as a user's machine would\n"
    "      (DIR is never written), answering offers with --answer (yes by default). URLs under\n"
    "      a --map prefix come from that folder's files, others from the network; --feed\n"
    "      replaces the configuration's ADR (a FILE is served at the ADR URL, with FILE.sig).\n"
    "      Prints the log, the message boxes, the downloads and the change to the folder.\n"
    "      Programs are never started: each start is printed and taken as done (and ended).\n"
    "      Exit status 1 when the check ends on the failed path. Windows build only.\n"
    "  release --key KEYFILE --feed FEED --url URL --version V --description TEXT\n"
    "          --script SCRIPT --script-url SCRIPT_URL [--map URL-PREFIX=DIR]... [--expires D]\n";

constexpr std::string_view kUsageTail = "Exit status: 0 done, 1 refused, 2 wrong command line.\n";

// `text` in lines of at most 90 characters, each indented by six blanks, broken at blanks.
std::string IndentedParagraph(std::string_view text) {
    constexpr std::size_t kIndent = 6, kWidth = 90;
    std::string paragraph, line;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        const std::string_view word = text.substr(at, end - at);
        if (!line.empty() && kIndent + line.size() + 1 + word.size() > kWidth) {
            paragraph += std::string(kIndent, ' ') + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + std::string(word);
        at = end + 1;
    }
    return paragraph + std::string(kIndent, ' ') + line + "\n";
}

// The usage text. How lint guesses a file's kind and which lines release pins come from the
// command table.
std::string Usage() {
    const std::string pinned = CommandWords(
        [](const CommandSpec& command) { return command.fields.Has(FieldKind::Pin); }, "and");
    return std::string(kUsageHead) +
           IndentedParagraph(
               "Reports what the updater would do with each file: FILE:LINE:COLUMN: "
               "error|warning: message [code]. The kind is guessed: " +
               DescribeKindGuess() +
               ". A key (--key, --key-line, or a KEY line in a configuration file among the "
               "FILEs) makes a missing pin an error. --app DIR: the program's folder, where EXE "
               "may find programs. Exit status 1 on an error (or a warning with --strict).") +
           std::string(kUsageMiddle) +
           IndentedParagraph("Pins every " + pinned +
                             " line of SCRIPT with the file its URL maps to, appends CMV "
                             "V;TEXT;SCRIPT_URL;sha256=<SCRIPT's pin> to FEED and signs FEED as "
                             "sign does (--expires defaults to 30 days). Writes nothing when any "
                             "check fails.") +
           std::string(kUsageTail);
}

// Writes `pem` to the new file `path`, readable by the current user alone from its first byte.
// Throws std::runtime_error when anything stands at `path` or the write fails.
void WriteNewKeyFile(ToolFileSystem& files, const std::string& path, std::string_view pem) {
    NewFileOutcome outcome;
    try {
        outcome = files.CreateNewFile(path, pem, FileAccess::kOwnerOnly);
    } catch (const std::runtime_error& error) {
        throw std::runtime_error("cannot write " + path + ": " + error.what());
    }
    if (outcome == NewFileOutcome::kExists)
        throw std::runtime_error(path + " exists already; keygen never overwrites a key");
    if (outcome == NewFileOutcome::kSymbolicLink)
        throw std::runtime_error(path +
                                 " is a symbolic link; keygen writes a key only to a new file");
}

// keygen KEYFILE
int RunKeygen(const CommandLine& line, P256Signer& signer, ToolFileSystem& files,
              std::ostream& out) {
    if (line.operands.size() != 1 || !line.options.empty())
        throw UsageError("keygen KEYFILE");
    const P256KeyPair key = signer.GenerateP256();
    WriteNewKeyFile(files, line.operands[0], EncodePrivateKeyPem(key));
    out << FormatKeyLine(key.publicKey) << "\n";
    return kExitOk;
}

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

// hash FILE...
int RunHash(const CommandLine& line, Crypto& crypto, std::ostream& out) {
    if (line.operands.empty() || !line.options.empty())
        throw UsageError("hash FILE...");
    for (const std::string& path : line.operands) {
        out << FormatPinField(Sha256OfFile(crypto, path));
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

// simulate --app DIR [--feed URL|FILE] [--answer yes|no] [--map URL-PREFIX=DIR]... [--keep]
int RunSimulate(const std::vector<std::string>& arguments, const Simulator& simulator,
                std::ostream& out, std::ostream& err) {
    const SimulateOptions options = ParseSimulateOptions(arguments);
    if (!simulator) {
        err << "quillmere-publish: simulate runs the updater's Windows side: use the Windows "
               "build, quillmere-publish.exe (under Wine on Linux)\n";
        return kExitUsage;
    }
    return simulator(options, out);
}

int RunCommand(const std::vector<std::string>& arguments, Crypto& crypto, P256Signer& signer,
               Clock& clock, ToolFileSystem& files, std::ostream& out, std::ostream& err,
               const Simulator& simulator) {
    const std::string command = arguments.empty() ? std::string() : arguments[0];
    if (command == "keygen")
        return RunKeygen(ParseCommandLine(arguments, {}), signer, files, out);
    if (command == "sign") {
        return RunSign(ParseCommandLine(arguments, {"--key", "--url", "--expires"}), crypto, signer,
                       clock, files, out);
    }
    if (command == "hash")
        return RunHash(ParseCommandLine(arguments, {}), crypto, out);
    if (command == "verify") {
        return RunVerify(ParseCommandLine(arguments, {"--key-line", "--url"}), crypto, clock, out,
                         err);
    }
    if (command == "simulate")
        return RunSimulate(arguments, simulator, out, err);
    if (command == "release")
        return RunRelease(ParseCommandLine(arguments, kReleaseOptions), crypto, signer, clock,
                          files, out);
    if (command == "lint")
        return RunLint(arguments, out);
    if (command == "help" || command == "--help" || command == "-h") {
        out << Usage();
        return kExitOk;
    }
    throw UsageError(command.empty() ? "no command" : "unknown command " + command);
}

}  // namespace

int RunPublisherTool(const std::vector<std::string>& arguments, Crypto& crypto, P256Signer& signer,
                     Clock& clock, ToolFileSystem& files, std::ostream& out, std::ostream& err,
                     const Simulator& simulator) {
    try {
        return RunCommand(arguments, crypto, signer, clock, files, out, err, simulator);
    } catch (const UsageError& error) {
        err << "quillmere-publish: " << error.what() << "\n" << Usage();
        return kExitUsage;
    } catch (const std::exception& error) {
        err << "quillmere-publish: " << error.what() << "\n";
        return kExitRefused;
    }
}
