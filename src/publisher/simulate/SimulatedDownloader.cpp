#include "publisher/simulate/SimulatedDownloader.h"

#include "core/net/FileDownload.h"

namespace {

// A bar nobody sees: it keeps its position so that the download logic's arithmetic runs as
// with a real one.
class UnseenBar final : public ProgressSink {
public:
    std::int32_t Position() noexcept override { return position_; }
    void SetMaximum(std::int32_t) noexcept override {}
    void SetPosition(std::int32_t position) noexcept override { position_ = position; }
    std::int64_t Columns() noexcept override { return kColumns; }
    void ProcessPendingEvents() override {}

private:
    static constexpr std::int64_t kColumns = 300;
    std::int32_t position_ = 0;
};

}  // namespace

DownloadResult SimulatedDownloader::DownloadFile(const std::string& url,
                                                 const std::string& localPath, DownloadKind kind,
                                                 const std::optional<Sha256Digest>& expected) {
    UnseenBar bar;
    const DownloadResult result =
        DownloadToFile(url, localPath, kind, expected, http_, files_, bar, crypto_);
    downloads_.push_back({url, kind, expected.has_value(), result});
    return result;
}

const char* ResultName(DownloadResult result) {
    switch (result) {
        case DownloadResult::Stored:
            return "stored";
        case DownloadResult::Failed:
            return "failed";
        case DownloadResult::DigestMismatch:
            return "refused, its sha256 is not the pinned one";
    }
    return "unknown";
}
