// One update script using every command, run end to end through the real quillmere.exe: the
// files on disk afterwards, the message box of MSG, the wait of EXE, and the log.

#include "e2e/UpdateSession.h"

namespace e2e {
namespace {

class UpdateScriptTest : public UpdateSession {
protected:
    void SetUp() override {
        UpdateSession::SetUp();
        // What the update replaces: a folder tree with read-only and hidden files, an empty
        // folder and a read-only file.
        CreateDirectoryA((folder / "old-data").c_str(), nullptr);
        CreateDirectoryA((folder / "old-data\\nested").c_str(), nullptr);
        folder.WriteFile("old-data\\plain.txt", "plain");
        folder.WriteFile("old-data\\nested\\locked.txt", "read-only");
        SetFileAttributesA((folder / "old-data\\nested\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        folder.WriteFile("old-data\\nested\\secret.txt", "hidden");
        SetFileAttributesA((folder / "old-data\\nested\\secret.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
        CreateDirectoryA((folder / "empty-folder").c_str(), nullptr);
        folder.WriteFile("obsolete.txt", "old version");
        SetFileAttributesA((folder / "obsolete.txt").c_str(), FILE_ATTRIBUTE_READONLY);

        helperBytes = ReadFileText(BuildPath("e2e_helper.exe"));
        server.WriteFile("e2e_helper.exe", helperBytes);
        server.WriteFile("readme.txt", "Inkwell 2.0 read me\r\n");
    }

    std::string helperBytes;
};

TEST_F(UpdateScriptTest, EveryCommandDoesItsWorkOnDiskAndInTheLog) {
    server.WriteFile("updates.txt", "CMV 2.0;Everything;" + server.Url("2.0.qsc") + "\r\n"
                                    "CMV 1.5;Older than the new version;" + server.Url("1.5.qsc") + "\r\n");
    server.WriteFile("2.0.qsc",
                     "MKD \\bin\r\n"
                     "MKD \\bin\r\n"  // already there: nothing happens
                     "DWN " + server.Url("e2e_helper.exe") + ";\\bin\\e2e_helper.exe\r\n"
                     "DWN " + server.Url("readme.txt") + ";\\bin\\readme.txt;ignored third field\r\n"
                     "MSG Inkwell 2.0 is installed.%CRLF%Enjoy; really %TITLE%.\r\n"
                     // The helper writes its file after 300 ms; DEL finds it only if EXE waited.
                     "EXE WAIT:\\bin\\e2e_helper.exe 300 waited.txt\r\n"
                     "DEL \\bin\\waited.txt\r\n"
                     "EXE \\bin\\e2e_helper.exe 0 not-waited.txt\r\n"
                     "ERD \\old-data\r\n"
                     "RMD \\empty-folder\r\n"
                     "RMD \\not-there\r\n"  // missing: nothing happens
                     "DEL \\obsolete.txt\r\n"
                     "DEL \\not-there.txt\r\n"
                     "VER 2.0\r\n");
    MainWindow window = StartAndClickUpdate();
    AnswerOffer("Everything", IDYES);

    MessageBoxWindow message = program->WaitForMessageBox();
    // MSG replaces %CRLF% only; ";" has no meaning in its text.
    EXPECT_EQ(message.Text(), "Inkwell 2.0 is installed.\r\nEnjoy; really %TITLE%.");
    EXPECT_EQ(message.Caption(), "Quillmere");
    EXPECT_EQ(message.ButtonIds(), std::vector<int>{IDOK});
    EXPECT_EQ(message.Icon(), MessageBoxIcon::Information) << IconName(message.Icon());
    EXPECT_EQ(window.LogLines().back(), "[Downloaded %CRLF%]");
    EXPECT_TRUE(folder.Exists("old-data"));  // the lines after MSG wait for its answer
    message.Answer(IDOK);

    WaitForRunEnd(window, "[Scan finished]");
    // VER 2.0 made the later 1.5 line older than the installed version: no second offer.
    EXPECT_EQ(window.LogLines(),
              Concat(kRunOpening, {"[Found an update of Inkwell]", "[Updating]", "[Please wait]",
                                   "[Creating folder]", "[Folder created]",           // MKD
                                   "[Downloading]", "[a file]", "[Downloaded %CRLF%]",  // DWN
                                   "[Downloading]", "[a file]", "[Downloaded %CRLF%]",  // DWN
                                   "[Deleting]", "[Deleted]",                           // DEL waited
                                   "[Deleting]", "[Deleted]",                           // ERD
                                   "[Deleting]", "[Deleted]",                           // RMD
                                   "[Deleting]", "[Deleted]",                           // DEL
                                   "[Update finished]", "[Scan finished]"}));

    EXPECT_EQ(folder.ReadFile("bin\\e2e_helper.exe"), helperBytes);
    EXPECT_EQ(folder.ReadFile("bin\\readme.txt"), "Inkwell 2.0 read me\r\n");
    EXPECT_FALSE(folder.Exists("bin\\waited.txt"));
    EXPECT_FALSE(folder.Exists("old-data"));
    EXPECT_FALSE(folder.Exists("empty-folder"));
    EXPECT_FALSE(folder.Exists("obsolete.txt"));
    EXPECT_FALSE(folder.Exists("Script.qsc"));
    EXPECT_FALSE(folder.Exists("version.txt.tmp"));
    EXPECT_EQ(server.RequestCount("1.5.qsc"), 0);
    // Started without WAIT, the second helper finishes on its own.
    WaitUntil([&] { return folder.Exists("bin\\not-waited.txt"); }, "the helper started without WAIT to write its file",
              [&] { return "  files in bin: " + std::to_string(folder.List("bin").size()) + "\n"; });
    EXPECT_EQ(folder.ReadFile("bin\\not-waited.txt"), "written after 0 ms\r\n");
}

TEST_F(UpdateScriptTest, MissingProgramAndFailedDownloadReportTheirLines) {
    server.WriteFile("updates.txt", "CMV 1.1;Launch;" + server.Url("1.1.qsc") + "\r\n");
    server.WriteFile("1.1.qsc", "EXE WAIT:\\bin\\missing.exe\r\nMKD \\never\r\n");
    MainWindow window = StartAndClickUpdate();
    AnswerOffer("Launch", IDYES);

    MessageBoxWindow error = program->WaitForMessageBox();
    EXPECT_EQ(error.Text(), "[Error]\r\n[Launch failed]\r\n[Line: EXE WAIT:\\bin\\missing.exe]");
    EXPECT_EQ(error.Icon(), MessageBoxIcon::Error) << IconName(error.Icon());
    error.Answer(IDOK);
    WaitForRunEnd(window, "[Update failed]");
    EXPECT_FALSE(folder.Exists("never"));

    // A second run: the download of a file the server does not have.
    const std::string download = "DWN " + server.Url("absent.bin") + ";\\absent.bin";
    server.WriteFile("1.1.qsc", download + "\r\nMKD \\never\r\n");
    window.ClickUpdate();
    AnswerOffer("Launch", IDYES);
    error = program->WaitForMessageBox();
    EXPECT_EQ(error.Text(), "[Error]\r\n[Download failed]\r\n[Line: " + download + "]");
    error.Answer(IDOK);
    WaitForRunEnd(window, "[Update failed]");
    EXPECT_EQ(window.LogLines(),
              Concat(kRunOpening, {"[Found an update of Inkwell]", "[Updating]", "[Please wait]",
                                   "[Downloading]", "[a file]", "[Update failed]"}));
    EXPECT_FALSE(folder.Exists("absent.bin"));
    EXPECT_FALSE(folder.Exists("never"));
}

}  // namespace
}  // namespace e2e
