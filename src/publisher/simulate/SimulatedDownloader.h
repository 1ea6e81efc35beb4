#pragma once
// The downloads of a simulation: the real download logic (DownloadToFile, whose contract is
// Downloader::DownloadFile's) over the transport and files it is given, on the calling thread
// and without a progress bar; each download's URL and result is recorded.

#include <string>
#include <vector>

#include "core/net/HttpTransport.h"
#include "core/net/TemporaryFile.h"
#include "core/seam/Downloader.h"

struct RecordedDownload {
    std::string url;
    DownloadKind kind;
    bool pinned;
    DownloadResult result;
};

class SimulatedDownloader final : public Downloader {
public:
    SimulatedDownloader(HttpTransport& http, TemporaryFiles& files, Crypto& crypto)
        : http_(http), files_(files), crypto_(crypto) {}

    DownloadResult DownloadFile(const std::string& url, const std::string& localPath,
                                DownloadKind kind,
                                const std::optional<Sha256Digest>& expected) override;

    const std::vector<RecordedDownload>& Downloads() const { return downloads_; }

private:
    HttpTransport& http_;
    TemporaryFiles& files_;
    Crypto& crypto_;
    std::vector<RecordedDownload> downloads_;
};

// How a report names a download's result.
const char* ResultName(DownloadResult result);
