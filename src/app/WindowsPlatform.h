#pragma once
// UpdaterPlatform over Win32: the program's files, INI values, folders, programs and WinINet.

#include <windows.h>

#include "app/UpdaterPlatform.h"
#include "app/UpdaterWindow.h"

class WindowsPlatform : public UpdaterPlatform {
public:
    // Downloads and program waits show progress on `progressBar` and keep `window` responsive.
    WindowsPlatform(UpdaterWindow& window, HWND progressBar)
        : window_(window), progressBar_(progressBar) {}

    std::string ProgramFolder() override;
    std::string ProgramName() override;
    std::string ReadIniString(const std::string& file, const std::string& section,
                              const std::string& key) override;
    bool FileExists(const std::string& path) override;
    std::string ReadFileBytes(const std::string& path) override;
    void RemoveFile(const std::string& path) override;
    std::string FullPathName(const std::string& path) override;
    bool VisibleEntryExists(const std::string& path) override;
    bool AnyFileExists(const std::string& path) override;
    void MakeFolder(const std::string& path) override;
    void RemoveEmptyFolder(const std::string& path) override;
    void ResetAttributesAndDelete(const std::string& path) override;
    bool EraseDirectory(const std::string& path) override;
    bool LaunchExecutable(const std::string& commandLine, bool wait, int windowStyle) override;
    bool DownloadFile(const std::string& url, const std::string& localPath) override;

private:
    UpdaterWindow& window_;
    HWND progressBar_;
};

// The full path of the running program file.
std::string ProgramFilePath();
