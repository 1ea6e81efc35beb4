// Signed updates through the real quillmere.exe, with openssl as the publisher: its key's KEY
// line in the configuration, its signatures of the update information files (made by
// tests/e2e/run-with-openssl-signer, which runs this suite). A signed update runs, and so does
// one that the native Linux quillmere-publish released with that key; a byte
// changed after signing, a file or script that differs from its pin, a file without a pin and
// a KEY line in a downloaded file are refused, and nothing of the update is installed. /check
// reads a newer version only from a feed whose signature holds.

#include "e2e/UpdateSession.h"

#include <algorithm>

#include "e2e/FolderSnapshot.h"

#include "core/crypto/Base64.h"
#include "core/crypto/Sha256Hex.h"
#include "windows/crypto/CngCrypto.h"

namespace e2e {
namespace {

constexpr char kOldProgram[] = "Inkwell 1.0 program";
constexpr char kNewProgram[] = "Inkwell 1.1 program";
constexpr char kNewVersion[] = "VER 1.1\r\n";
constexpr char kExpiresLine[] = "expires 2099-01-01T00:00:00Z";
constexpr char kKeyLineRefused[] =
    "A KEY line counts only in the configuration file: a downloaded file cannot name the keys it "
    "is checked with.";
// The program folder before any run; a refused update leaves exactly this (no ~qm*.tmp).
const std::vector<std::string> kProgramFiles = {"app.exe", "quillmere.cfg", "quillmere.exe",
                                                "quillmere.lng", "version.txt"};
const std::vector<std::string> kOfferAccepted =
    Concat(kRunOpening, {"[Found an update of Inkwell]", "[Updating]", "[Please wait]"});

std::string SignerFile(const std::string& name) {
    return RequiredEnvironment("QUILLMERE_OPENSSL_SIGNER") + "\\" + name;
}

// Hands `request` to the runner beside this program as NAME`kind` (whole: written, then
// renamed) and waits for its answer NAME`answer`, whose path it returns.
std::string AskRunner(const std::string& name, const std::string& kind, const std::string& request,
                      const std::string& answer) {
    WriteFileText(SignerFile(name + ".tmp"), request);
    MoveFileA(SignerFile(name + ".tmp").c_str(), SignerFile(name + kind).c_str());
    const std::string path = SignerFile(name + answer);
    WaitUntil([&] { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; },
              "the runner to answer " + name + kind, [] { return std::string(); });
    return path;
}

// openssl's DER ECDSA signature of `message`.
std::string OpensslSignature(const std::string& message) {
    static int signatures = 0;
    return ReadFileText(
        AskRunner("message" + std::to_string(++signatures), ".msg", message, ".der"));
}

// The Linux path of a path on Wine's drive Z:, the Linux root.
std::string LinuxPath(std::string path) {
    path.erase(0, 2);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// Runs "quillmere-publish release --key <openssl's key> ARGUMENTS..." with the native Linux
// tool, through the runner beside this program. Its exit status, its output in `output`.
int NativeRelease(const std::vector<std::string>& arguments, std::string& output) {
    static int releases = 0;
    const std::string name = "release" + std::to_string(++releases);
    std::string request;
    for (const std::string& argument : arguments) request += argument + "\n";
    const std::string status = AskRunner(name, ".release", request, ".status");
    output = ReadFileText(SignerFile(name + ".out"));
    return std::stoi(ReadFileText(status));
}

// The ".sig" file of `feed` fetched from `url`.
std::string SignatureFile(const std::string& url, const std::string& feed) {
    const std::string message = "quillmere-feed-v1\n" + url + "\n" + kExpiresLine + "\n" + feed;
    return std::string(kExpiresLine) + "\nsignature " + EncodeBase64(OpensslSignature(message)) +
           "\n";
}

// The pin field of a CMV or DWN line for `bytes`.
std::string Pin(const std::string& bytes) {
    CngCrypto crypto;
    std::unique_ptr<Sha256Hasher> hasher = crypto.NewSha256();
    hasher->Update(bytes);
    return "sha256=" + Sha256Hex(hasher->Finish());
}

class SignedUpdateTest : public UpdateSession {
protected:
    void SetUp() override {
        UpdateSession::SetUp();
        keyLine = ReadFileText(SignerFile("key-line.txt"));
        keyLine.erase(keyLine.find_last_not_of('\n') + 1);
        folder.WriteConfiguration("ADR " + server.Url("updates.txt") +
                                  "\r\nLOC \\version.txt\r\nTIT Inkwell\r\n" + keyLine + "\r\n");
        folder.WriteFile("app.exe", kOldProgram);
        server.WriteFile("1.1/app.exe", kNewProgram);
        server.WriteFile("1.1/version.txt", kNewVersion);
    }

    // Serves `feed` as the update information file, with the signature of `signedFeed`.
    void PublishFeed(const std::string& feed, const std::string& signedFeed) {
        server.WriteFile("updates.txt", feed);
        server.WriteFile("updates.txt.sig", SignatureFile(server.Url("updates.txt"), signedFeed));
    }

    // The CMV line offering 1.1 with its update script pinned to `script`.
    std::string OfferLine(const std::string& script) const {
        return "CMV 1.1;Signed;" + server.Url("1.1.qsc") + ";" + Pin(script);
    }

    // Serves `script` as the update script of 1.1, offered by a signed feed that pins `pinned`.
    void PublishUpdate(const std::string& script, const std::string& pinned) {
        server.WriteFile("1.1.qsc", script);
        const std::string feed = OfferLine(pinned) + "\r\n";
        PublishFeed(feed, feed);
    }

    // Accepts the offer of 1.1, whose script downloads app.exe and version.txt, and checks both
    // are installed and nothing else is left.
    void AcceptAndExpectInstalled() {
        MainWindow window = StartAndClickUpdate();
        AnswerOffer("Signed", IDYES);
        WaitForRunEnd(window, "[Scan finished]");
        EXPECT_EQ(window.LogLines(),
                  Concat(kOfferAccepted, {"[Downloading]", "[a file]", "[Downloaded %CRLF%]",
                                          "[Downloading]", "[a file]", "[Downloaded %CRLF%]",
                                          "[Update finished]", "[Scan finished]"}));
        EXPECT_EQ(folder.ReadFile("app.exe"), kNewProgram);
        EXPECT_EQ(folder.ReadFile("version.txt"), kNewVersion);
        EXPECT_EQ(folder.List(), kProgramFiles);
    }

    // Checks the error box's text names `failure` and `line`, and closes it.
    void AnswerErrorBox(const std::string& failure, const std::string& line,
                        const std::string& context) {
        MessageBoxWindow error = program->WaitForMessageBox();
        EXPECT_EQ(error.Text(), "[Error]\r\n" + failure + "\r\n[Line: " + line + "]") << context;
        error.Answer(IDOK);
    }

    void ExpectNothingInstalled(const std::string& context) {
        EXPECT_EQ(folder.ReadFile("app.exe"), kOldProgram) << context;
        EXPECT_EQ(folder.ReadFile("version.txt"), "VER 1.0\r\n") << context;
        EXPECT_EQ(folder.List(), kProgramFiles) << context;
    }

    std::string keyLine;  // "KEY <base64>", made by openssl
};

TEST_F(SignedUpdateTest, FeedSignedByOpensslRunsItsPinnedScriptAndFiles) {
    const std::string script = "DWN " + server.Url("1.1/app.exe") + ";\\app.exe;" +
                               Pin(kNewProgram) + "\r\nDWN " + server.Url("1.1/version.txt") +
                               ";\\version.txt;" + Pin(kNewVersion) + "\r\nVER 1.1\r\n";
    PublishUpdate(script, script);
    AcceptAndExpectInstalled();
}

TEST_F(SignedUpdateTest, FeedReleasedByTheNativeLinuxToolRunsItsUpdate) {
    server.WriteFile("1.1.qsc", "DWN " + server.Url("1.1/app.exe") + ";\\app.exe\r\nDWN " +
                                    server.Url("1.1/version.txt") +
                                    ";\\version.txt\r\nVER 1.1\r\n");
    const std::string served = LinuxPath(server.Path());
    std::string output;
    ASSERT_EQ(NativeRelease(
                  {"--feed", served + "/updates.txt", "--url", server.Url("updates.txt"),
                   "--version", "1.1", "--description", "Signed", "--script", served + "/1.1.qsc",
                   "--script-url", server.Url("1.1.qsc"), "--map", server.Url("") + "=" + served},
                  output),
              0)
        << output;
    AcceptAndExpectInstalled();
}

TEST_F(SignedUpdateTest, ByteChangedAfterSigningRunsNothingOfTheFeed) {
    const std::string script = "MKD \\never\r\n";
    const std::string feed = OfferLine(script) + "\r\n";
    std::string changed = feed;
    changed[changed.find("Signed")] = 's';
    server.WriteFile("1.1.qsc", script);
    PublishFeed(changed, feed);
    MainWindow window = StartAndClickUpdate();

    // The offer would show a box before the run ends: none may come.
    WaitForRunEnd(window, "[Update failed]");
    EXPECT_EQ(window.LogLines(),
              (std::vector<std::string>{
                  "[Research %CRLF%]", "[Information downloaded]", "[Signature refused]",
                  "[Why: the signature does not verify with any trusted key (the file, its URL or "
                  "its expiry was changed, or it was signed with a key that is not trusted)]",
                  "[Update failed]"}));
    EXPECT_FALSE(program->FindMessageBox().has_value()) << program->Describe();
    EXPECT_EQ(server.RequestCount("updates.txt.sig"), 1);
    EXPECT_EQ(server.RequestCount("1.1.qsc"), 0);
    ExpectNothingInstalled("changed feed");
}

TEST_F(SignedUpdateTest, CheckListsANewerVersionOnlyFromTheFeedAsSigned) {
    const std::string feed = OfferLine("MKD \\never\r\n") + "\r\n";
    std::string changed = feed;
    changed[changed.find("Signed")] = 's';
    const struct {
        const char* what;
        std::string served;
        DWORD exitCode;  // 2: a newer version is listed; 1: the check failed
    } cases[] = {{"feed as signed", feed, 2}, {"byte changed after signing", changed, 1}};
    for (const auto& row : cases) {
        PublishFeed(row.served, feed);
        const std::size_t requestsBefore = server.Requests().size();
        const Snapshot before = TakeSnapshot(folder);

        program.emplace(Program::Start(folder, "/check"));
        const Program::UnseenEnd end = program->WaitForExitWatchingWindows();
        EXPECT_EQ(end.exitCode, row.exitCode) << row.what;
        EXPECT_EQ(end.windowsShown, std::vector<std::string>{}) << row.what;
        const std::vector<std::string> requests = server.Requests();
        EXPECT_EQ(std::vector<std::string>(requests.begin() + requestsBefore, requests.end()),
                  (std::vector<std::string>{"updates.txt", "updates.txt.sig"}))
            << row.what;
        EXPECT_EQ(Changes(before, TakeSnapshot(folder)), std::vector<std::string>{}) << row.what;
    }
}

// A line of a signed update that the chain refuses, and how the run must end.
struct RefusedLine {
    std::string what;
    std::string pinnedScript;  // what the feed's pin vouches for
    std::string servedScript;  // what the server serves as the update script
    std::string line;          // the line the error box names
    std::string failure;       // the box's failure text
    std::vector<std::string> logAfterOffer;
    int appDownloads;  // requests for 1.1/app.exe the run makes
};

TEST_F(SignedUpdateTest, PinsAndKeyLinesRefuseTheirLineAndInstallNothing) {
    server.WriteFile("1.1/app.exe", "Inkwell 1.1 progrAm");  // one byte off its pin
    const std::string download = "DWN " + server.Url("1.1/app.exe") + ";\\app.exe";
    const std::string pinnedDownload = download + ";" + Pin(kNewProgram);
    const std::string rest = "MKD \\never\r\nVER 1.1\r\n";  // runs only if the line passed
    const std::vector<RefusedLine> refusals = {
        {"served file differs from its pin",
         pinnedDownload + "\r\n" + rest,
         pinnedDownload + "\r\n" + rest,
         pinnedDownload,
         "[Checksum differs %CRLF%]",
         {"[Downloading]", "[a file]", "[Update failed]"},
         1},
        {"served script differs from its pin",
         rest,
         "MKD \\nevEr\r\nVER 1.1\r\n",
         OfferLine(rest),
         "[Checksum differs %CRLF%]",
         {"[Update failed]"},
         0},
        {"unpinned file with a key configured",
         download + "\r\n" + rest,
         download + "\r\n" + rest,
         download,
         "The file has no checksum: with a publisher's key configured, every downloaded file needs "
         "a \"sha256=\" field.",
         {"[Update failed]"},
         0},
        {"KEY line in the update script",
         keyLine + "\r\n" + rest,
         keyLine + "\r\n" + rest,
         keyLine,
         kKeyLineRefused,
         {"[Update failed]"},
         0},
    };
    program.emplace(Program::Start(folder));
    MainWindow window = program->WaitForMainWindow();
    for (const RefusedLine& refusal : refusals) {
        const int appDownloadsBefore = server.RequestCount("1.1/app.exe");
        PublishUpdate(refusal.servedScript, refusal.pinnedScript);
        window.ClickUpdate();
        AnswerOffer("Signed", IDYES);

        AnswerErrorBox(refusal.failure, refusal.line, refusal.what);
        WaitForRunEnd(window, "[Update failed]");
        EXPECT_EQ(window.LogLines(), Concat(kOfferAccepted, refusal.logAfterOffer)) << refusal.what;
        EXPECT_EQ(server.RequestCount("1.1/app.exe") - appDownloadsBefore, refusal.appDownloads)
            << refusal.what;
        ExpectNothingInstalled(refusal.what);
    }
}

TEST_F(SignedUpdateTest, KeyLineInTheSignedFeedFailsItsLine) {
    const std::string feed = keyLine + "\r\n" + OfferLine("MKD \\never\r\n") + "\r\n";
    PublishFeed(feed, feed);
    MainWindow window = StartAndClickUpdate();

    AnswerErrorBox(kKeyLineRefused, keyLine, "KEY line in the feed");
    WaitForRunEnd(window, "[Update failed]");
    EXPECT_EQ(window.LogLines(), Concat(kRunOpening, {"[Update failed]"}));
    EXPECT_EQ(server.RequestCount("1.1.qsc"), 0);
    ExpectNothingInstalled("KEY line in the feed");
}

}  // namespace
}  // namespace e2e
