// Start-up of the real quillmere.exe: the window's labels from the language and configuration
// files, the missing-file messages, the program renamed, and closing the idle window.

#include <gtest/gtest.h>

#include "e2e/TestTexts.h"
#include "e2e/UiDriver.h"

namespace e2e {
namespace {

constexpr const char* kConfiguration =
    "ADR http://127.0.0.1:9/updates.txt\r\n"
    "LOC \\version.txt\r\n"
    "TIT Inkwell %CRLF% Notes\r\n";

constexpr const char* kMissingLanguageFileText =
    "Error :\r\n\r\nCan not find the language file.\r\n\r\n\r\n"
    "Please contact technical support of the software.";

// The value of `key` in the section "Quillmere" of a shipped language file.
std::string ShippedText(const std::string& key) {
    char value[1024] = {};
    const DWORD length = GetPrivateProfileStringA("Quillmere", key.c_str(), "", value, sizeof value,
                                                  SourcePath("lang\\quillmere.lng").c_str());
    return std::string(value, length);
}

std::string ReplaceEvery(std::string text, const std::string& placeholder, const std::string& value) {
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size())) {
        text.replace(at, placeholder.size(), value);
    }
    return text;
}

// A message box that reports a missing file: error icon, OK only, captioned "Quillmere", and
// no main window behind it. Answering it ends the program normally.
void ExpectFatalMessageThenEnd(const Program& program, const std::string& text) {
    MessageBoxWindow box = program.WaitForMessageBox();
    EXPECT_EQ(box.Text(), text);
    EXPECT_EQ(box.Caption(), "Quillmere");
    EXPECT_EQ(box.ButtonIds(), std::vector<int>{IDOK});
    EXPECT_EQ(box.Icon(), MessageBoxIcon::Error) << IconName(box.Icon());
    EXPECT_FALSE(program.FindMainWindow().has_value()) << program.Describe();

    box.Answer(IDOK);
    EXPECT_EQ(program.WaitForExit(), 0u);
}

TEST(StartUpTest, WindowShowsCaptionTitleWelcomeTextAndButtonsFromTheFiles) {
    ProgramFolder folder;
    folder.WriteLanguageFile(kTestLanguageFile);
    folder.WriteConfiguration(kConfiguration);
    Program program = Program::Start(folder);

    MainWindow window = program.WaitForMainWindow();
    // The caption replaces only %TITLE%; a %CRLF% in the title or in the text stays as written.
    EXPECT_EQ(window.Caption(), "Inkwell %CRLF% Notes updater %CRLF%");
    EXPECT_EQ(window.Title(), "Inkwell %CRLF% Notes");
    // Line breaks are replaced before the title goes in, so the title's %CRLF% stays literal.
    EXPECT_EQ(window.Log(), JoinLines({"[Welcome to Inkwell %CRLF% Notes]",
                                       "[Press Update for Inkwell %CRLF% Notes]"}));
    // Button captions are shown exactly as written.
    EXPECT_EQ(window.UpdateButtonCaption(), "[Update %TITLE%]");
    EXPECT_EQ(window.CloseButtonCaption(), "[Close%CRLF%]");
    EXPECT_TRUE(window.UpdateButtonEnabled());
    EXPECT_TRUE(window.CloseButtonEnabled());
    EXPECT_FALSE(program.FindMessageBox().has_value()) << program.Describe();
}

TEST(StartUpTest, ShippedEnglishTextsLabelTheWindowWithEveryPlaceholderFilledIn) {
    ProgramFolder folder;
    folder.CopyShippedLanguageFile();
    folder.WriteConfiguration("TIT Inkwell Notes\r\n");
    Program program = Program::Start(folder);

    MainWindow window = program.WaitForMainWindow();
    EXPECT_EQ(window.Caption(), ReplaceEvery(ShippedText("WindowsCaption"), "%TITLE%", "Inkwell Notes"));
    EXPECT_EQ(window.Log(), ReplaceEvery(ReplaceEvery(ShippedText("WelcomeMessage"), "%CRLF%", "\r\n"),
                                         "%TITLE%", "Inkwell Notes"));
    EXPECT_EQ(window.UpdateButtonCaption(), ShippedText("ButtonUpdate"));
    EXPECT_EQ(window.CloseButtonCaption(), ShippedText("ButtonClose"));
    for (const std::string& shown : {window.Caption(), window.Log(), window.UpdateButtonCaption(),
                                     window.CloseButtonCaption()}) {
        EXPECT_FALSE(shown.empty());
        EXPECT_EQ(shown.find('%'), std::string::npos) << shown;
    }
}

TEST(StartUpTest, MissingLanguageFileShowsTheBuiltInMessageAndNoWindow) {
    ProgramFolder folder;
    folder.WriteConfiguration(kConfiguration);
    Program program = Program::Start(folder);

    ExpectFatalMessageThenEnd(program, kMissingLanguageFileText);
}

TEST(StartUpTest, MissingConfigurationFileShowsItsMessageWithRealLineBreaksAndNoWindow) {
    ProgramFolder folder;
    folder.WriteLanguageFile(kTestLanguageFile);
    Program program = Program::Start(folder);

    ExpectFatalMessageThenEnd(program, "[No configuration]\r\n\r\n[Reinstall]");
}

TEST(StartUpTest, ConfigurationFolderInPlaceOfTheFileCountsAsMissing) {
    ProgramFolder folder;
    folder.WriteLanguageFile(kTestLanguageFile);
    CreateDirectoryA((folder / "quillmere.cfg").c_str(), nullptr);
    Program program = Program::Start(folder);

    ExpectFatalMessageThenEnd(program, "[No configuration]\r\n\r\n[Reinstall]");
}

TEST(StartUpTest, RenamedProgramReadsTheFilesOfItsNewName) {
    ProgramFolder folder("Inkwell-Updater.exe");
    folder.WriteLanguageFile(kTestLanguageFile);  // Inkwell-Updater.lng
    folder.WriteConfiguration("TIT Renamed\r\n");  // Inkwell-Updater.cfg
    // Files of the old name that must not be read.
    folder.WriteFile("quillmere.lng", "[Quillmere]\r\nWindowsCaption=Wrong file\r\n");
    folder.WriteFile("quillmere.cfg", "TIT Wrong file\r\n");
    Program program = Program::Start(folder);

    MainWindow window = program.WaitForMainWindow();
    EXPECT_EQ(window.Caption(), "Renamed updater %CRLF%");
    EXPECT_EQ(window.Title(), "Renamed");
}

TEST(StartUpTest, RenamedProgramWithOnlyTheOldNamesFilesMissesItsLanguageFile) {
    ProgramFolder folder("Inkwell-Updater.exe");
    folder.WriteFile("quillmere.lng", kTestLanguageFile);
    folder.WriteFile("quillmere.cfg", kConfiguration);
    Program program = Program::Start(folder);

    ExpectFatalMessageThenEnd(program, kMissingLanguageFileText);
}

class IdleWindowCloseTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.WriteLanguageFile(kTestLanguageFile);
        folder.WriteConfiguration(kConfiguration);
    }

    // The window of a fresh start, or the test stops.
    MainWindow Start() {
        program.emplace(Program::Start(folder));
        return program->WaitForMainWindow();
    }

    ProgramFolder folder;
    std::optional<Program> program;
};

TEST_F(IdleWindowCloseTest, CloseButtonEndsTheProgram) {
    Start().ClickClose();
    EXPECT_EQ(program->WaitForExit(), 0u);
}

TEST_F(IdleWindowCloseTest, CloseBoxEndsTheProgram) {
    Start().PressCloseBox();
    EXPECT_EQ(program->WaitForExit(), 0u);
}

TEST_F(IdleWindowCloseTest, CloseRequestEndsTheProgram) {
    Start().PostClose();
    EXPECT_EQ(program->WaitForExit(), 0u);
}

}  // namespace
}  // namespace e2e
