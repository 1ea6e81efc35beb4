// The publisher's tool: the usage text and the one table that dispatches its commands to their
// families (keys/, lint/, release/, simulate/).

#include "publisher/PublisherTool.h"

#include <algorithm>
#include <ostream>
#include <stdexcept>

#include "QuillmereVersion.h"
#include "core/script/CommandWords.h"
#include "publisher/common/CommandLine.h"
#include "publisher/keys/KeyCommands.h"
#include "publisher/lint/LintCommand.h"
#include "publisher/lint/LintFile.h"
#include "publisher/release/Release.h"
#include "publisher/simulate/SimulateCommand.h"

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

constexpr std::string_view kUsageTail =
    "  --version\n"
    "      Prints the tool's version: quillmere-publish " QUILLMERE_VERSION ".\n"
    "Exit status: 0 done, 1 refused, 2 wrong command line.\n";

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
        [](const CommandRow& command) { return command.fields.Has(FieldKind::Pin); }, "and");
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

// The roles and streams of one run of the tool.
struct ToolRun {
    Crypto& crypto;
    P256Signer& signer;
    Clock& clock;
    ToolFileSystem& files;
    std::ostream& out;
    std::ostream& err;
    const Simulator& simulator;
};

using Arguments = std::vector<std::string>;

int RunHelp(const Arguments&, ToolRun& run) {
    run.out << Usage();
    return kExitOk;
}

// One line in both builds, for a person or a script that wants to know which release it runs.
int RunVersion(const Arguments&, ToolRun& run) {
    run.out << "quillmere-publish " QUILLMERE_VERSION "\n";
    return kExitOk;
}

// Each command word and how it runs: its options parsed, the roles it needs handed over.
struct ToolCommand {
    std::string_view word;
    int (*run)(const Arguments& arguments, ToolRun& run);
};

constexpr ToolCommand kToolCommands[] = {
    {"keygen",
     [](const Arguments& arguments, ToolRun& run) {
         return RunKeygen(ParseCommandLine(arguments, {}), run.signer, run.files, run.out);
     }},
    {"sign",
     [](const Arguments& arguments, ToolRun& run) {
         return RunSign(ParseCommandLine(arguments, {"--key", "--url", "--expires"}), run.crypto,
                        run.signer, run.clock, run.files, run.out);
     }},
    {"hash",
     [](const Arguments& arguments, ToolRun& run) {
         return RunHash(ParseCommandLine(arguments, {}), run.crypto, run.out);
     }},
    {"verify",
     [](const Arguments& arguments, ToolRun& run) {
         return RunVerify(ParseCommandLine(arguments, {"--key-line", "--url"}), run.crypto,
                          run.clock, run.out, run.err);
     }},
    {"simulate",
     [](const Arguments& arguments, ToolRun& run) {
         return RunSimulate(arguments, run.simulator, run.out, run.err);
     }},
    {"release",
     [](const Arguments& arguments, ToolRun& run) {
         return RunRelease(ParseCommandLine(arguments, kReleaseOptions), run.crypto, run.signer,
                           run.clock, run.files, run.out);
     }},
    {"lint", [](const Arguments& arguments, ToolRun& run) { return RunLint(arguments, run.out); }},
    {"help", RunHelp},
    {"--help", RunHelp},
    {"-h", RunHelp},
    {"--version", RunVersion},
};

int RunCommand(const Arguments& arguments, ToolRun& run) {
    const std::string command = arguments.empty() ? std::string() : arguments[0];
    for (const ToolCommand& entry : kToolCommands) {
        if (entry.word == command) {
            return entry.run(arguments, run);
        }
    }
    throw UsageError(command.empty() ? "no command" : "unknown command " + command);
}

}  // namespace

int RunPublisherTool(const std::vector<std::string>& arguments, Crypto& crypto, P256Signer& signer,
                     Clock& clock, ToolFileSystem& files, std::ostream& out, std::ostream& err,
                     const Simulator& simulator) {
    try {
        ToolRun run{crypto, signer, clock, files, out, err, simulator};
        return RunCommand(arguments, run);
    } catch (const UsageError& error) {
        err << "quillmere-publish: " << error.what() << "\n" << Usage();
        return kExitUsage;
    } catch (const std::exception& error) {
        err << "quillmere-publish: " << error.what() << "\n";
        return kExitRefused;
    }
}
