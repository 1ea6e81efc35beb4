// quillmere-publish lint: each mistake found at its line and column, the checks across files,
// the exit statuses, the JSON form and hostile input.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "publisher/common/CommandLine.h"
#include "publisher/lint/LintCommand.h"

namespace {

namespace fs = std::filesystem;

const std::string kPin = ";sha256=" + std::string(64, 'a');
const std::string kKeyLine =
    "KEY "
    "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEvY34yES8GDrkO2+L8WCv3L4xBlmhlDn2+qD+5pMjgTxdEhoDDhJmPWv"
    "KhxYH7K8RTx6MLLg2G9S1U0+fuceGLQ==";

// A folder of its own for the files of one test.
class LintFolder {
public:
    LintFolder() : path_(fs::temp_directory_path() / ("lint-test-" + std::to_string(++count_))) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~LintFolder() { fs::remove_all(path_); }

    std::string Write(const std::string& name, const std::string& text) const {
        const fs::path file = path_ / name;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }

private:
    static inline int count_ = 0;
    fs::path path_;
};

struct LintRun {
    int status;
    std::string output;
};

LintRun Lint(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "lint");
    std::ostringstream out;
    const int status = RunLint(arguments, out);
    return {status, out.str()};
}

// Each finding of a text report as "LINE:COLUMN severity code".
std::vector<std::string> Findings(const std::string& output) {
    static const std::regex line(R"(^.*:(\d+):(\d+): (error|warning): .* \[([a-z-]+)\]$)");
    std::vector<std::string> findings;
    std::istringstream lines(output);
    for (std::string text; std::getline(lines, text);) {
        std::smatch match;
        EXPECT_TRUE(std::regex_match(text, match, line)) << text;
        findings.push_back(match[1].str() + ":" + match[2].str() + " " + match[3].str() + " " +
                           match[4].str());
    }
    return findings;
}

struct Case {
    const char* name;  // the file's name: its extension may tell its kind
    std::string text;
    std::vector<std::string> expected;
    const char* kind = nullptr;  // for --kind
};

TEST(LintTest, FindsEachMistakeAtItsLineAndColumn) {
    const std::vector<Case> cases = {
        {"quillmere.cfg", "ADR http://x/u.txt\r\nLOC \\v.txt\r\nTIT App\r\n", {}},
        {"a.cfg",
         "\xEF\xBB\xBF"
         "ADR http://x/u.txt\r\nLOC \\v.txt\r\n",
         {"1:1 error bom", "1:1 warning missing-setting"}},
        {"a.cfg",
         "ADR http://x/u.txt\nLOC \\v.txt\n",
         {"1:1 warning missing-setting", "1:19 error lf-line-end"}},
        {"a.cfg",
         "ADR http://x/u.txt\rLOC \\v.txt\r\n",
         {"1:1 warning missing-setting", "1:19 error lone-cr", "2:2 error unknown-command"}},
        {"a.qsc", "MSG hi\r", {"1:7 warning trailing-cr"}},
        {"a.qsc", "MKD \\a\r", {"1:7 warning trailing-cr"}},
        {"a.qsc", "MKD \\a\r\nMSG b\r", {"2:6 error trailing-cr"}},
        {"a.qsc", std::string("MSG a\0b\r\n", 9), {"1:6 error nul-byte"}},
        {"a.qsc",
         "MKD \\a\r\nmkd \\b\r\n XYZ\r\n   \r\nFOO bar\r\n\r\nMSG ok",
         {"2:1 error lowercase-command", "3:1 error unknown-command", "4:1 error unknown-command",
          "5:1 error unknown-command"}},
        {"a.qsc",
         "MKD:\\a\r\nDEL\r\nMSG\r\nDWN \r\n",
         {"1:4 error no-separator", "2:4 error no-argument", "3:4 error no-argument",
          "4:5 error no-argument"}},
        {"updates.txt",
         "CMV 1.0\r\nCMV 1.1;desc\r\nCMV 1.2;d;http://x/1.2.qsc;sha256=abc\r\nCMV 1.3;d;\r\n",
         {"1:8 error missing-field", "2:13 error missing-field", "3:28 error bad-pin",
          "4:11 error missing-url", "4:11 warning missing-pin"}},
        {"version.txt", "VER 1.2b\r\n", {"1:5 error bad-version"}},
        {"version.txt", "VER +1.2\r\n", {"1:5 warning version-format"}},
        {"updates.txt", "CMV 1.x;d;http://x/a" + kPin + "\r\n", {"1:5 error bad-version"}},
        {"a.qsc", "MSG a\r\nKEY abc\r\n", {"2:1 error key-outside-config"}},
        {"a.cfg",
         "ADR http://x/u.txt\r\nLOC \\v.txt\r\nKEY not base64!\r\n",
         {"3:5 error bad-key"}},
        {"a.qsc", "MSG a\r\nOFF\r\n\r\nMSG b\r\nMSG c\r\n", {"4:1 warning unreachable"}},
        {"updates.txt",
         "CMV 1.1;Fixes; faster;http://x/1.1.qsc" + kPin + "\r\n",
         {"1:14 warning semicolon-in-description"}},
        {"a.qsc",
         "DWN http://x/a;C:\\a.exe" + kPin + "\r\nDWN http://x/b;b.txt" + kPin +
             "\r\nDWN http://x/c;\\..\\c.txt" + kPin + "\r\nERD \\\r\nERD \\x\\..\\..\r\n" +
             "ERD \\cache\r\nERD cache\r\n",
         {"1:16 warning outside-folder", "2:16 warning outside-folder", "3:16 warning above-folder",
          "4:5 error erase-program-folder", "5:5 error erase-program-folder",
          "7:5 warning outside-folder"}},
        {"a.qsc",
         "DWN http://x/t.exe;\\tools\\t.exe" + kPin +
             "\r\nEXE WAIT:\\tools\\t /x\r\nEXE \\missing.exe /x\r\nEXE wait:\\tools\\t.exe\r\n",
         {"3:5 warning exe-not-found", "4:5 warning wait-prefix"}},
        {"a.qsc",
         "DWN http://x/a;\\a\r\nDWN http://x/a;\\a;extra\r\nDWN http://x/a;\\a" + kPin +
             ";more\r\n",
         {"1:18 warning missing-pin", "2:18 warning missing-pin", "2:19 warning ignored-field",
          "3:91 warning ignored-field"}},
        {"a.qsc",
         "DWN http://x/a;\\a;extra" + kPin + "\r\n",
         {"1:18 warning missing-pin", "1:19 warning ignored-field", "1:25 error ignored-pin"}},
        {"a.cfg",
         "ADR http://x/u.txt\r\nLOC \\v.txt\r\n# signed\r\n" + kKeyLine + "\r\n",
         {"3:1 error unknown-command", "3:1 error key-not-run"}},
        {"a.cfg",
         "ADR http://x/u.txt\r\nLOC \\v.txt\r\nOFF\r\n" + kKeyLine + "\r\n",
         {"3:1 warning unusual-command", "3:1 error key-not-run", "4:1 warning unreachable"}},
        {"a.cfg", "ADR http://x/u.txt\r\nLOC \\v.txt\r\n" + kKeyLine + "\r\nOFF\r\n\r\n",
         {"4:1 warning unusual-command"}},
        {"a.cfg",
         "ADR http://x/u.txt\nLOC \\v.txt\n" + kKeyLine + "\n",
         {"1:1 warning missing-setting", "1:1 error key-not-run", "1:19 error lf-line-end"}},
        {"a.cfg",
         "ADR http://x/u.txt\r\nLOC \\v.txt\r\n" + kKeyLine.substr(0, kKeyLine.size() - 6) +
             "61LQ==\r\n",
         {"3:5 error bad-key"}},
        {"a.qsc",
         "MSG a%CRLF%b%PTV%c %TITLE% 50% off %20 %E2%AC 100%%\r\n",
         {"1:13 warning unknown-placeholder", "1:20 warning unknown-placeholder"}},
        {"a.qsc",
         "MKD //server/share\r\nDEL \\*.txt\r\nLOC //?/C:/x\r\n",
         {"1:5 error bad-path", "2:5 error bad-path", "3:1 warning unusual-command",
          "3:5 error bad-path"}},
        {"updates.txt",
         "CMV 1.9;a;http://x/1.9.qsc" + kPin + "\r\nCMV 1.10;b;http://x/1.10.qsc" + kPin +
             "\r\nCMV 2.0;c;http://x/2.0.qsc" + kPin + "\r\n",
         {"2:5 warning version-order"}},
        {"version.txt", "", {"1:1 error missing-version"}, "version"},
    };
    for (const Case& test : cases) {
        LintFolder folder;
        const std::string path = folder.Write(test.name, test.text);
        const LintRun run = test.kind ? Lint({"--kind", test.kind, path}) : Lint({path});
        EXPECT_EQ(Findings(run.output), test.expected) << test.text << "\n" << run.output;
    }
}

TEST(LintTest, NamesBothVersionsOfAPairOrderedOtherwiseAsText) {
    LintFolder folder;
    const LintRun run = Lint({folder.Write("version.txt", "VER 1.10\r\n"),
                              folder.Write("updates.txt", "CMV 1.9;a;http://x/a" + kPin + "\r\n")});
    EXPECT_NE(run.output.find("updates.txt:1:5: warning: 1.9 will be offered over 1.10, a later "
                              "version: versions are compared as text without their dots, and "
                              "\"110\" does not sort after \"19\" [version-order]"),
              std::string::npos)
        << run.output;
}

TEST(LintTest, ChecksAcrossTheFilesOfOneRun) {
    LintFolder folder;
    const std::string config = folder.Write(
        "quillmere.cfg", "ADR http://x/updates.txt\r\nLOC \\v.txt\r\n" + kKeyLine + "\r\n");
    const std::string feed =
        folder.Write("server/updates.txt", "CMV 1.1;a;http://x/1.1/update.qsc" + kPin +
                                               "\r\nCMV 1.2;b;http://x/1.2/update.qsc\r\n");
    // 1.1's script downloads the program that 1.2's starts; 1.2's names the wrong version.
    const std::string first = folder.Write("server/1.1/update.qsc",
                                           "DWN http://x/t.exe;\\t.exe" + kPin + "\r\nVER 1.1\r\n");
    const std::string second = folder.Write("server/1.2/update.qsc", "EXE \\t.exe\r\nVER 1.3\r\n");

    EXPECT_EQ(
        Findings(Lint({feed, first, second}).output),
        (std::vector<std::string>{"2:34 warning missing-pin", "2:5 warning version-mismatch"}));
    // A configuration file with a KEY makes the missing pin an error, as --key-line does.
    EXPECT_EQ(Findings(Lint({config, feed, first, second}).output),
              (std::vector<std::string>{"2:34 error missing-pin", "2:5 warning version-mismatch"}));
    EXPECT_EQ(Findings(Lint({"--key-line", kKeyLine, feed}).output),
              (std::vector<std::string>{"2:34 error missing-pin"}));
    // Alone, 1.2's script starts a program nothing brings, unless --app holds it.
    EXPECT_EQ(Findings(Lint({second}).output),
              (std::vector<std::string>{"1:5 warning exe-not-found"}));
    const std::string app = fs::path(folder.Write("app/t.exe", "")).parent_path().string();
    EXPECT_EQ(Findings(Lint({"--app", app, second}).output), (std::vector<std::string>{}));
}

TEST(LintTest, ExitStatusesAndJson) {
    LintFolder folder;
    const std::string warned = folder.Write("a.qsc", "DWN http://x/a;\\a\r\n");
    const std::string clean = folder.Write("b.qsc", "MSG a\r\n");
    const std::string odd = folder.Write("odd\"name\x01\xE9.qsc", "mkd \\a\r\n");
    EXPECT_EQ(Lint({clean}).status, 0);
    EXPECT_EQ(Lint({warned}).status, 0);
    EXPECT_EQ(Lint({"--strict", warned}).status, 1);
    EXPECT_EQ(Lint({odd}).status, 1);
    EXPECT_EQ(Lint({folder.Write("c.qsc", "") + ".missing"}).status, 1);
    EXPECT_THROW(Lint({}), UsageError);
    EXPECT_THROW(Lint({"--kind", "other", clean}), UsageError);
    EXPECT_THROW(Lint({"--key-line", "KEY xyz", clean}), UsageError);

    EXPECT_EQ(Lint({"--format", "json", clean}).output, "[]\n");
    const std::string json = Lint({"--format", "json", odd}).output;
    const std::string name =
        fs::path(odd).parent_path().string() + "/odd\\\"name\\u0001\\u00e9.qsc";
    EXPECT_EQ(json, "[\n  {\"file\": \"" + name +
                        "\", \"line\": 1, \"column\": 1, \"severity\": \"error\", \"code\": "
                        "\"lowercase-command\", \"message\": \"\\\"mkd\\\" is written in lower "
                        "case; commands are capitals (MKD): the updater stops there with "
                        "UnknownCommand\"}\n]\n");
}

TEST(LintTest, LongLinesAndBinaryFilesEndWithBoundedReports) {
    LintFolder folder;
    // One 10 MB line: a DWN whose local file is 10 MB long, and an EXE of a 10 MB program.
    const std::string huge(10 << 20, 'x');
    const LintRun longLine =
        Lint({folder.Write("long.qsc", "DWN http://x/a;\\" + huge + kPin + "\r\nEXE \\" + huge)});
    EXPECT_EQ(Findings(longLine.output), (std::vector<std::string>{"2:5 warning exe-not-found"}));
    EXPECT_LT(longLine.output.size(), 1000u);

    std::string binary;
    for (std::size_t i = 0; i < (1 << 20); ++i) {
        binary += static_cast<char>((i * 7919u) >> 3);
    }
    const LintRun run = Lint({folder.Write("blob.bin", binary)});
    EXPECT_EQ(run.status, 1);
    const std::vector<std::string> findings = Findings(run.output);
    ASSERT_EQ(findings.size(), 1001u);
    EXPECT_TRUE(findings.back().ends_with("error too-many-findings")) << findings.back();
}

}  // namespace
