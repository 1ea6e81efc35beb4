#include "publisher/common/ToolFiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

std::string ReadFile(const std::string& path) {
    std::error_code error;
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file || !std::filesystem::is_regular_file(path, error)) {
        throw std::runtime_error("cannot read " + path);
    }
    // One read of the announced size: a 100 MB script is read at the disk's speed.
    std::string text(static_cast<std::size_t>(std::max<std::streamoff>(file.tellg(), 0)), '\0');
    file.seekg(0);
    if (!file.read(text.data(), static_cast<std::streamsize>(text.size()))) {
        throw std::runtime_error("cannot read " + path);
    }
    return text;
}

namespace {

// The SHA-256 of what is left in `file`, read in pieces; `name` for the error.
Sha256Digest Sha256Of(Crypto& crypto, std::ifstream& file, const std::string& name) {
    if (!file)
        throw std::runtime_error("cannot read " + name);
    std::unique_ptr<Sha256Hasher> hasher = crypto.NewSha256();
    std::string chunk(1 << 16, '\0');
    while (file.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) ||
           file.gcount() > 0) {
        hasher->Update(std::string_view(chunk.data(), static_cast<std::size_t>(file.gcount())));
    }
    if (file.bad())
        throw std::runtime_error("cannot read " + name);
    return hasher->Finish();
}

}  // namespace

Sha256Digest Sha256OfFile(Crypto& crypto, const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        throw std::runtime_error("cannot read " + path);
    std::ifstream file(path, std::ios::binary);
    return Sha256Of(crypto, file, path);
}

Sha256Digest Sha256OfFile(Crypto& crypto, const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return Sha256Of(crypto, file, path.string());
}
