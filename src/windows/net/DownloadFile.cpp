// DownloadFile: the portable download logic wired to WinINet and the Windows file system on a
// worker thread, its progress handed to the caller's thread and shown on the bar there.

#include "windows/net/DownloadFile.h"

#include <process.h>

#include "core/net/FileDownload.h"
#include "windows/crypto/BackgroundSha256.h"
#include "windows/net/ProgressRelay.h"
#include "windows/net/WinInetTransport.h"
#include "windows/net/WindowsTemporaryFiles.h"
#include "windows/win32/MessageAwareWait.h"
#include "windows/win32/ScopedHandles.h"

namespace {

// One download as the worker thread runs it; the caller's thread reads `result` once the
// worker has ended.
struct DownloadJob {
    const std::string& url;
    const std::string& localPath;
    DownloadKind kind;
    const std::optional<Sha256Digest>& expected;
    ProgressRelay& progress;
    Crypto& crypto;
    DownloadResult result = DownloadResult::Failed;

    void Run() noexcept {
        WinInetTransport http;
        WindowsTemporaryFiles files;
        // A pinned body's hash runs beside the reads on a thread of its own, not between them.
        BackgroundHashing hashing(crypto);
        result = DownloadToFile(url, localPath, kind, expected, http, files, progress, hashing);
    }
};

unsigned __stdcall RunOnWorker(void* job) {
    static_cast<DownloadJob*>(job)->Run();
    return 0;
}

// Runs `job` on a worker thread while this thread shows its progress and handles its events.
DownloadResult RunJob(DownloadJob& job, ProgressRelay& relay, const DownloadProgress& progress) {
    // _beginthreadex rather than CreateThread: the worker uses the C runtime.
    const KernelHandle worker(
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, RunOnWorker, &job, 0, nullptr)));
    if (!worker) {
        job.Run();  // no thread to be had: the download still happens, on this thread
    } else {
        try {
            WaitProcessingEvents(worker.Get(), progress.processPendingEvents, relay.Changed(),
                                 [&relay] { relay.Show(); });
        } catch (...) {
            relay.Abandon();
        }
        // Joined on every way out: the worker uses this frame's job and relay.
        WaitForSingleObject(worker.Get(), INFINITE);
    }
    relay.Show();
    return job.result;
}

}  // namespace

DownloadResult DownloadFile(const std::string& url, const std::string& localPath, DownloadKind kind,
                            const std::optional<Sha256Digest>& expected,
                            const DownloadProgress& progress, Crypto& crypto) {
    ProgressRelay relay(progress.progressBar);
    DownloadJob job{url, localPath, kind, expected, relay, crypto};
    return RunJob(job, relay, progress);
}
