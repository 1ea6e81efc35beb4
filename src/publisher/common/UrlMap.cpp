#include "publisher/common/UrlMap.h"

#include "publisher/common/CommandLine.h"

namespace {

// The file path below the folder that the rest of a URL names, its segments joined with
// `separator`; empty when it would leave the folder or names none.
std::string RelativePath(std::string rest, char separator) {
    rest = rest.substr(0, rest.find_first_of("?#"));
    std::string relative;
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = rest.find('/', start);
        if (end == std::string::npos)
            end = rest.size();
        const std::string segment = rest.substr(start, end - start);
        if (segment == ".." || segment == "." || segment.find_first_of("\\:") != std::string::npos)
            return {};
        if (!segment.empty())
            relative += (relative.empty() ? "" : std::string(1, separator)) + segment;
        start = end + 1;
    }
    return relative;
}

}  // namespace

UrlMapping ParseUrlMapping(const std::string& option) {
    const std::size_t equals = option.find('=');
    if (equals == std::string::npos || equals + 1 == option.size() ||
        option.substr(0, equals).find("://") == std::string::npos) {
        throw UsageError("--map takes URL-PREFIX=DIR, not " + option);
    }
    return {option.substr(0, equals), option.substr(equals + 1)};
}

std::optional<std::string> LocalFileOf(const std::vector<UrlMapping>& map, const std::string& url) {
    const UrlMapping* best = nullptr;
    for (const UrlMapping& mapping : map) {
        const std::string& prefix = mapping.prefix;
        const bool covers =
            url.starts_with(prefix) && (url.size() == prefix.size() || prefix.ends_with('/') ||
                                        url[prefix.size()] == '/' || url[prefix.size()] == '?');
        if (covers && (best == nullptr || prefix.size() > best->prefix.size()))
            best = &mapping;
    }
    if (best == nullptr)
        return std::nullopt;
    const std::string& folder = best->folder;
    const char separator =
        folder.find('/') == std::string::npos && folder.find('\\') != std::string::npos ? '\\'
                                                                                        : '/';
    const std::string relative = RelativePath(url.substr(best->prefix.size()), separator);
    if (relative.empty())
        return std::string();
    const bool separated = folder.ends_with('/') || folder.ends_with('\\');
    return folder + (separated ? "" : std::string(1, separator)) + relative;
}
