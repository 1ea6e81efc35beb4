// MKD, RMD, ERD and DEL: existence tests, log lines, the path rule, failures and the trap.

#include <gtest/gtest.h>

#include "core/FakeUpdater.h"

namespace {

using Lines = std::vector<std::string>;

class FileSystemCommandsTest : public ::testing::Test {
protected:
    FileSystemCommandsTest() { app.window.log.clear(); }

    // The log after the run, without the empty first line that the first append leaves.
    Lines LoggedLines() const {
        Lines lines = app.window.LogLines();
        lines.erase(lines.begin());
        return lines;
    }

    void ExpectOneErrorBox(const std::string& text) {
        ASSERT_EQ(app.window.boxes.size(), 1u);
        EXPECT_EQ(app.window.boxes[0].text, text);
        EXPECT_EQ(app.window.boxes[0].style, MessageBoxStyle::Error);
        EXPECT_EQ(app.state.UpdateHandled, 1);
        EXPECT_EQ(app.state.UpdateFailed, 1);
    }

    void ExpectNothingHappened() {
        EXPECT_EQ(app.window.log, "");
        EXPECT_EQ(app.window.eventPasses, 0);
        EXPECT_TRUE(app.window.boxes.empty());
        EXPECT_EQ(app.state.UpdateHandled, 0);
        EXPECT_EQ(app.state.UpdateFailed, 0);
        EXPECT_EQ(app.state.SoftwareTitle, "next line ran");
    }

    FakeUpdater app;
};

// --- MKD -------------------------------------------------------------------------------------

TEST_F(FileSystemCommandsTest, MkdCreatesTheFolderBetweenItsTwoMessages) {
    app.Run("MKD \\data\r\nTIT next");
    EXPECT_EQ(app.platform.folders.count("C:\\App\\data"), 1u);
    EXPECT_EQ(LoggedLines(), (Lines{"CreateDirectory", "DirectoryCreated"}));
    EXPECT_EQ(app.window.eventPasses, 1);
    EXPECT_TRUE(app.window.boxes.empty());
    EXPECT_EQ(app.state.SoftwareTitle, "next");
}

TEST_F(FileSystemCommandsTest, MkdOfAnExistingFolderOrFileDoesNothing) {
    app.platform.folders.insert("C:\\App\\data");
    app.platform.files["C:\\App\\taken"] = "a file";
    app.Run("MKD \\data\r\nMKD C:\\App\\taken\r\nTIT next line ran");
    ExpectNothingHappened();
    EXPECT_EQ(app.platform.folders.count("C:\\App\\taken"), 0u);
}

TEST_F(FileSystemCommandsTest, MkdOfAMissingParentReportsTheSystemsDescription) {
    app.Run("MKD \\no\\data\r\nTIT not run");
    EXPECT_EQ(LoggedLines(), (Lines{"CreateDirectory"}));
    ExpectOneErrorBox("Error: The system cannot find the path specified. in line [MKD \\no\\data]");
    EXPECT_EQ(app.interpreter.Buffer().Text(), "TIT not run");
}

// --- RMD -------------------------------------------------------------------------------------

TEST_F(FileSystemCommandsTest, RmdRemovesAnEmptyFolder) {
    app.platform.folders.insert("C:\\App\\old");
    app.Run("RMD \\old");
    EXPECT_EQ(app.platform.folders.count("C:\\App\\old"), 0u);
    EXPECT_EQ(LoggedLines(), (Lines{"DeleteMessage", "EndDeleteMessage"}));
    EXPECT_EQ(app.window.eventPasses, 1);
    EXPECT_TRUE(app.window.boxes.empty());
}

TEST_F(FileSystemCommandsTest, RmdOfAMissingFolderDoesNothing) {
    app.Run("RMD \\old\r\nTIT next line ran");
    ExpectNothingHappened();
}

TEST_F(FileSystemCommandsTest, RmdOfAFolderThatHoldsAFileIsReported) {
    app.platform.folders.insert("C:\\App\\old");
    app.platform.files["C:\\App\\old\\keep.txt"] = "x";
    app.Run("RMD \\old\r\nTIT not run");
    EXPECT_EQ(LoggedLines(), (Lines{"DeleteMessage"}));
    ExpectOneErrorBox("Error: The directory is not empty. in line [RMD \\old]");
    EXPECT_EQ(app.platform.files.count("C:\\App\\old\\keep.txt"), 1u);
    EXPECT_EQ(app.interpreter.Buffer().Text(), "TIT not run");
}

// --- ERD -------------------------------------------------------------------------------------

TEST_F(FileSystemCommandsTest, ErdErasesTheFolderAndOnlyIt) {
    // Without the "\" that ERD adds, the sibling whose name starts alike would go too.
    for (const std::string line : {"ERD \\data", "ERD \\data\\", "ERD C:\\App\\data"}) {
        FakeUpdater fresh;
        fresh.window.log.clear();
        fresh.platform.folders.insert("C:\\App\\data");
        fresh.platform.folders.insert("C:\\App\\data\\sub");
        fresh.platform.files["C:\\App\\data\\sub\\a.txt"] = "a";
        fresh.platform.files["C:\\App\\database.txt"] = "keep";
        fresh.Run(line);
        EXPECT_EQ(fresh.platform.folders.count("C:\\App\\data"), 0u) << line;
        EXPECT_EQ(fresh.platform.files.count("C:\\App\\data\\sub\\a.txt"), 0u) << line;
        EXPECT_EQ(fresh.platform.files.count("C:\\App\\database.txt"), 1u) << line;
        EXPECT_EQ(fresh.window.log, "\r\nDeleteMessage\r\nEndDeleteMessage") << line;
        EXPECT_EQ(fresh.window.eventPasses, 1) << line;
        EXPECT_TRUE(fresh.window.boxes.empty()) << line;
    }
}

TEST_F(FileSystemCommandsTest, ErdOfAMissingFolderDoesNothing) {
    app.Run("ERD \\data\r\nTIT next line ran");
    ExpectNothingHappened();
}

TEST_F(FileSystemCommandsTest, ErdThatFailsReportsItsKeyAndLogsNoEnd) {
    app.platform.folders.insert("C:\\App\\data");
    app.platform.files["C:\\App\\data\\locked.dll"] = "x";
    app.platform.undeletable.insert("C:\\App\\data\\locked.dll");
    app.Run("ERD \\data\r\nTIT not run");
    EXPECT_EQ(LoggedLines(), (Lines{"DeleteMessage"}));
    ExpectOneErrorBox("Error: EraseDirectoryError in line [ERD \\data]");
    EXPECT_EQ(app.interpreter.Buffer().Text(), "TIT not run");
}

TEST_F(FileSystemCommandsTest, ErdOfTheUpdatersOwnFolderIsRefused) {
    // An empty argument, "\", the folder written out in any way, a folder above it, or a link
    // to either.
    for (const std::string line :
         {"ERD ", "ERD \\", "ERD C:\\App", "ERD C:\\App\\", "ERD \\.\\", "ERD \\data\\..",
          "ERD c:\\aPP", "ERD C:\\", "ERD C:\\App\\..\\App", "ERD C:\\Links\\app", "ERD \\self",
          "ERD C:\\Links\\root\\"}) {
        FakeUpdater fresh;
        fresh.window.log.clear();
        fresh.platform.links = {
            {"C:\\Links\\app", "C:\\App"}, {"C:\\App\\self", "C:\\App"}, {"C:\\Links\\root", "C:"}};
        fresh.Run(line + "\r\nTIT not run");
        ASSERT_EQ(fresh.window.boxes.size(), 1u) << line;
        EXPECT_EQ(fresh.window.boxes[0].text, "Error: EraseDirectoryError in line [" + line + "]");
        EXPECT_EQ(fresh.window.log, "") << line;
        EXPECT_EQ(fresh.platform.folders.count("C:\\App"), 1u) << line;
        EXPECT_EQ(fresh.platform.files.count("C:\\App\\quillmere.cfg"), 1u) << line;
        EXPECT_EQ(fresh.state.UpdateFailed, 1) << line;
        EXPECT_EQ(fresh.interpreter.Buffer().Text(), "TIT not run") << line;
    }
}

TEST_F(FileSystemCommandsTest, ErdWithoutArgumentIsReportedLikeTheTrap) {
    app.Run("ERD\r\nTIT not run");
    ExpectOneErrorBox(
        "Error: The line has no argument: a command must be followed by a separator "
        "character and its argument. in line [ERD]");
    EXPECT_EQ(app.interpreter.Buffer().Text(), "TIT not run");
}

// --- DEL -------------------------------------------------------------------------------------

TEST_F(FileSystemCommandsTest, DelDeletesTheFile) {
    app.platform.files["C:\\App\\old.txt"] = "x";
    app.Run("DEL \\old.txt");
    EXPECT_EQ(app.platform.files.count("C:\\App\\old.txt"), 0u);
    EXPECT_EQ(LoggedLines(), (Lines{"DeleteMessage", "EndDeleteMessage"}));
    EXPECT_EQ(app.window.eventPasses, 1);
}

TEST_F(FileSystemCommandsTest, DelOfAMissingFileOrOfAFolderDoesNothing) {
    app.platform.folders.insert("C:\\App\\data");
    app.Run("DEL \\old.txt\r\nDEL \\data\r\nTIT next line ran");
    ExpectNothingHappened();
    EXPECT_EQ(app.platform.folders.count("C:\\App\\data"), 1u);
}

TEST_F(FileSystemCommandsTest, DelThatFailsIsReportedWithTheSystemsDescription) {
    app.platform.files["C:\\App\\in-use.dll"] = "x";
    app.platform.undeletable.insert("C:\\App\\in-use.dll");
    app.Run("DEL \\in-use.dll\r\nTIT not run");
    EXPECT_EQ(LoggedLines(), (Lines{"DeleteMessage"}));
    ExpectOneErrorBox("Error: Access is denied. in line [DEL \\in-use.dll]");
}

// --- Common to the four ----------------------------------------------------------------------

TEST_F(FileSystemCommandsTest, WildcardsAreRefusedBeforeAnythingIsTouched) {
    struct Case {
        const char* line;
        const char* path;  // as the report shows it: after the path rule (and ERD's "\")
    };
    for (const Case& c : {Case{"MKD \\new*", "C:\\App\\new*"}, Case{"RMD \\d?ta", "C:\\App\\d?ta"},
                          Case{"ERD \\*", "C:\\App\\*\\"}, Case{"DEL \\*.txt", "C:\\App\\*.txt"},
                          Case{"DEL C:\\App\\quillmere.?fg", "C:\\App\\quillmere.?fg"}}) {
        FakeUpdater fresh;
        fresh.window.log.clear();
        fresh.platform.folders.insert("C:\\App\\data");
        fresh.platform.files["C:\\App\\a.txt"] = "x";
        fresh.Run(std::string(c.line) + "\r\nTIT not run");
        ASSERT_EQ(fresh.window.boxes.size(), 1u) << c.line;
        EXPECT_EQ(fresh.window.boxes[0].text,
                  std::string("Error: Wildcards (\"*\" and \"?\") are not allowed in a path: ") +
                      c.path + " in line [" + c.line + "]");
        EXPECT_EQ(fresh.window.log, "") << c.line;
        EXPECT_EQ(fresh.platform.folders.count("C:\\App\\data"), 1u) << c.line;
        EXPECT_EQ(fresh.platform.files.count("C:\\App\\a.txt"), 1u) << c.line;
        EXPECT_EQ(fresh.platform.files.count("C:\\App\\quillmere.cfg"), 1u) << c.line;
        EXPECT_EQ(fresh.state.UpdateFailed, 1) << c.line;
        EXPECT_EQ(fresh.interpreter.Buffer().Text(), "TIT not run") << c.line;
    }
}

TEST_F(FileSystemCommandsTest, MessagesAreLoggedExactlyAsRead) {
    app.platform.languageTexts["CreateDirectory"] = "Creating%CRLF%%TITLE%";
    app.platform.languageTexts["DirectoryCreated"] = "Done %CRLF%";
    app.platform.languageTexts["DeleteMessage"] = "Del %CML%";
    app.platform.languageTexts["EndDeleteMessage"] = "%ERROR%";
    app.platform.files["C:\\App\\x"] = "x";
    app.Run("MKD \\d\r\nDEL \\x");
    EXPECT_EQ(LoggedLines(),
              (Lines{"Creating%CRLF%%TITLE%", "Done %CRLF%", "Del %CML%", "%ERROR%"}));
}

TEST_F(FileSystemCommandsTest, PathsWithoutALeadingBackslashAreUsedAsWritten) {
    app.platform.folders.insert("D:\\Tools");
    app.Run("MKD D:\\Tools\\new\r\nMKD data");
    EXPECT_EQ(app.platform.folders.count("D:\\Tools\\new"), 1u);
    EXPECT_EQ(app.platform.folders.count("data"), 1u);
    EXPECT_EQ(app.platform.folders.count("C:\\App\\data"), 0u);
}

// A lone CR at the end of a script is a failure only once the trap is armed: an observable
// way to tell which commands arm it, even when their target makes them do nothing.
TEST_F(FileSystemCommandsTest, MkdRmdAndDelArmTheTrapButErdDoesNot) {
    struct Case {
        const char* line;
        bool arms;
    };
    for (const Case& c : {Case{"MKD \\exists", true}, Case{"RMD \\missing", true},
                          Case{"DEL \\missing", true}, Case{"ERD \\missing", false}}) {
        FakeUpdater fresh;
        fresh.platform.folders.insert("C:\\App\\exists");
        fresh.Run(std::string(c.line) + "\r\nTIT b\r");
        EXPECT_EQ(fresh.window.boxes.size(), c.arms ? 1u : 0u) << c.line;
        EXPECT_EQ(fresh.state.SoftwareTitle, c.arms ? "Demo Software" : "b") << c.line;
    }
}

TEST_F(FileSystemCommandsTest, ErdFailureInAnUpdateScriptIsReportedWithTheCmvLine) {
    // ERD does not arm the trap, so a failure of its own steps passes to the CMV line.
    app.platform.server["http://server/s.qsc"] = "ERD \\*\r\nTIT not run";
    app.state.InstalledVersion = "1.0";
    app.Run("CMV 1.1;d;http://server/s.qsc");
    ASSERT_EQ(app.window.boxes.size(), 3u);
    EXPECT_EQ(app.window.boxes[2].text,
              "Error: Wildcards (\"*\" and \"?\") are not allowed in a path: C:\\App\\*\\ in line "
              "[CMV 1.1;d;http://server/s.qsc]");
    EXPECT_EQ(app.state.SoftwareTitle, "Demo Software");
}

TEST_F(FileSystemCommandsTest, MkdFailureInAnUpdateScriptIsReportedWithItsOwnLine) {
    app.platform.server["http://server/s.qsc"] = "MKD \\no\\such";
    app.state.InstalledVersion = "1.0";
    app.Run("CMV 1.1;d;http://server/s.qsc");
    ASSERT_EQ(app.window.boxes.size(), 3u);
    EXPECT_EQ(app.window.boxes[2].text,
              "Error: The system cannot find the path specified. in line [MKD \\no\\such]");
}

}  // namespace
