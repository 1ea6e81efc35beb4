#pragma once
// HTTP for a simulation: URLs under a mapped prefix, and single URLs given a file of their own,
// are answered from local files as a web server serving them would (200 with the file's length
// and bytes, 404 when there is no such file); every other URL goes to the real network. The
// download logic above runs unchanged: redirects, length checks, pins, temporary files.

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/net/HttpTransport.h"

class MappedTransport final : public HttpTransport {
public:
    explicit MappedTransport(HttpTransport& network) : network_(network) {}

    // Answers URLs that start with `prefix` (at a "/" or at its end) from the files under
    // `folder`: the rest of the URL, up to any "?" or "#", is the file's path in it.
    void MapPrefix(const std::string& prefix, const std::filesystem::path& folder);
    // Answers exactly `url` with `file` (a missing file is a 404). Takes precedence over prefixes.
    void ServeFile(const std::string& url, const std::filesystem::path& file);

    // The local file that answers `url` (which may be missing), or nothing for the network.
    // A path that would leave the mapped folder ("..", a backslash, a drive) gets an empty path.
    std::optional<std::filesystem::path> LocalFileFor(const std::string& url) const;

    std::unique_ptr<HttpReply> Get(const std::string& url, DownloadKind kind) override;

private:
    HttpTransport& network_;
    std::vector<std::pair<std::string, std::filesystem::path>> prefixes_;
    std::map<std::string, std::filesystem::path> files_;
};
