// simulate: the real updater's roles over a copy of the program's folder, recorded and reported.

#include "windows/publisher/Simulation.h"

#include <windows.h>

#include <filesystem>
#include <ostream>
#include <stdexcept>

#include "core/crypto/SignatureFile.h"
#include "core/update/Updater.h"
#include "publisher/simulate/FolderSnapshot.h"
#include "publisher/simulate/MappedTransport.h"
#include "publisher/simulate/RecordingUpdaterWindow.h"
#include "publisher/simulate/SimulatedDownloader.h"
#include "publisher/simulate/SkippedLauncher.h"
#include "windows/crypto/CngCrypto.h"
#include "windows/net/WinInetTransport.h"
#include "windows/net/WindowsTemporaryFiles.h"
#include "windows/system/Directories.h"
#include "windows/system/WindowsClock.h"
#include "windows/system/WindowsFileSystem.h"
#include "windows/system/WindowsProgramHome.h"
#include "windows/win32/AnsiText.h"
#include "windows/win32/Win32Error.h"

namespace fs = std::filesystem;

namespace {

// The failure `code` of a system call, after `what` was tried.
std::runtime_error SystemFailure(DWORD code, const std::string& what) {
    return std::runtime_error(what + ": " + Win32Error::SystemMessage(code));
}

// Paths on the command line and in scripts are ANSI text; std::filesystem wants them wide.
fs::path PathOf(const std::string& ansi) {
    return fs::path(WideFromAnsi(ansi));
}

std::string AnsiOf(const fs::path& path) {
    return AnsiFromWide(path.native());
}

// The program's name in the folder: the stem of its only configuration file, else "quillmere".
std::string ProgramNameIn(const fs::path& folder) {
    std::string name = "quillmere";
    int found = 0;
    for (const auto& item : fs::directory_iterator(folder)) {
        if (item.is_regular_file() && item.path().extension() == L".cfg") {
            name = AnsiOf(item.path().stem());
            ++found;
        }
    }
    return found == 1 ? name : "quillmere";
}

// A new, empty folder in the user's temporary folder, removed with everything in it on
// destruction unless kept.
class CopyFolder {
public:
    CopyFolder() {
        char temp[MAX_PATH + 1];
        const DWORD length = GetTempPathA(sizeof temp, temp);
        if (length == 0 || length > MAX_PATH)
            throw SystemFailure(GetLastError(), "finding the temporary folder");
        for (unsigned n = 0; path_.empty(); ++n) {
            const std::string candidate = std::string(temp, length) + "quillmere-simulate-" +
                                          std::to_string(GetCurrentProcessId()) + "-" +
                                          std::to_string(n);
            if (CreateDirectoryA(candidate.c_str(), nullptr)) {
                path_ = candidate;
            } else if (const DWORD code = GetLastError();
                       code != ERROR_ALREADY_EXISTS || n == 1000) {
                throw SystemFailure(code, "creating " + candidate);
            }
        }
    }
    CopyFolder(const CopyFolder&) = delete;
    CopyFolder& operator=(const CopyFolder&) = delete;
    ~CopyFolder() {
        if (!keep_)
            EraseDirectory(path_ + "\\");
    }

    const std::string& Path() const { return path_; }
    void Keep() { keep_ = true; }

private:
    std::string path_;
    bool keep_ = false;
};

// Copies everything under `from` into the existing folder `to`, with the system's own copy, so
// that attributes (read-only, hidden, system) come along.
void CopyTree(const fs::path& from, const fs::path& to) {
    for (const auto& item : fs::recursive_directory_iterator(from)) {
        const fs::path target = to / item.path().lexically_relative(from);
        const bool copied = item.is_directory()
                                ? CreateDirectoryExW(item.path().c_str(), target.c_str(), nullptr)
                                : CopyFileW(item.path().c_str(), target.c_str(), TRUE);
        if (!copied) {
            const DWORD code = GetLastError();
            throw SystemFailure(code, "copying " + AnsiOf(item.path()));
        }
    }
}

// The program's home in the copy: its folder, and the name of the files found there.
class CopyHome final : public WindowsProgramHome {
public:
    CopyHome(std::string folder, std::string name)
        : folder_(std::move(folder)), name_(std::move(name)) {}
    std::string ProgramFolder() override { return folder_; }
    std::string ProgramName() override { return name_; }

private:
    std::string folder_;
    std::string name_;
};

// The lines of `text` (CR LF between them), each after `indent`.
void WriteIndented(std::ostream& out, const std::string& text, const char* indent) {
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        out << indent << text.substr(start, end - start) << "\n";
    out << indent << text.substr(start) << "\n";
}

void WriteBoxes(std::ostream& out, const std::vector<RecordedMessageBox>& boxes) {
    out << "\n== message boxes\n";
    int number = 0;
    for (const RecordedMessageBox& box : boxes) {
        out << ++number << ". after log line " << box.afterLogLine << ": Quillmere ("
            << IconName(box.style) << " icon; " << ButtonNames(box.style) << ") -> "
            << AnswerName(box.answer) << "\n";
        WriteIndented(out, box.text, "   | ");
    }
    if (boxes.empty())
        out << "(none)\n";
}

void WriteStarts(std::ostream& out, const std::vector<SkippedStart>& starts) {
    out << "\n== programs not started\n";
    for (const SkippedStart& start : starts) {
        out << "after log line " << start.afterLogLine << ": would start "
            << (start.wait ? "and wait for " : "") << start.commandLine << "\n";
    }
    if (starts.empty())
        out << "(none)\n";
}

void WriteDownloads(std::ostream& out, const SimulatedDownloader& downloader,
                    const MappedTransport& http) {
    out << "\n== downloads\n";
    for (const RecordedDownload& download : downloader.Downloads()) {
        out << ResultName(download.result) << ": " << download.url;
        if (const std::optional<std::string> file = http.LocalFileFor(download.url))
            out << "  (from " << *file << ")";
        out << (download.pinned ? "  [pinned]" : "") << "\n";
    }
    if (downloader.Downloads().empty())
        out << "(none)\n";
}

}  // namespace

int RunSimulation(const SimulateOptions& options, std::ostream& out) {
    const fs::path app = PathOf(options.app);
    if (!fs::is_directory(app))
        throw std::runtime_error("--app " + options.app + " is not a folder");
    const bool feedIsFile = !options.feed.empty() && !IsUrl(options.feed);
    if (feedIsFile && !fs::is_regular_file(PathOf(options.feed)))
        throw std::runtime_error("--feed " + options.feed + " is not a file");

    CngCrypto crypto;
    WinInetTransport network;
    MappedTransport http(network, PathOf);
    for (const UrlMapping& map : options.maps) {
        if (!fs::is_directory(PathOf(map.folder)))
            throw std::runtime_error("--map folder " + map.folder + " is not a folder");
        http.Map(map);
    }

    CopyFolder copy;
    if (options.keep)
        copy.Keep();
    CopyTree(app, PathOf(copy.Path()));
    const FolderSnapshot before = TakeFolderSnapshot(PathOf(copy.Path()), crypto);

    RecordingUpdaterWindow window(options.answerYes);
    SkippedLauncher launcher(window);
    WindowsTemporaryFiles temporaryFiles;
    SimulatedDownloader downloader(http, temporaryFiles, crypto);
    WindowsFileSystem files;
    WindowsClock clock;
    CopyHome home(copy.Path(), ProgramNameIn(app));
    Updater updater(window, {home, files, launcher, downloader, crypto, clock});

    out << "Simulating an update check of " << options.app << " on a copy in " << copy.Path()
        << (options.keep ? " (kept)" : "") << "\n";
    const bool started = updater.StartUp();
    UpdaterState& state = updater.Interpreter().State();
    if (started && !options.feed.empty()) {
        if (feedIsFile) {
            // Served at the configuration's URL, so its signature is checked for that URL.
            http.ServeFile(state.UpdateInfoUrl, options.feed);
            http.ServeFile(SignatureUrl(state.UpdateInfoUrl), options.feed + ".sig");
        } else {
            state.UpdateInfoUrl = options.feed;
        }
    }
    if (started) {
        out << "Update information: " << state.UpdateInfoUrl
            << (feedIsFile ? " (answered with " + options.feed + ")" : std::string()) << "\n";
        updater.RunUpdateCheck();
    }

    out << "\n== progress log\n";
    for (const std::string& line : window.LogLines()) out << line << "\n";
    WriteBoxes(out, window.Boxes());
    WriteStarts(out, launcher.Starts());
    WriteDownloads(out, downloader, http);
    out << "\n== changes to the folder\n";
    if (WriteFolderChanges(before, TakeFolderSnapshot(PathOf(copy.Path()), crypto), out) == 0)
        out << "(none)\n";

    const bool closedEarly = window.CloseRequested() && state.ExitAfterUpdate == 0;
    const std::vector<RecordedDownload>& downloads = downloader.Downloads();
    const bool failed = !started || closedEarly || state.UpdateFailed != 0 || downloads.empty() ||
                        downloads.front().result != DownloadResult::Stored;
    out << "\n== "
        << (failed ? "the update check ended on the failed path"
                   : "the update check ended normally")
        << "\n";
    return failed ? 1 : 0;
}
