// Parts of the windows that need no window: the program's version information as the About box
// shows it, and the scaling of the 96-DPI layouts to other DPIs.

#include <windows.h>

#include <gtest/gtest.h>

#include "QuillmereVersion.h"
#include "windows/ui/ProgramVersion.h"
#include "windows/TempFolder.h"
#include "windows/win32/DpiScale.h"

namespace {

std::string QuillmerePath() {
    return std::string(QUILLMERE_BINARY_DIR) + "\\quillmere.exe";
}

TEST(ProgramVersionTest, ReadsTheProgramsProductNameAndVersion) {
    const ProgramVersion version = ReadProgramVersion(QuillmerePath());
    EXPECT_EQ(version.productName, "Quillmere for Microsoft\xAE Windows\xAE");
    EXPECT_EQ(VersionLine(version), "Version : " QUILLMERE_VERSION ".0");
}

TEST(ProgramVersionTest, FileWithoutVersionInformationGivesNoNameAndVersionZero) {
    TempFolder folder;
    WriteFileBytes(folder / "plain.txt", "no version here");
    for (const std::string& path : {folder / "plain.txt", folder / "missing.exe"}) {
        const ProgramVersion version = ReadProgramVersion(path);
        EXPECT_EQ(version.productName, "") << path;
        EXPECT_EQ(VersionLine(version), "Version : 0.0.0.0") << path;
    }
}

TEST(ProgramVersionTest, VersionLineWritesEachNumberInPlainDecimal) {
    ProgramVersion version;
    version.major = 10;
    version.minor = 2;
    version.build = 0;
    version.revision = 65535;
    EXPECT_EQ(VersionLine(version), "Version : 10.2.0.65535");
}

TEST(DpiScaleTest, LengthsScaleToTheNearestPixel) {
    EXPECT_EQ(ScaleForDpi(494, 96), 494);
    EXPECT_EQ(ScaleForDpi(494, 144), 741);
    EXPECT_EQ(ScaleForDpi(75, 144), 113);  // 112.5
    EXPECT_EQ(ScaleForDpi(53, 120), 66);   // 66.25
    EXPECT_EQ(ScaleForDpi(53, 192), 106);
    EXPECT_EQ(ScaleForDpi(-3, 144), -5);  // -4.5: away from zero, as MulDiv rounds
}

TEST(DpiScaleTest, RectanglesThatTouchKeepTouching) {
    for (UINT dpi : {96u, 120u, 144u, 168u, 192u}) {
        const RECT upper = ScaleRectForDpi(7, 80, 480, 209, dpi);
        const RECT lower = ScaleRectForDpi(7, 289, 480, 7, dpi);
        EXPECT_EQ(upper.bottom, lower.top) << dpi;
        EXPECT_EQ(upper.left, ScaleForDpi(7, dpi)) << dpi;
        EXPECT_EQ(upper.right, ScaleForDpi(487, dpi)) << dpi;
    }
}

TEST(DpiScaleTest, FrameAroundAClientAreaIsLargerOnEverySide) {
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    const RECT frame = WindowRectForClient(494, 368, style, 0, 96);
    EXPECT_EQ(frame.left, 0);
    EXPECT_EQ(frame.top, 0);
    RECT expected = {0, 0, 494, 368};
    AdjustWindowRectEx(&expected, style, FALSE, 0);
    EXPECT_EQ(frame.right, expected.right - expected.left);
    EXPECT_EQ(frame.bottom, expected.bottom - expected.top);
}

TEST(DpiScaleTest, FontsAreSizedInPointsAtTheDpi) {
    for (UINT dpi : {96u, 144u}) {
        FontHandle font = CreateScaledFont("Arial", 1800, FW_BOLD, dpi);
        LOGFONTA description = {};
        ASSERT_TRUE(GetObjectA(font.Get(), sizeof description, &description));
        EXPECT_EQ(description.lfHeight, dpi == 96 ? -24 : -36);
        EXPECT_EQ(description.lfWeight, FW_BOLD);
        EXPECT_EQ(description.lfCharSet, ANSI_CHARSET);
        EXPECT_STREQ(description.lfFaceName, "Arial");
    }
    FontHandle dialog = CreateDialogFont(120, true);
    LOGFONTA description = {};
    ASSERT_TRUE(GetObjectA(dialog.Get(), sizeof description, &description));
    EXPECT_EQ(description.lfHeight, -14);  // 8.25 points at 120 DPI: 13.75 pixels
    EXPECT_EQ(description.lfWeight, FW_BOLD);
    EXPECT_STREQ(description.lfFaceName, "MS Shell Dlg");
}

}  // namespace
