// Download benchmark: one HTTP body fetched in one of three ways, timed alone (process start and
// window creation excluded):
//   ours   DownloadFile with a visible progress bar and the window's event processing, as in
//          the updater (the transfer on its worker thread, the window's thread waiting);
//   quiet  DownloadFile without a bar or event processing (its own file handling only);
//   bare   a bare WinINet loop on the caller's thread with the same 2048-byte reads and cache
//          flags (nothing from or into the internet cache), writing straight to the file;
//   pinned as ours, the body hashed with SHA-256 as it is written and checked against the
//          pin given as a fourth argument (64 hex digits).
//
// Usage: download_bench ours|quiet|bare URL OUTPUT_FILE | pinned URL OUTPUT_FILE HEX
// Output: one line "seconds=S bytes=N peak_working_set=P" (exit code 0), or an error (1).

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <wininet.h>

#include <cstdio>
#include <optional>
#include <string>

#include "core/script/PinField.h"
#include "windows/app/EventPump.h"
#include "windows/crypto/CngCrypto.h"
#include "windows/net/DownloadFile.h"
#include "windows/win32/ScopedHandles.h"

namespace {

constexpr DWORD kBufferSize = 2048;  // the same chunk size as DownloadFile

// The reference: no status or length checks, no progress, no events, no temporary file.
bool BareDownload(const std::string& url, const std::string& path) {
    InternetHandle session(
        InternetOpenA("Quillmere", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    InternetHandle request(
        session ? InternetOpenUrlA(session.Get(), url.c_str(), nullptr, 0,
                                   INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
                : nullptr);
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!request || !file) {
        return false;
    }
    char buffer[kBufferSize];
    DWORD read = 0;
    DWORD written = 0;
    while (InternetReadFile(request.Get(), buffer, kBufferSize, &read) && read > 0) {
        if (!WriteFile(file.Get(), buffer, read, &written, nullptr)) {
            return false;
        }
    }
    return true;
}

// A window like the updater's: visible, with a progress bar, its events processed per chunk.
class BenchWindow {
public:
    BenchWindow() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        window_ =
            CreateWindowExA(0, "STATIC", "download_bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                            480, 120, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        bar_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 40, 440, 20,
                               window_, nullptr, GetModuleHandleA(nullptr), nullptr);
        ProcessPendingEvents(window_);
    }
    ~BenchWindow() { DestroyWindow(window_); }
    BenchWindow(const BenchWindow&) = delete;
    BenchWindow& operator=(const BenchWindow&) = delete;

    DownloadProgress Progress() const {
        const HWND window = window_;
        return DownloadProgress{bar_, [window] { ProcessPendingEvents(window); }};
    }

private:
    HWND window_ = nullptr;
    HWND bar_ = nullptr;
};

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

unsigned long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc == 4 || argc == 5 ? argv[1] : "";
    if ((mode != "ours" && mode != "quiet" && mode != "bare" && mode != "pinned") ||
        (mode == "pinned") != (argc == 5)) {
        std::fprintf(stderr,
                     "usage: download_bench ours|quiet|bare URL OUTPUT_FILE | "
                     "pinned URL OUTPUT_FILE HEX\n");
        return 1;
    }
    std::optional<Sha256Digest> pin;
    try {
        pin = argc == 5 ? ParsePinField(std::string("sha256=") + argv[4]) : std::nullopt;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "download_bench: %s\n", failure.what());
        return 1;
    }
    CngCrypto crypto;
    const std::string url = argv[2];
    const std::string path = argv[3];
    DeleteFileA(path.c_str());

    BenchWindow window;  // created in every mode, so that the processes start alike
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&start);
    const DownloadProgress progress = mode == "quiet" ? DownloadProgress{} : window.Progress();
    const bool done = mode == "bare" ? BareDownload(url, path)
                                     : DownloadFile(url, path, DownloadKind::ReleaseFile, pin,
                                                    progress, crypto) == DownloadResult::Stored;
    QueryPerformanceCounter(&end);
    if (!done) {
        std::fprintf(stderr, "download_bench: the download failed\n");
        return 1;
    }
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    std::printf("seconds=%.4f bytes=%llu peak_working_set=%llu\n", Seconds(start, end),
                FileSize(path), static_cast<unsigned long long>(memory.PeakWorkingSetSize));
    return 0;
}
