#include "publisher/simulate/MappedTransport.h"

#include <fstream>

namespace {

// A reply from a local file, or a 404 when it cannot be opened as one.
class FileReply final : public HttpReply {
public:
    explicit FileReply(const std::filesystem::path& file) {
        std::error_code error;
        if (!file.empty() && std::filesystem::is_regular_file(file, error)) {
            const std::uintmax_t size = std::filesystem::file_size(file, error);
            body_.open(file, std::ios::binary);
            if (!error && body_) {
                length_ = std::to_string(size);
                return;
            }
        }
        status_ = "404";
    }

    std::optional<std::string> StatusCode() override { return status_; }
    std::optional<std::string> ContentLength() override { return length_; }
    std::optional<std::string> Location() override { return std::nullopt; }
    std::optional<std::size_t> ReadChunk(std::span<char> buffer) override {
        if (status_ != "200")
            return 0;
        body_.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        if (body_.bad())
            return std::nullopt;
        return static_cast<std::size_t>(body_.gcount());
    }

private:
    std::string status_ = "200";
    std::string length_ = "0";
    std::ifstream body_;
};

}  // namespace

std::optional<std::string> MappedTransport::LocalFileFor(const std::string& url) const {
    if (const auto exact = files_.find(url); exact != files_.end())
        return exact->second;
    return LocalFileOf(map_, url);
}

std::unique_ptr<HttpReply> MappedTransport::Get(const std::string& url, DownloadKind kind) {
    if (const std::optional<std::string> file = LocalFileFor(url)) {
        return std::make_unique<FileReply>(file->empty() ? std::filesystem::path()
                                                         : pathOf_(*file));
    }
    return network_.Get(url, kind);
}
