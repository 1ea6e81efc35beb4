// An update script's DWN over the file of a program that runs, end to end: the running file is
// renamed aside and the new one put in its place with no box beyond the offer's, the aside copy
// stays hidden while the old program runs and goes at the next start. Once for a program of the
// software, once for quillmere.exe itself.

#include "e2e/UpdateSession.h"

namespace e2e {
namespace {

class RunningProgramTest : public UpdateSession {
protected:
    // Offers 2.0, whose update script downloads `bytes` over `target`, and runs the update to
    // its end: the offer's two boxes and no other.
    void UpdateOver(const std::string& target, const std::string& bytes) {
        server.WriteFile("new.exe", bytes);
        server.WriteFile("updates.txt", "CMV 2.0;Replaced;" + server.Url("2.0.qsc") + "\r\n");
        server.WriteFile("2.0.qsc", "DWN " + server.Url("new.exe") + ";\\" + target + "\r\n");
        window.emplace(StartAndClickUpdate());
        AnswerOffer("Replaced", IDYES);
        WaitForRunEnd(*window, "[Scan finished]");
        EXPECT_EQ(
            window->LogLines(),
            Concat(kRunOpening,
                   {"[Found an update of Inkwell]", "[Updating]", "[Please wait]", "[Downloading]",
                    "[a file]", "[Downloaded %CRLF%]", "[Update finished]", "[Scan finished]"}));
        EXPECT_FALSE(program->FindMessageBox().has_value()) << program->Describe();
        EXPECT_EQ(folder.ReadFile(target), bytes);
    }

    // The entries named "~qm..." in the program folder.
    std::vector<std::string> OwnEntries() const {
        std::vector<std::string> own;
        for (const std::string& name : folder.List()) {
            if (name.rfind("~qm", 0) == 0) {
                own.push_back(name);
            }
        }
        return own;
    }

    // While the old program runs, its file waits aside, hidden, on the leftovers list.
    void ExpectAsideCopyOf(const std::string& oldBytes) const {
        const std::vector<std::string> own = OwnEntries();
        ASSERT_EQ(own.size(), 2u) << testing::PrintToString(own);
        EXPECT_EQ(own[0], "~qm.leftovers");
        const std::string& aside = own[1];
        EXPECT_EQ(aside.size(), std::string("~qm12345678.old").size()) << aside;
        EXPECT_EQ(aside.substr(aside.size() - 4), ".old");
        const DWORD attributes = GetFileAttributesA((folder / aside).c_str());
        EXPECT_NE(attributes & FILE_ATTRIBUTE_HIDDEN, 0u) << "attributes " << attributes;
        EXPECT_EQ(folder.ReadFile(aside), oldBytes);
    }

    // Closes the updater, starts it again and waits for its window.
    void RestartUpdater() {
        window->ClickClose();
        EXPECT_EQ(program->WaitForExit(), 0u);
        program.emplace(Program::Start(folder));
        window.emplace(program->WaitForMainWindow());
    }

    std::optional<MainWindow> window;
};

TEST_F(RunningProgramTest, ARunningProgramIsReplacedAndItsOldFileGoesAtTheNextStart) {
    const std::string oldBytes = ReadFileText(BuildPath("e2e_helper.exe"));
    folder.CopyFile(BuildPath("e2e_helper.exe"), "app.exe");
    Program app = Program::Start(folder / "app.exe", "600000 ran.txt");  // sleeps ten minutes

    UpdateOver("app.exe", oldBytes + "2.0");
    EXPECT_TRUE(app.IsRunning());
    ExpectAsideCopyOf(oldBytes);

    app.Terminate();
    RestartUpdater();
    EXPECT_EQ(OwnEntries(), std::vector<std::string>{});
    EXPECT_FALSE(folder.Exists("ran.txt"));
}

TEST_F(RunningProgramTest, TheUpdaterReplacesItselfAndTheNextStartRunsTheNewOne) {
    // One byte more after the image: still the same program to Windows, but other bytes.
    const std::string oldBytes = folder.ReadFile("quillmere.exe");
    const std::string newBytes = oldBytes + "Q";

    UpdateOver("quillmere.exe", newBytes);
    ExpectAsideCopyOf(oldBytes);

    RestartUpdater();
    EXPECT_EQ(folder.ReadFile("quillmere.exe"), newBytes);
    EXPECT_EQ(OwnEntries(), std::vector<std::string>{});
}

}  // namespace
}  // namespace e2e
