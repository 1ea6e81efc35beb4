#pragma once
// HTTP for a simulation: URLs under a mapped prefix, and single URLs given a file of their own,
// are answered from local files as a web server serving them would (200 with the file's length
// and bytes, 404 when there is no such file); every other URL goes to the real network. The
// download logic above runs unchanged: redirects, length checks, pins, temporary files.

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/net/HttpTransport.h"
#include "publisher/common/UrlMap.h"

class MappedTransport final : public HttpTransport {
public:
    // Turns a file name as given on the command line into a path (the Windows build reads it
    // in the system's code page).
    using PathOf = std::function<std::filesystem::path(const std::string&)>;

    explicit MappedTransport(
        HttpTransport& network,
        PathOf pathOf = [](const std::string& name) { return std::filesystem::path(name); })
        : network_(network), pathOf_(std::move(pathOf)) {}

    // Answers the URLs that `mapping` covers from its folder's files (see LocalFileOf).
    void Map(const UrlMapping& mapping) { map_.push_back(mapping); }
    // Answers exactly `url` with `file` (a missing file is a 404). Takes precedence over --map.
    void ServeFile(const std::string& url, const std::string& file) { files_[url] = file; }

    // The local file that answers `url` (which may be missing), or nothing for the network.
    // Empty when the URL's path names no file inside the mapped folder: a 404.
    std::optional<std::string> LocalFileFor(const std::string& url) const;

    std::unique_ptr<HttpReply> Get(const std::string& url, DownloadKind kind) override;

private:
    HttpTransport& network_;
    PathOf pathOf_;
    std::vector<UrlMapping> map_;
    std::map<std::string, std::string> files_;
};
