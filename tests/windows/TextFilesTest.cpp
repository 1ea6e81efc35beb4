// ReadIniString on real INI files, the file-existence rule and LoadScriptFile's raw bytes.

#include <gtest/gtest.h>

#include "windows/system/WindowsFileSystem.h"
#include "windows/system/IniFiles.h"
#include "windows/TempFolder.h"

namespace {

WindowsFileSystem files;

class IniFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFileBytes(file,
                       "[Quillmere]\r\n"
                       "Plain=Hello world\r\n"
                       "Empty=\r\n"
                       "Spaced=   padded value   \r\n"
                       "Quoted=\"in quotes\"\r\n"
                       "Long=" +
                           std::string(1500, 'x') +
                           "\r\n"
                           "[Other]\r\n"
                           "Plain=Other section\r\n");
    }

    TempFolder folder;
    std::string file = folder / "texts.lng";
};

TEST_F(IniFilesTest, ReadsAValueOfTheSection) {
    EXPECT_EQ(ReadIniString(file, "Quillmere", "Plain"), "Hello world");
    EXPECT_EQ(ReadIniString(file, "Other", "Plain"), "Other section");
}

TEST_F(IniFilesTest, MissingFileSectionOrKeyAndEmptyValueGiveTheEmptyText) {
    EXPECT_EQ(ReadIniString(folder / "none.lng", "Quillmere", "Plain"), "");
    EXPECT_EQ(ReadIniString(file, "Missing", "Plain"), "");
    EXPECT_EQ(ReadIniString(file, "Quillmere", "Absent"), "");
    EXPECT_EQ(ReadIniString(file, "Quillmere", "Empty"), "");
}

TEST_F(IniFilesTest, LongValueIsCutTo1023Characters) {
    EXPECT_EQ(ReadIniString(file, "Quillmere", "Long"), std::string(1023, 'x'));
}

TEST_F(IniFilesTest, BlanksAndQuotesAreTreatedAsTheSystemDoes) {
    EXPECT_EQ(ReadIniString(file, "Quillmere", "Spaced"), "padded value");
    EXPECT_EQ(ReadIniString(file, "Quillmere", "Quoted"), "in quotes");
}

TEST_F(IniFilesTest, EachLookupSeesTheFileAsItIsNow) {
    EXPECT_EQ(ReadIniString(file, "Quillmere", "Plain"), "Hello world");
    WriteFileBytes(file, "[Quillmere]\r\nPlain=Changed\r\n");
    EXPECT_EQ(ReadIniString(file, "Quillmere", "Plain"), "Changed");
}

class FileExistenceTest : public ::testing::Test {
protected:
    TempFolder folder;
};

TEST_F(FileExistenceTest, OrdinaryAndReadOnlyFilesExist) {
    WriteFileBytes(folder / "plain.txt", "x");
    WriteFileBytes(folder / "readonly.txt", "x");
    SetFileAttributesA((folder / "readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(files.FileExists(folder / "plain.txt"));
    EXPECT_TRUE(files.FileExists(folder / "readonly.txt"));
}

TEST_F(FileExistenceTest, HiddenSystemFilesFoldersAndEmptyPathsCountAsMissing) {
    WriteFileBytes(folder / "hidden.txt", "x");
    SetFileAttributesA((folder / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    WriteFileBytes(folder / "system.txt", "x");
    SetFileAttributesA((folder / "system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
    CreateDirectoryA((folder / "sub").c_str(), nullptr);
    EXPECT_FALSE(files.FileExists(folder / "hidden.txt"));
    EXPECT_FALSE(files.FileExists(folder / "system.txt"));
    EXPECT_FALSE(files.FileExists(folder / "sub"));
    EXPECT_FALSE(files.FileExists(folder / "missing.txt"));
    EXPECT_FALSE(files.FileExists(""));
}

TEST(ReadFileBytesTest, KeepsEveryByteHighBytesAndNulIncluded) {
    TempFolder folder;
    std::string bytes;
    for (int value = 0; value < 256; ++value) {
        bytes += static_cast<char>(value);
    }
    bytes += "\r\n\n\r";
    WriteFileBytes(folder / "script.qsc", bytes);
    EXPECT_EQ(files.ReadFileBytes(folder / "script.qsc"), bytes);
    WriteFileBytes(folder / "empty.qsc", "");
    EXPECT_EQ(files.ReadFileBytes(folder / "empty.qsc"), "");
}

TEST(ReadFileBytesTest, MissingFileThrowsWithTheSystemsDescription) {
    TempFolder folder;
    try {
        files.ReadFileBytes(folder / "missing.qsc");
        FAIL() << "no exception";
    } catch (const std::exception& failure) {
        EXPECT_STRNE(failure.what(), "");
    }
}

}  // namespace
