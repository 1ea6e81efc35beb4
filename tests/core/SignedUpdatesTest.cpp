// The publisher's chain of trust against fake cryptography: KEY lines, the update information
// file's signature, and sha256= pins on CMV and DWN, down to the download's own hashing.

#include <gtest/gtest.h>

#include <cctype>

#include "core/FakeDownload.h"
#include "core/FakeUpdater.h"
#include "core/crypto/Base64.h"
#include "core/crypto/KeyLine.h"
#include "core/crypto/Sha256Hex.h"
#include "core/crypto/SignatureFile.h"

namespace {

using Lines = std::vector<std::string>;

constexpr const char* kInformationUrl = "http://server/info.txt";
constexpr const char* kFeed = "TIT Signed feed ran\r\n";
constexpr const char* kNotExpired = "2027-03-01T00:00:00Z";

P256PublicKey Key(std::uint8_t fill) {
    P256PublicKey key;
    key.fill(fill);
    return key;
}

// The KEY line's argument: the key's DER SubjectPublicKeyInfo in base64.
std::string KeyArgument(const P256PublicKey& key) {
    return FormatKeyLine(key).substr(4);
}

// The signature file for `feed` at `url`, signed by `key` with the fake.
std::string SignatureFile(const P256PublicKey& key, const std::string& url,
                          const std::string& expires = kNotExpired) {
    return FormatSignatureFile(
        expires, FakeSign(key, FakeDigest(SignedMessage(url, "expires " + expires, kFeed))));
}

std::string Pin(const std::string& bytes) {
    return "sha256=" + Sha256Hex(FakeDigest(bytes));
}

std::string UpperCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// An updater whose configuration trusts the keys filled with `fills`.
std::string KeyedConfiguration(std::initializer_list<std::uint8_t> fills) {
    std::string configuration = "ADR http://server/info.txt\r\nLOC \\version.txt\r\nTIT Demo";
    for (const std::uint8_t fill : fills) {
        configuration += "\r\nKEY " + KeyArgument(Key(fill));
    }
    return configuration;
}

// --- KEY --------------------------------------------------------------------------------------

TEST(KeyLineTest, OnlyTheConfigurationFileAddsKeysAndAMalformedOneIsACommandError) {
    FakeUpdater keyed(KeyedConfiguration({0x0A, 0x0B}));
    EXPECT_EQ(keyed.state.TrustedKeys, (std::vector{Key(0x0A), Key(0x0B)}));
    EXPECT_TRUE(keyed.window.boxes.empty());

    for (const std::string& argument :
         {std::string(), std::string("not base64!"), KeyArgument(Key(1)).substr(4),
          EncodeBase64(std::string(91, '\x30')), std::string(1 << 20, 'A')}) {
        FakeUpdater app("TIT Demo\r\nKEY " + argument + "\r\nVER 1.0");
        EXPECT_TRUE(app.state.TrustedKeys.empty());
        ASSERT_EQ(app.window.boxes.size(), 1u) << argument.substr(0, 40);
        EXPECT_NE(app.window.boxes[0].text.find("The publisher's key cannot be used"),
                  std::string::npos);
    }
}

TEST(KeyLineTest, AKeyLineInADownloadedFileFailsThatLine) {
    const std::string keyLine = FormatKeyLine(Key(0x0C));
    for (const bool nested : {false, true}) {
        FakeUpdater app;
        app.platform.server["http://server/s.qsc"] = keyLine + "\r\nTIT after";
        app.Run(nested ? "VER 1.0\r\nCMV 1.1;x;http://server/s.qsc" : keyLine + "\r\nTIT after");
        EXPECT_TRUE(app.state.TrustedKeys.empty());
        ASSERT_EQ(app.window.boxes.size(), nested ? 3u : 1u);
        EXPECT_NE(app.window.boxes.back().text.find("[" + keyLine + "]"), std::string::npos);
        EXPECT_EQ(app.state.SoftwareTitle, "Demo Software");
        EXPECT_EQ(app.state.UpdateFailed, 1);
    }
}

// --- The update information file's signature ------------------------------------------------

class FeedSignatureTest : public ::testing::Test {
protected:
    FeedSignatureTest() { app.platform.files["C:\\App\\version.txt"] = "VER 1.0"; }

    void Serve(const std::string& feed, const std::optional<std::string>& signatureFile) {
        app.platform.server[kInformationUrl] = feed;
        app.platform.server.erase(std::string(kInformationUrl) + ".sig");
        if (signatureFile) {
            app.platform.server[std::string(kInformationUrl) + ".sig"] = *signatureFile;
        }
    }

    void ExpectNoTemporaryFile() {
        EXPECT_EQ(app.platform.files.count("C:\\App\\version.txt.tmp"), 0u);
        EXPECT_EQ(app.platform.files.count("C:\\App\\version.txt.sig.tmp"), 0u);
    }

    FakeUpdater app{KeyedConfiguration({0x0A, 0x0B})};
};

TEST_F(FeedSignatureTest, ASignatureByEitherKeyLetsTheFeedRun) {
    for (const std::uint8_t fill : {0x0A, 0x0B}) {
        Serve(kFeed, SignatureFile(Key(fill), kInformationUrl));
        app.updater.RunUpdateCheck();
        EXPECT_EQ(app.state.SoftwareTitle, "Signed feed ran");
        EXPECT_EQ(app.state.UpdateFailed, 0);
        EXPECT_EQ(app.platform.downloadKinds.back(), DownloadKind::UpdateSignature);
        ExpectNoTemporaryFile();
        app.state.SoftwareTitle.clear();
    }
}

TEST_F(FeedSignatureTest, AnyOtherSignatureIsRefusedWithNothingRun) {
    const std::string good = SignatureFile(Key(0x0A), kInformationUrl);
    std::string otherByte = good;
    otherByte[good.size() - 10] = otherByte[good.size() - 10] == 'A' ? 'B' : 'A';
    const struct {
        const char* name;
        std::optional<std::string> signatureFile;
        std::string served = kFeed;  // the feed on the server, when it differs from the signed one
    } refusals[] = {
        {"no signature file", std::nullopt},
        {"empty", ""},
        {"binary", std::string("\0\xff\x30\x44", 4)},
        {"1 MB", std::string(1 << 20, 's')},
        {"truncated", good.substr(0, good.size() - 6)},
        {"feed changed", good, "TIT Signed feed ran!\r\n"},
        {"other URL", SignatureFile(Key(0x0A), "http://server/info.txt2")},
        {"expiry changed", "expires 2027-03-02" + good.substr(18)},
        {"signature byte changed", otherByte},
        {"expired", SignatureFile(Key(0x0A), kInformationUrl, "2026-06-01T12:00:00Z")},
        {"unknown key", SignatureFile(Key(0x0F), kInformationUrl)},
    };
    for (const auto& refused : refusals) {
        app.window.log.clear();
        Serve(refused.served, refused.signatureFile);
        app.updater.RunUpdateCheck();
        const Lines log = app.window.LogLines();
        ASSERT_EQ(log.size(), 4u) << refused.name;
        EXPECT_TRUE(log[2].starts_with(
            "The update information is not signed by the software's publisher ("))
            << refused.name << ": " << log[2];
        EXPECT_EQ(log[3], "UpdateFailedErrorMessage") << refused.name;
        EXPECT_EQ(app.state.SoftwareTitle, "Demo") << refused.name;
        EXPECT_EQ(app.state.UpdateFailed, 1) << refused.name;
        EXPECT_TRUE(app.window.buttonsEnabled) << refused.name;
        ExpectNoTemporaryFile();
    }
}

TEST_F(FeedSignatureTest, WithoutAKeyNoSignatureIsFetched) {
    FakeUpdater plain;
    plain.platform.files["C:\\App\\version.txt"] = "VER 1.0";
    plain.platform.server[kInformationUrl] = kFeed;
    plain.updater.RunUpdateCheck();
    EXPECT_EQ(plain.platform.downloads, (Lines{kInformationUrl}));
    EXPECT_EQ(plain.state.SoftwareTitle, "Signed feed ran");
}

// A configuration file that names a key never runs unsigned update information, however its KEY
// lines or the lines before them fail; one without any KEY line runs it as before.
TEST(SignedOnlyTest, AConfigurationThatNamesAKeyButGivesNoneRefusesEveryCheck) {
    const std::string head = "ADR http://server/info.txt\r\nLOC \\version.txt\r\n";
    const std::string good = "KEY " + KeyArgument(Key(0x0A));
    const struct {
        const char* name;
        std::string configuration;
        const char* reason;  // in the refusal; nullptr when the feed runs
    } cases[] = {
        {"bad key", head + "KEY AAAA", "its line 3 ended its run"},
        {"comment before the key", head + "# signed only\r\n" + good, "its line 3 ended its run"},
        {"blank line before the key", head + "   \r\n" + good, "its line 3 ended its run"},
        {"key off the curve", head + "KEY " + KeyArgument(P256PublicKey{}),
         "its line 3 ended its run"},
        {"two keys, one bad", head + good + "\r\nKEY AAAA\r\n", "its line 4 ended its run"},
        {"key in lower case", head + "key " + KeyArgument(Key(0x0A)), "its line 3 ended its run"},
        {"OFF before the key", head + "OFF\r\n" + good, "its line 3 ended its run"},
        {"lines ended by LF", "ADR http://server/info.txt\nLOC \\version.txt\n" + good,
         "no KEY line of it gave one"},
        {"no KEY line", head + "TIT Unsigned", nullptr},
    };
    for (const auto& c : cases) {
        FakeUpdater app(c.configuration);
        app.platform.files["C:\\App\\version.txt"] = "VER 1.0";
        app.platform.server[kInformationUrl] =
            "DWN http://server/evil.exe;\\evil.exe\r\nEXE \\evil.exe";
        app.platform.server["http://server/evil.exe"] = "MZ";
        app.state.VersionFilePath = "C:\\App\\version.txt";  // the LF case has none of its own
        app.updater.RunUpdateCheck();
        if (c.reason == nullptr) {
            EXPECT_EQ(app.platform.files.count("C:\\App\\evil.exe"), 1u) << c.name;
            EXPECT_EQ(app.platform.launches.size(), 1u) << c.name;
            continue;
        }
        EXPECT_TRUE(app.platform.downloads.empty()) << c.name;
        EXPECT_TRUE(app.platform.launches.empty()) << c.name;
        EXPECT_EQ(app.state.UpdateFailed, 1) << c.name;
        const Lines log = app.window.LogLines();
        ASSERT_EQ(log.size(), 3u) << c.name;
        EXPECT_NE(log[1].find(c.reason), std::string::npos) << c.name << ": " << log[1];
        EXPECT_NE(log[1].find("not signed by the software's publisher"), std::string::npos);
    }
}

// --- Pins on DWN and CMV ----------------------------------------------------------------------

constexpr const char* kOld = "old bytes";
constexpr const char* kNew = "new bytes";
constexpr const char* kNoPin =
    "The file has no checksum: with a publisher's key configured, every downloaded file needs a "
    "\"sha256=\" field.";
constexpr const char* kBadPin =
    "The checksum is not valid: after \"sha256=\" there must be exactly 64 hexadecimal digits.";
constexpr const char* kMismatch = "ChecksumErrorMessage";

TEST(PinTest, APinnedDownloadIsStoredOnlyWithItsDigest) {
    const std::string dwn = "DWN http://server/f;\\f";
    const struct {
        const char* name;
        bool keyed;
        std::string line;
        bool downloads;       // the file was asked for
        std::string failure;  // the error box's failure text; empty when the line succeeds
    } pins[] = {
        {"pinned", false, dwn + ";" + Pin(kNew), true, ""},
        {"upper-case pin", true, dwn + ";sha256=" + UpperCase(Pin(kNew).substr(7)), true, ""},
        {"upper-case prefix, keyed", true, dwn + ";" + UpperCase(Pin(kNew)), true, ""},
        {"upper-case prefix, no key", false, dwn + ";" + UpperCase(Pin(kOld)), true, kMismatch},
        {"no pin, no key", false, dwn, true, ""},
        {"other third field", false, dwn + ";size=9", true, ""},
        {"mismatch", false, dwn + ";" + Pin(kOld), true, kMismatch},
        {"mismatch, keyed", true, dwn + ";" + Pin("new bytez"), true, kMismatch},
        {"no pin, keyed", true, dwn, false, kNoPin},
        {"short pin", false, dwn + ";sha256=abc", false, kBadPin},
        {"pin not hex", false, dwn + ";" + Pin(kNew).substr(0, 70) + "g", false, kBadPin},
    };
    for (const auto& pin : pins) {
        FakeUpdater app(pin.keyed ? KeyedConfiguration({0x0A}) : KeyedConfiguration({}));
        app.platform.languageTexts["ChecksumErrorMessage"] = kMismatch;
        app.platform.files["C:\\App\\f"] = kOld;
        app.platform.server["http://server/f"] = kNew;
        app.Run(pin.line);
        EXPECT_EQ(app.platform.downloads.size(), pin.downloads ? 1u : 0u) << pin.name;
        EXPECT_EQ(app.platform.files["C:\\App\\f"], pin.failure.empty() ? kNew : kOld) << pin.name;
        if (pin.failure.empty()) {
            EXPECT_TRUE(app.window.boxes.empty()) << pin.name;
        } else {
            ASSERT_EQ(app.window.boxes.size(), 1u) << pin.name;
            EXPECT_EQ(app.window.boxes[0].text,
                      "Error: " + pin.failure + " in line [" + pin.line + "]")
                << pin.name;
        }
    }
}

TEST(PinTest, AnOfferedUpdateScriptMustMatchItsPinBeforeAnyOfItRuns) {
    const std::string script = "TIT script ran";
    const struct {
        bool keyed;
        std::string pinField;
        Lines downloads;
        std::size_t boxes;  // the offer's two boxes, then the error box
        const char* failure;
    } cases[] = {
        {true, ";" + Pin(script), {"http://server/s.qsc"}, 2, nullptr},
        {false,
         ";" + Pin(script + " "),
         {"http://server/s.qsc"},
         3,
         "The downloaded file is not the one the publisher released"},
        {true, "", {}, 1, "The file has no checksum"},
        {true, ";sha256=", {}, 1, "The checksum is not valid"},
    };
    for (const auto& c : cases) {
        FakeUpdater app(c.keyed ? KeyedConfiguration({0x0A}) : "TIT Demo");
        app.platform.files["C:\\App\\Script.qsc"] = "stale";
        app.platform.server["http://server/s.qsc"] = script;
        app.Run("VER 1.0\r\nCMV 1.1;x;http://server/s.qsc" + c.pinField);
        EXPECT_EQ(app.platform.downloads, c.downloads) << c.pinField;
        ASSERT_EQ(app.window.boxes.size(), c.boxes) << c.pinField;
        EXPECT_EQ(app.state.SoftwareTitle, c.failure ? "Demo" : "script ran") << c.pinField;
        if (c.failure) {
            EXPECT_NE(app.window.boxes.back().text.find(c.failure), std::string::npos);
            // A refused script is not left behind; one never fetched leaves the old file alone.
            EXPECT_EQ(app.platform.files.count("C:\\App\\Script.qsc"),
                      c.downloads.empty() ? 1u : 0u);
        }
    }
    // A script changed on the disk after its download was checked never runs.
    FakeUpdater swapped(KeyedConfiguration({0x0A}));
    swapped.platform.server["http://server/s.qsc"] = script;
    swapped.platform.onStored = [&swapped](const std::string& path) {
        swapped.platform.files[path] = "TIT swapped";
    };
    swapped.Run("VER 1.0\r\nCMV 1.1;x;http://server/s.qsc;" + Pin(script));
    EXPECT_EQ(swapped.state.SoftwareTitle, "Demo");
    EXPECT_EQ(swapped.state.UpdateFailed, 1);
    EXPECT_EQ(swapped.platform.files.count("C:\\App\\Script.qsc"), 0u);
    EXPECT_NE(swapped.window.boxes.back().text.find("not the one the publisher released"),
              std::string::npos);

    // A version that is not newer is never offered, so it needs no pin even with a key.
    FakeUpdater app(KeyedConfiguration({0x0A}));
    app.Run("VER 1.1\r\nCMV 1.1;x;http://server/s.qsc");
    EXPECT_TRUE(app.window.boxes.empty());
}

// --- The download's own hashing ---------------------------------------------------------------

TEST(PinnedDownloadTest, TheBodyIsHashedAsWrittenAndStoredOnlyWhenItMatches) {
    for (const bool matches : {true, false}) {
        FakeDownload download;
        download.server.script.contentLength = "5000";
        download.server.script.pieces = {1000, 4000};
        download.disk.files[FakeDownload::kTarget] = kOld;
        download.pin = FakeDigest(BodyPattern(matches ? 5000 : 4999));
        EXPECT_EQ(download.Run(),
                  matches ? DownloadResult::Stored : DownloadResult::DigestMismatch);
        EXPECT_EQ(download.disk.files[FakeDownload::kTarget], matches ? BodyPattern(5000) : kOld);
        const Lines steps = matches ? Lines{"create", "write", "write", "write", "flush", "replace"}
                                    : Lines{"create", "write", "write", "write", "discard"};
        EXPECT_EQ(download.disk.steps, steps);
        EXPECT_EQ(download.BrokenPromises(), Lines{});
    }
}

}  // namespace
