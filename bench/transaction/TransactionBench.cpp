// Benchmarks of an update script's transaction on real files (Windows, under Wine), each against
// a baseline measured in the same run:
//
//   transaction_bench downloads
//       200 DWN lines over existing files of 64 KiB, run by the interpreter in an update
//       script's transaction, then its commit: with the journal on the disk, and with the
//       journal switched off (the steps kept in memory only). Beside them, for what the
//       transaction costs as a whole, the same lines outside any update script, replacing the
//       files directly. Prints the times and the ratios.
//   transaction_bench erase
//       ERD of a tree of 10,000 files in an update script, then a failing line (the rollback
//       renames the tree back), against the same ERD followed by the commit (which erases it).
//       Prints the time of each and what the rollback adds, as a share of the commit's path.
//
// Output: "key=value" lines, read by scripts/bench.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/QuietWindow.h"
#include "common/WallClock.h"
#include "core/script/ScriptInterpreter.h"
#include "core/transaction/UpdateTransaction.h"
#include "windows/net/WindowsTemporaryFiles.h"
#include "windows/system/Directories.h"
#include "windows/system/WindowsFileSystem.h"
#include "windows/win32/ScopedHandles.h"

namespace {

constexpr int kDownloads = 200;
constexpr std::size_t kFileBytes = 64 * 1024;
constexpr int kTreeFiles = 10000;

void Fail(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    std::exit(1);
}

// The roles the commands measured here do not use, and a downloader that stores the same bytes
// as a real download does: a temporary file beside the target, flushed, renamed onto it.
class BenchRoles final : public ProgramHome,
                         public ProgramLauncher,
                         public Downloader,
                         public Crypto,
                         public Clock,
                         public InUsePrompt {
public:
    std::string ProgramFolder() override { return folder; }
    std::string ProgramName() override { return "quillmere"; }
    std::string ReadIniString(const std::string&, const std::string&,
                              const std::string&) override {
        return {};
    }
    bool LaunchExecutable(const std::string&, bool, int) override { return false; }
    std::unique_ptr<Sha256Hasher> NewSha256() override { return nullptr; }
    bool IsP256PublicKey(const P256PublicKey&) override { return false; }
    bool VerifyP256(const P256PublicKey&, const Sha256Digest&, const P256Signature&) override {
        return false;
    }
    std::string UtcNow() override { return {}; }
    bool RetryInUse(const std::string&) override { return false; }

    DownloadResult DownloadFile(const std::string&, const std::string& localPath, DownloadKind,
                                const std::optional<Sha256Digest>&) override {
        std::unique_ptr<TemporaryFile> file = temporaryFiles.CreateBeside(localPath);
        if (!file || !file->Write(body) || !file->Flush() || !file->ReplaceTarget()) {
            if (file) {
                file->Discard();
            }
            return DownloadResult::Failed;
        }
        return DownloadResult::Stored;
    }

    std::string folder;
    std::string body = std::string(kFileBytes, 'q');
    WindowsTemporaryFiles temporaryFiles;
};

struct Bench {
    explicit Bench(const std::string& folder) {
        roles.folder = folder;
        state.AppPath = folder;
    }
    ScriptInterpreter& Interpreter() { return interpreter; }

    WindowsFileSystem files;
    BenchRoles roles;
    QuietWindow window;
    UpdaterState state;
    ScriptBuffer buffer;
    std::string park;
    LanguageTexts texts{roles};
    ScriptInterpreter interpreter{state, buffer, park, texts, window,
                                  UpdaterPlatform{roles, files, roles, roles, roles, roles}};
};

std::string NewFolder(const std::string& name) {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    const std::string folder = std::string(base) + name + "-" + std::to_string(GetCurrentProcessId());
    EraseDirectory(folder + "\\");
    if (!CreateDirectoryA(folder.c_str(), nullptr)) {
        Fail("cannot create " + folder);
    }
    return folder;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                              nullptr)) {
        Fail("cannot write " + path);
    }
}

// --- downloads ---------------------------------------------------------------------------------

std::string DownloadScript() {
    std::string script;
    for (int index = 0; index < kDownloads; ++index) {
        script += "DWN http://bench/" + std::to_string(index) + ";\\file-" +
                  std::to_string(index) + ".dat\r\n";
    }
    return script;
}

enum class Mode { Journal, JournalOff, NoTransaction };

// One run of the 200 lines over existing files, in seconds.
double DownloadRun(Mode mode) {
    const std::string folder = NewFolder("quillmere-transaction-bench");
    for (int index = 0; index < kDownloads; ++index) {
        WriteFile(folder + "\\file-" + std::to_string(index) + ".dat", "old");
    }
    Bench bench(folder);
    UpdateTransaction transaction(bench.files, folder, bench.roles,
                                  mode == Mode::Journal ? UpdateTransaction::Journal::OnDisk
                                                        : UpdateTransaction::Journal::InMemory);
    bench.buffer.SetText(DownloadScript());
    const double start = Seconds();
    if (mode != Mode::NoTransaction) {
        bench.interpreter.SetTransaction(&transaction);
        bench.interpreter.InterpretScript(RunKind::Nested);
        bench.interpreter.SetTransaction(nullptr);
        transaction.Commit();
    } else {
        bench.interpreter.InterpretScript(RunKind::Nested);
    }
    const double elapsed = Seconds() - start;
    if (bench.state.UpdateFailed != 0) {
        Fail("the downloads failed");
    }
    EraseDirectory(folder + "\\");
    return elapsed;
}

int Downloads() {
    double journal = 1e9;
    double journalOff = 1e9;
    double direct = 1e9;
    for (int round = 0; round < 5; ++round) {
        direct = std::min(direct, DownloadRun(Mode::NoTransaction));
        journalOff = std::min(journalOff, DownloadRun(Mode::JournalOff));
        journal = std::min(journal, DownloadRun(Mode::Journal));
    }
    std::printf("downloads_journal_s=%.4f\n", journal);
    std::printf("downloads_journal_off_s=%.4f\n", journalOff);
    std::printf("downloads_direct_s=%.4f\n", direct);
    return 0;
}

// --- erase -------------------------------------------------------------------------------------

void FillTree(const std::string& tree) {
    if (!CreateDirectoryA(tree.c_str(), nullptr)) {
        Fail("cannot create " + tree);
    }
    for (int sub = 0; sub < 10; ++sub) {
        const std::string folder = tree + "\\part-" + std::to_string(sub);
        CreateDirectoryA(folder.c_str(), nullptr);
        for (int index = 0; index < kTreeFiles / 10; ++index) {
            WriteFile(folder + "\\file-" + std::to_string(index) + ".dat", "x");
        }
    }
}

// ERD of the tree, then the failing line's rollback or the commit, in seconds.
double EraseRun(bool fails) {
    const std::string folder = NewFolder("quillmere-transaction-erase-bench");
    FillTree(folder + "\\tree");
    Bench bench(folder);
    UpdateTransaction transaction(bench.files, folder, bench.roles);
    bench.buffer.SetText(fails ? "ERD \\tree\r\nXYZ" : "ERD \\tree");
    const double start = Seconds();
    bench.interpreter.SetTransaction(&transaction);
    bench.interpreter.InterpretScript(RunKind::Nested);
    bench.interpreter.SetTransaction(nullptr);
    if (fails) {
        if (!transaction.RollBack().empty()) {
            Fail("the rollback did not restore the tree");
        }
    } else {
        transaction.Commit();
    }
    const double elapsed = Seconds() - start;
    if ((bench.state.UpdateFailed != 0) != fails ||
        (GetFileAttributesA((folder + "\\tree").c_str()) != INVALID_FILE_ATTRIBUTES) != fails) {
        Fail("the erase did not end as expected");
    }
    EraseDirectory(folder + "\\");
    return elapsed;
}

int Erase() {
    double rollback = 1e9;
    double commit = 1e9;
    for (int round = 0; round < 3; ++round) {
        commit = std::min(commit, EraseRun(false));
        rollback = std::min(rollback, EraseRun(true));
    }
    std::printf("erase_commit_s=%.4f\n", commit);
    std::printf("erase_rollback_s=%.4f\n", rollback);
    std::printf("erase_rollback_share=%.4f\n", rollback / commit);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "downloads") {
        return Downloads();
    }
    if (command == "erase") {
        return Erase();
    }
    std::fprintf(stderr, "usage: transaction_bench downloads|erase\n");
    return 2;
}
