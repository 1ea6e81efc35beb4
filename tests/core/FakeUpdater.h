#pragma once
// Fakes of the seam for the native tests: the recording window (FakeWindow.h) and an in-memory
// platform (files, folders, INI values, downloads, programs).

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/FakeWindow.h"
#include "core/update/Updater.h"

// A stand-in for SHA-256 and ECDSA, deterministic and keyed on exact bytes: FakeDigest mixes
// every byte, and a signature verifies only when it is FakeSign(key, digest).
Sha256Digest FakeDigest(std::string_view bytes);
P256Signature FakeSign(const P256PublicKey& key, const Sha256Digest& digest);

class FakeCrypto : public Crypto, public Clock {
public:
    std::unique_ptr<Sha256Hasher> NewSha256() override;
    // The fake's keys are any 64 bytes but all zeros, which is no point of the real curve either.
    bool IsP256PublicKey(const P256PublicKey& key) override { return key != P256PublicKey{}; }
    bool VerifyP256(const P256PublicKey& key, const Sha256Digest& digest,
                    const P256Signature& signature) override {
        return signature == FakeSign(key, digest);
    }
    std::string UtcNow() override { return now; }

    std::string now = "2026-06-01T12:00:00Z";
};

// Every role of the platform in one object, so a test sets up files, texts, server and programs
// in one place.
class FakePlatform : public ProgramHome,
                     public FileSystem,
                     public ProgramLauncher,
                     public Downloader,
                     public FakeCrypto {
public:
    UpdaterPlatform Roles() { return {*this, *this, *this, *this, *this, *this}; }

    std::string ProgramFolder() override { return programFolder; }
    std::string ProgramName() override { return programName; }
    std::string ReadIniString(const std::string& file, const std::string& section,
                              const std::string& key) override;
    bool FileExists(const std::string& path) override { return files.count(path) != 0; }
    std::string ReadFileBytes(const std::string& path) override;
    void RemoveFile(const std::string& path) override;
    bool VisibleEntryExists(const std::string& path) override;
    bool AnyFileExists(const std::string& path) override { return FileExists(path); }
    std::string FinalPath(const std::string& path) override;
    void MakeFolder(const std::string& path) override;
    void RemoveEmptyFolder(const std::string& path) override;
    void ResetAttributesAndDelete(const std::string& path) override;
    bool EraseDirectory(const std::string& path) override;
    bool EntryExists(const std::string& path) override;
    std::vector<std::string> EntryNames(const std::string& folder) override;
    std::string ActualName(const std::string& path) override;
    EntryStamp ReadStamp(const std::string& path) override;
    void WriteStamp(const std::string& path, const EntryStamp& stamp) override;
    void MoveEntry(const std::string& from, const std::string& to, bool replace) override;
    std::string ProgramsUsing(const std::string& path) override;
    std::unique_ptr<AppendOnlyFile> OpenForAppend(const std::string& path) override;
    bool LaunchExecutable(const std::string& commandLine, bool wait, int windowStyle) override;
    DownloadResult DownloadFile(const std::string& url, const std::string& localPath,
                                DownloadKind kind,
                                const std::optional<Sha256Digest>& expected) override;

    std::string programFolder = "C:\\App";
    std::string programName = "quillmere";
    std::map<std::string, std::string> languageTexts;  // keys of the "Quillmere" section
    std::string languageFile = "C:\\App\\quillmere.lng";
    std::map<std::string, std::string> files;  // path -> content
    std::set<std::string> unreadable;          // files that exist but cannot be read
    std::set<std::string> folders;
    std::map<std::string, std::string> links;   // folder link -> the folder it points to
    std::map<std::string, std::string> server;  // URL -> body
    std::vector<std::string> downloads;         // URLs fetched, in order
    std::vector<DownloadKind> downloadKinds;    // the kind of each fetch, in the same order
    std::vector<std::string> launches;          // "WAIT " or "" + command line
    std::set<std::string> launchable;           // command lines that start
    int lastWindowStyle = -1;                   // of the last launch
    std::set<std::string> undeletable;          // paths whose removal, erase or DEL fails
    // Called during a download, for tests that need to act while it runs.
    std::function<void(const std::string& url)> onDownload;
    // Called once a download has stored its file, as another process could then change it.
    std::function<void(const std::string& localPath)> onStored;

    // Attributes (without the folder bit) and times of files and folders; missing: all 0.
    // Every entry created, removed or renamed gives its folder a new last-write time, as the
    // real file systems do, so that an undo that forgets a folder's times is seen.
    std::map<std::string, EntryStamp> stamps;
    std::map<std::string, std::string> inUse;  // path -> programs holding it (MoveEntry refuses)
    // The number of the change (a write, a removal, a rename, a stamp, a journal line, a
    // stored download, counted from 0) that fails; -1: none. `crash` makes it throw
    // FakeCrash, which no trap catches, as if the process had been killed there.
    int failingChange = -1;
    bool crash = false;
    int changes = 0;

    // Everything the fake disk holds, as tests compare it before and after an update.
    struct Disk {
        std::map<std::string, std::string> files;
        std::set<std::string> folders;
        std::map<std::string, EntryStamp> stamps;  // of every file and folder
        bool operator==(const Disk&) const = default;
    };
    Disk Snapshot();

private:
    void Change();
    void Touch(const std::string& path);
    std::uint64_t clock_ = 1000;
};

// Thrown by FakePlatform at its failing change when `crash` is set: not a std::exception.
struct FakeCrash {};

// A complete English-like set of texts whose values name their keys, so that a log can be
// compared with a list of keys.
std::map<std::string, std::string> KeyNamedTexts();

// An updater in C:\App with its language and configuration files, started up.
struct FakeUpdater {
    explicit FakeUpdater(const std::string& configuration =
                             "ADR http://server/info.txt\r\n"
                             "LOC \\version.txt\r\n"
                             "TIT Demo Software");

    // Loads `script` into the buffer and runs it, as a caller of the interpreter does.
    void Run(const std::string& script);

    FakeWindow window;
    FakePlatform platform;
    Updater updater{window, platform.Roles()};
    ScriptInterpreter& interpreter = updater.Interpreter();
    UpdaterState& state = interpreter.State();
};
