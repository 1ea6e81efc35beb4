// quillmere-publish release over the native backend, on real files: the pins it writes and
// replaces, the feed it appends to and signs (checked with the tool's verify), and the
// refusals, after which every file is as it was.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "core/crypto/Sha256Hex.h"
#include "posix/crypto/OpenSslCrypto.h"
#include "posix/publisher/PosixToolFileSystem.h"
#include "publisher/PublisherTool.h"
#include "publisher/common/AtomicWrite.h"
#include "publisher/common/ToolFiles.h"
#include "publisher/release/ReleasePins.h"

namespace {

namespace fs = std::filesystem;

constexpr char kFeedUrl[] = "http://u.example/app/updates.txt";
constexpr char kServed[] = "http://u.example/app";

class FixedClock final : public Clock {
public:
    std::string UtcNow() override { return "2026-01-01T00:00:00Z"; }
};

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

class ReleaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("release-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "srv/1.1");
        fs::create_directories(dir / "srv/1.2");
        Write("srv/1.1/app.txt", "Inkwell 1.1 program");
        Write("srv/1.1/version.txt", "VER 1.1\r\n");
        Write("srv/1.2/update.qsc", "VER 1.2\r\n");
        Write("srv/1.1/update.qsc",
              std::string("MKD \\notes\r\n") + "DWN " + kServed + "/1.1/app.txt;\\app.txt\r\n" +
                  "DWN " + kServed + "/1.1/version.txt;\\version.txt;" + Pin("stale") +
                  ";later field\r\n" + "CMV 1.2;Nested;" + kServed + "/1.2/update.qsc;" +
                  Pin("VER 1.2\r\n") + "\r\nVER 1.1\r\n");
        keyLine = Run({"keygen", Path("key.pem")}).out;
        keyLine.pop_back();
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Path(const std::string& name) const { return (dir / name).string(); }
    void Write(const std::string& name, const std::string& bytes) {
        WriteAtomically(files, Path(name), bytes);
    }
    std::string Read(const std::string& name) const { return ReadFile(Path(name)); }

    std::string Pin(const std::string& bytes) {
        auto hasher = crypto.NewSha256();
        hasher->Update(bytes);
        return "sha256=" + Sha256Hex(hasher->Finish());
    }

    ToolRun Run(const std::vector<std::string>& arguments) {
        std::ostringstream out, err;
        const int status = RunPublisherTool(arguments, crypto, crypto, clock, files, out, err);
        return {status, out.str(), err.str()};
    }

    // release of `version` with the test's files, an option replaced or added by `changes`.
    ToolRun Release(const std::string& version,
                    const std::map<std::string, std::string>& changes = {}) {
        std::map<std::string, std::string> options = {
            {"--key", Path("key.pem")},
            {"--feed", Path("srv/updates.txt")},
            {"--url", kFeedUrl},
            {"--version", version},
            {"--description", "What is new%PTV% fixes"},
            {"--script", Path("srv/1.1/update.qsc")},
            {"--script-url", std::string(kServed) + "/1.1/update.qsc"},
            {"--map", std::string(kServed) + "=" + Path("srv")}};
        for (const auto& [name, value] : changes) options[name] = value;
        std::vector<std::string> arguments = {"release"};
        for (const auto& [name, value] : options) {
            arguments.push_back(name);
            arguments.push_back(value);
        }
        return Run(arguments);
    }

    // Every file under the test's folder, by name.
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            if (entry.is_regular_file())
                files[entry.path().string()] = ReadFile(entry.path());
        return files;
    }

    OpenSslCrypto crypto;
    FixedClock clock;
    PosixToolFileSystem files;
    fs::path dir;
    std::string keyLine;
};

TEST_F(ReleaseTest, PinsTheScriptAppendsItsLineAndSignsAFeedThatVerifies) {
    const ToolRun run = Release("1.1");
    ASSERT_EQ(run.status, kExitOk) << run.err;

    // Line 2 pinned, line 3's stale pin replaced (the field after it kept), line 4 kept.
    const std::string script = Read("srv/1.1/update.qsc");
    EXPECT_EQ(script, std::string("MKD \\notes\r\n") + "DWN " + kServed +
                          "/1.1/app.txt;\\app.txt;" + Pin("Inkwell 1.1 program") + "\r\nDWN " +
                          kServed + "/1.1/version.txt;\\version.txt;" + Pin("VER 1.1\r\n") +
                          ";later field\r\nCMV 1.2;Nested;" + kServed + "/1.2/update.qsc;" +
                          Pin("VER 1.2\r\n") + "\r\nVER 1.1\r\n");
    const std::string line11 =
        "CMV 1.1;What is new%PTV% fixes;" + std::string(kServed) + "/1.1/update.qsc;" + Pin(script);
    EXPECT_EQ(Read("srv/updates.txt"), line11 + "\r\n");
    for (const char* report : {":2: pinned sha256=", ":3: pin replaced: was sha256=",
                               ":4: pin kept", "Created ", "expires 2026-01-31T00:00:00Z"})
        EXPECT_NE(run.out.find(report), std::string::npos) << report << " in\n" << run.out;
    EXPECT_EQ(
        Run({"verify", "--key-line", keyLine, "--url", kFeedUrl, Path("srv/updates.txt")}).status,
        kExitOk);

    // The next release appends, and a pinned script is left as it is.
    const ToolRun next = Release("1.2", {{"--expires", "2026-03-01"}});
    ASSERT_EQ(next.status, kExitOk) << next.err;
    EXPECT_EQ(Read("srv/1.1/update.qsc"), script);
    EXPECT_EQ(Read("srv/updates.txt"), line11 + "\r\n" + "CMV 1.2" + line11.substr(7) + "\r\n");
    EXPECT_EQ(
        Run({"verify", "--key-line", keyLine, "--url", kFeedUrl, Path("srv/updates.txt")}).status,
        kExitOk);
    EXPECT_EQ(Run({"verify", "--key-line", keyLine, "--url", std::string(kFeedUrl) + "x",
                   Path("srv/updates.txt")})
                  .status,
              kExitRefused);
}

// A release that must be refused, and what it says.
struct Refusal {
    std::string what;
    std::string version;
    std::map<std::string, std::string> changes;
    std::string script;  // the update script, when not the one 1.0 pinned
    int status;
    std::string message;
};

TEST_F(ReleaseTest, RefusalsLeaveEveryFileUnchanged) {
    ASSERT_EQ(Release("1.0").status, kExitOk);  // the feed lists 1.0 and is signed
    const std::string pinnedScript = Read("srv/1.1/update.qsc");
    const std::string dwn = "DWN " + std::string(kServed) + "/1.1/app.txt;\\app.txt";
    const std::vector<Refusal> refusals = {
        {"unmapped URL",
         "1.1",
         {{"--map", "http://other.example/=" + Path("srv")}},
         "",
         1,
         "update.qsc:2: no --map covers http://u.example/app/1.1/app.txt: DWN http"},
        {"mapped file missing",
         "1.1",
         {},
         "DWN " + std::string(kServed) + "/1.1/gone.txt;\\g\r\n",
         1,
         "update.qsc:1: cannot read " + Path("srv") + "/1.1/gone.txt"},
        {"no pin's place",
         "1.1",
         {},
         dwn + ";note\r\n",
         1,
         "update.qsc:1: the field where the pin goes holds \"note\", not a sha256= pin"},
        {"field missing",
         "1.1",
         {},
         "DWN " + std::string(kServed) + "/1.1/app.txt\r\n",
         1,
         "update.qsc:1: A field is missing"},
        {"LF line ends",
         "1.1",
         {},
         dwn + "\nVER 1.1\n",
         1,
         "update.qsc:1: a line ends with LF alone"},
        {"version listed", "1.0", {}, "", 1, "updates.txt:1: version 1.0 is listed already"},
        {"same version to the updater", "10", {}, "", 1, "version 1.0 is listed already"},
        {"letters in the version", "1.1a", {}, "", 2, "--version takes digits and dots"},
        {"empty part in the version", "1..1", {}, "", 2, "--version takes digits and dots"},
        {"\";\" in the description",
         "1.1",
         {{"--description", "a;b"}},
         "",
         2,
         "--description cannot hold \";\""},
        {"line break in the description",
         "1.1",
         {{"--description", "a\r\nb"}},
         "",
         2,
         "--description cannot hold"},
        {"script URL served from another file",
         "1.1",
         {{"--script-url", std::string(kServed) + "/1.2/update.qsc"}},
         "",
         1,
         "is served from " + Path("srv") + "/1.2/update.qsc (by --map)"},
        {"expiry passed", "1.1", {{"--expires", "2025-12-31"}}, "", 1, "has passed"},
        {"not a key file", "1.1", {{"--key", Path("srv/1.1/app.txt")}}, "", 1, "app.txt: "},
    };
    for (const Refusal& refusal : refusals) {
        Write("srv/1.1/update.qsc", refusal.script.empty() ? pinnedScript : refusal.script);
        const std::map<std::string, std::string> before = Files();
        const ToolRun run = Release(refusal.version, refusal.changes);
        EXPECT_EQ(run.status, refusal.status) << refusal.what << "\n" << run.out << run.err;
        EXPECT_NE(run.err.find(refusal.message), std::string::npos) << refusal.what << "\n"
                                                                    << run.err;
        EXPECT_EQ(run.out, "") << refusal.what;
        EXPECT_EQ(Files(), before) << refusal.what;
    }
}

// --map's one rule, for release and simulate alike.
TEST(UrlMapTest, LongestPrefixThatContinuesWithAPathServesTheFile) {
    const std::vector<UrlMapping> map = {
        {"http://h/app", "srv"}, {"http://h/app/big/", "/big"}, {"http://h/w", "Z:\\w"}};
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"http://h/app/x.txt", "srv/x.txt"},
        {"http://h/app/big/1/y.bin", "/big/1/y.bin"},
        {"http://h/w/a/b.txt?v=2", "Z:\\w\\a\\b.txt"},
        {"http://h/apple.txt", std::nullopt},
        {"http://other/app/x.txt", std::nullopt},
        {"http://h/app", ""},
        {"http://h/app/../etc/passwd", ""},
    };
    for (const auto& [url, file] : cases) EXPECT_EQ(LocalFileOf(map, url), file) << url;
}

}  // namespace
