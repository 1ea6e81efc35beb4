#pragma once
// The updater's platform on Windows: the program's home and file system as they are, programs
// and downloads that keep the main window responsive while they wait.

#include <windows.h>

#include "core/seam/UpdaterPlatform.h"
#include "core/seam/UpdaterWindow.h"
#include "windows/crypto/CngCrypto.h"
#include "windows/system/WindowsClock.h"
#include "windows/system/WindowsFileSystem.h"
#include "windows/system/WindowsProgramHome.h"

// LaunchExecutable, processing the window's events while it waits for a program.
class WindowsProgramLauncher final : public ProgramLauncher {
public:
    explicit WindowsProgramLauncher(UpdaterWindow& window) : window_(window) {}
    bool LaunchExecutable(const std::string& commandLine, bool wait, int windowStyle) override;

private:
    UpdaterWindow& window_;
};

// DownloadFile, with its progress on the window's bar and the window's events processed while
// it waits.
class WindowsDownloader final : public Downloader {
public:
    WindowsDownloader(UpdaterWindow& window, HWND progressBar, Crypto& crypto)
        : window_(window), progressBar_(progressBar), crypto_(crypto) {}
    DownloadResult DownloadFile(const std::string& url, const std::string& localPath,
                                DownloadKind kind,
                                const std::optional<Sha256Digest>& expected) override;

private:
    UpdaterWindow& window_;
    HWND progressBar_;
    Crypto& crypto_;
};

// All the roles, for the main window (and for tests that run the real platform).
class WindowsPlatform {
public:
    WindowsPlatform(UpdaterWindow& window, HWND progressBar)
        : launcher(window), downloader(window, progressBar, crypto) {}
    WindowsPlatform(const WindowsPlatform&) = delete;
    WindowsPlatform& operator=(const WindowsPlatform&) = delete;

    UpdaterPlatform Roles() { return {home, files, launcher, downloader, crypto, clock}; }

    CngCrypto crypto;  // before the downloader, which uses it
    WindowsClock clock;
    WindowsProgramHome home;
    WindowsFileSystem files;
    WindowsProgramLauncher launcher;
    WindowsDownloader downloader;
};
