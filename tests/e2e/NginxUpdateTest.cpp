// Updates against nginx (scripts/test-env): a whole update over HTTPS, and nginx's error
// replies, which must fail a download exactly as a missing file does.

#include "e2e/UpdateSession.h"

namespace e2e {
namespace {

constexpr char kOldProgram[] = "Inkwell 1.0 program";
constexpr int kErrorStatuses[] = {401, 403, 410, 500, 503};

class NginxUpdateTest : public UpdateSession {
protected:
    void SetUp() override {
        UpdateSession::SetUp();
        folder.WriteFile("app.exe", kOldProgram);
    }

    // nginx's answer `status` with its own HTML error page, for any file name.
    static std::string StatusUrl(int status, const std::string& file) {
        return RequiredEnvironment("QUILLMERE_NGINX_URL") + "/status/" + std::to_string(status) +
               "/" + file;
    }

    // The program folder holds what it held before the run, and nothing more.
    void ExpectNothingChanged(int status) {
        EXPECT_EQ(folder.ReadFile("app.exe"), kOldProgram) << status;
        EXPECT_EQ(folder.ReadFile("version.txt"), "VER 1.0\r\n") << status;
        EXPECT_EQ(folder.List(),
                  (std::vector<std::string>{"app.exe", "quillmere.cfg", "quillmere.exe",
                                            "quillmere.lng", "version.txt"}))
            << status;
    }
};

TEST_F(NginxUpdateTest, WholeUpdateOverHttpsReplacesTheProgramAndRecordsTheVersion) {
    const FixtureFolder tls(CurrentTestName(), kNginxHttps);
    WriteConfiguration(tls.Url("updates.txt"));
    tls.WriteFile("updates.txt", "CMV 1.1;Secure;" + tls.Url("1.1.qsc") + "\r\n");
    tls.WriteFile("1.1.qsc", "DWN " + tls.Url("1.1/app.exe") + ";\\app.exe\r\nDWN " +
                                 tls.Url("1.1/version.txt") + ";\\version.txt\r\nVER 1.1\r\n");
    tls.WriteFile("1.1/app.exe", "Inkwell 1.1 program");
    tls.WriteFile("1.1/version.txt", "VER 1.1\r\n");
    MainWindow window = StartAndClickUpdate();
    AnswerOffer("Secure", IDYES);

    WaitForRunEnd(window, "[Scan finished]");
    EXPECT_EQ(window.LogLines(),
              Concat(kRunOpening,
                     {"[Found an update of Inkwell]", "[Updating]", "[Please wait]",
                      "[Downloading]", "[a file]", "[Downloaded %CRLF%]", "[Downloading]",
                      "[a file]", "[Downloaded %CRLF%]", "[Update finished]", "[Scan finished]"}));
    EXPECT_EQ(folder.ReadFile("app.exe"), "Inkwell 1.1 program");
    EXPECT_EQ(folder.ReadFile("version.txt"), "VER 1.1\r\n");
}

TEST_F(NginxUpdateTest, ErrorStatusOfADownloadFailsTheLineAndKeepsTheOldFileAndVersion) {
    server.WriteFile("updates.txt", "CMV 1.1;Refused;" + server.Url("1.1.qsc") + "\r\n");
    server.WriteFile("1.1/version.txt", "VER 1.1\r\n");
    program.emplace(Program::Start(folder));
    MainWindow window = program->WaitForMainWindow();
    // One run per status, in the same window: each fails and leaves it ready for the next.
    for (int status : kErrorStatuses) {
        const std::string download = "DWN " + StatusUrl(status, "app.exe") + ";\\app.exe";
        server.WriteFile("1.1.qsc", download + "\r\nDWN " + server.Url("1.1/version.txt") +
                                        ";\\version.txt\r\nVER 1.1\r\n");
        window.ClickUpdate();
        AnswerOffer("Refused", IDYES);

        MessageBoxWindow error = program->WaitForMessageBox();
        EXPECT_EQ(error.Text(), "[Error]\r\n[Download failed]\r\n[Line: " + download + "]");
        error.Answer(IDOK);
        WaitForRunEnd(window, "[Update failed]");
        EXPECT_EQ(
            window.LogLines(),
            Concat(kRunOpening, {"[Found an update of Inkwell]", "[Updating]", "[Please wait]",
                                 "[Downloading]", "[a file]", "[Update failed]"}))
            << status;
        ExpectNothingChanged(status);
    }
    EXPECT_EQ(server.RequestCount("1.1/version.txt"), 0);
}

TEST_F(NginxUpdateTest, ErrorStatusOfTheUpdateInformationIsReportedAsNotDownloaded) {
    for (int status : kErrorStatuses) {
        WriteConfiguration(StatusUrl(status, "updates.txt"));
        MainWindow window = StartAndClickUpdate();
        WaitForRunEnd(window, "[Try later]");
        EXPECT_EQ(window.Log(),
                  JoinLines({"[Research %CRLF%]", "[Information not downloaded]", "[Try later]"}))
            << status;
        EXPECT_FALSE(program->FindMessageBox().has_value()) << program->Describe();
        window.PressCloseBox();  // the next status needs a program started afresh
        EXPECT_EQ(program->WaitForExit(), 0u);
        ExpectNothingChanged(status);
    }
}

}  // namespace
}  // namespace e2e
