#include "publisher/MappedTransport.h"

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

// The relative file path that the rest of a URL names; empty when it would leave the folder.
std::filesystem::path RelativePath(std::string rest) {
    rest = rest.substr(0, rest.find_first_of("?#"));
    std::filesystem::path relative;
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = rest.find('/', start);
        if (end == std::string::npos)
            end = rest.size();
        const std::string segment = rest.substr(start, end - start);
        if (segment == ".." || segment == "." || segment.find_first_of("\\:") != std::string::npos)
            return {};
        if (!segment.empty())
            relative /= segment;
        start = end + 1;
    }
    return relative;
}

}  // namespace

void MappedTransport::MapPrefix(const std::string& prefix, const std::filesystem::path& folder) {
    prefixes_.emplace_back(prefix, folder);
}

void MappedTransport::ServeFile(const std::string& url, const std::filesystem::path& file) {
    files_[url] = file;
}

std::optional<std::filesystem::path> MappedTransport::LocalFileFor(const std::string& url) const {
    if (const auto exact = files_.find(url); exact != files_.end())
        return exact->second;
    const std::pair<std::string, std::filesystem::path>* best = nullptr;
    for (const auto& mapping : prefixes_) {
        const std::string& prefix = mapping.first;
        if (!url.starts_with(prefix))
            continue;
        const bool atBoundary = url.size() == prefix.size() || prefix.ends_with('/') ||
                                url[prefix.size()] == '/' || url[prefix.size()] == '?';
        if (atBoundary && (best == nullptr || prefix.size() > best->first.size())) {
            best = &mapping;
        }
    }
    if (best == nullptr)
        return std::nullopt;
    const std::filesystem::path relative = RelativePath(url.substr(best->first.size()));
    return relative.empty() ? std::filesystem::path() : best->second / relative;
}

std::unique_ptr<HttpReply> MappedTransport::Get(const std::string& url, DownloadKind kind) {
    if (const std::optional<std::filesystem::path> file = LocalFileFor(url))
        return std::make_unique<FileReply>(*file);
    return network_.Get(url, kind);
}
