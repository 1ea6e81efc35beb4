// Helper program of the download tests: one DownloadFile in a process of its own, so that a
// test can kill it half way, as a power cut or the task manager would.
//
// Usage: downloader URL LOCAL_PATH   (exit status 0 when the download succeeded, 1 otherwise)

#include <optional>

#include "windows/crypto/CngCrypto.h"
#include "windows/net/DownloadFile.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    CngCrypto crypto;
    const DownloadResult result = DownloadFile(argv[1], argv[2], DownloadKind::ReleaseFile,
                                               std::nullopt, DownloadProgress{}, crypto);
    return result == DownloadResult::Stored ? 0 : 1;
}
