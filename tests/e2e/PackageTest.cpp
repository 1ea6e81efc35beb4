// The release as a publisher unzips it: quillmere.exe started in the unzipped folder, beside the
// sample configuration and version files and the English language file, opens its window with
// the sample's title, and its About box shows the version the build was made as.
//
// scripts/package --check runs it in scripts/test-env with QUILLMERE_PACKAGE_DIR (the unzipped
// folder, a Windows path) and QUILLMERE_PACKAGE_VERSION (CMake's project version, e.g. 2.0.0).

#include <gtest/gtest.h>

#include <algorithm>

#include "e2e/UiDriver.h"
#include "windows/ui/HelpAbout.h"
#include "windows/ui/SystemMenuHook.h"

namespace e2e {
namespace {

// "Version : " and the version in four numbers, as the About box shows it: 2.0.0 is 2.0.0.0.
std::string AboutVersionLine(std::string version) {
    for (int dots = static_cast<int>(std::count(version.begin(), version.end(), '.')); dots < 3;
         ++dots) {
        version += ".0";
    }
    return "Version : " + version;
}

TEST(PackageTest, UnzippedProgramOpensItsWindowWithTheSampleFilesAndShowsItsVersion) {
    const std::string folder = RequiredEnvironment("QUILLMERE_PACKAGE_DIR");
    const std::string version = RequiredEnvironment("QUILLMERE_PACKAGE_VERSION");
    Program program = Program::Start(folder + "\\quillmere.exe");

    MainWindow window = program.WaitForMainWindow();
    // The sample configuration's TIT line, in the English language file's caption.
    EXPECT_EQ(window.Title(), "My Application");
    EXPECT_EQ(window.Caption(), "My Application - Update");
    EXPECT_TRUE(window.UpdateButtonEnabled());
    EXPECT_FALSE(program.FindMessageBox().has_value()) << program.Describe();

    PostMessageA(window.Handle(), WM_SYSCOMMAND, kSystemMenuAboutId, 0);
    HWND box = program.WaitForAboutBox();
    EXPECT_EQ(WindowText(GetDlgItem(box, kAboutVersionId)), AboutVersionLine(version));
    EXPECT_EQ(WindowText(GetDlgItem(box, kAboutProductNameId)),
              "Quillmere for Microsoft\xAE Windows\xAE");

    ClickButton(GetDlgItem(box, kAboutOkButtonId));
    WaitUntil([&] { return !IsWindow(box); }, "the About box closed",
              [&] { return program.Describe(); });
    window.ClickClose();
    EXPECT_EQ(program.WaitForExit(), 0u);
}

}  // namespace
}  // namespace e2e
