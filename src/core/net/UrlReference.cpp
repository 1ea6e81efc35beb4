// Reference resolution after RFC 3986, section 5.2: split into parts, merged with the base's
// parts, dot segments removed, joined again.

#include "core/net/UrlReference.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "core/text/AsciiCase.h"

namespace {

// The five parts of a URL reference (RFC 3986, appendix B). A part that is absent differs from
// one that is present and empty ("http://a/b?" has an empty query).
struct UrlParts {
    std::optional<std::string_view> scheme;
    std::optional<std::string_view> authority;
    std::string_view path;
    std::optional<std::string_view> query;
    std::optional<std::string_view> fragment;
};

UrlParts SplitUrl(std::string_view text) {
    UrlParts parts;
    const std::size_t colon = text.find_first_of(":/?#");
    if (colon != std::string_view::npos && colon > 0 && text[colon] == ':') {
        parts.scheme = text.substr(0, colon);
        text.remove_prefix(colon + 1);
    }
    if (text.starts_with("//")) {
        text.remove_prefix(2);
        const std::size_t end = std::min(text.find_first_of("/?#"), text.size());
        parts.authority = text.substr(0, end);
        text.remove_prefix(end);
    }
    if (const std::size_t hash = text.find('#'); hash != std::string_view::npos) {
        parts.fragment = text.substr(hash + 1);
        text = text.substr(0, hash);
    }
    if (const std::size_t question = text.find('?'); question != std::string_view::npos) {
        parts.query = text.substr(question + 1);
        text = text.substr(0, question);
    }
    parts.path = text;
    return parts;
}

// Drops the last segment of `output` with the "/" before it.
void DropLastSegment(std::string& output) {
    const std::size_t slash = output.rfind('/');
    output.erase(slash == std::string::npos ? 0 : slash);
}

// "." and ".." segments interpreted and removed (section 5.2.4).
std::string RemoveDotSegments(std::string_view input) {
    std::string output;
    while (!input.empty()) {
        if (input.starts_with("../")) {
            input.remove_prefix(3);
        } else if (input.starts_with("./")) {
            input.remove_prefix(2);
        } else if (input.starts_with("/./")) {
            input.remove_prefix(2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.starts_with("/../")) {
            input.remove_prefix(3);
            DropLastSegment(output);
        } else if (input == "/..") {
            input = "/";
            DropLastSegment(output);
        } else if (input == "." || input == "..") {
            input = {};
        } else {
            const std::size_t end = std::min(input.find('/', 1), input.size());
            output.append(input.substr(0, end));
            input.remove_prefix(end);
        }
    }
    return output;
}

// A relative path read in the base's folder (section 5.2.3).
std::string MergePaths(const UrlParts& base, std::string_view path) {
    if (base.authority && base.path.empty()) {
        return "/" + std::string(path);
    }
    const std::size_t slash = base.path.rfind('/');
    const std::string_view folder =
        slash == std::string_view::npos ? std::string_view() : base.path.substr(0, slash + 1);
    return std::string(folder) + std::string(path);
}

// Section 5.3.
std::string JoinUrl(const UrlParts& parts, const std::string& path) {
    std::string url;
    if (parts.scheme) {
        url.append(*parts.scheme).append(":");
    }
    if (parts.authority) {
        url.append("//").append(*parts.authority);
    }
    url.append(path);
    if (parts.query) {
        url.append("?").append(*parts.query);
    }
    if (parts.fragment) {
        url.append("#").append(*parts.fragment);
    }
    return url;
}

}  // namespace

std::string ResolveUrlReference(const std::string& base, const std::string& reference) {
    const UrlParts from = SplitUrl(base);
    const UrlParts relative = SplitUrl(reference);
    UrlParts target = relative;
    std::string path;
    if (relative.scheme) {
        path = RemoveDotSegments(relative.path);
    } else {
        target.scheme = from.scheme;
        if (relative.authority) {
            path = RemoveDotSegments(relative.path);
        } else {
            target.authority = from.authority;
            if (relative.path.empty()) {
                path = std::string(from.path);
                target.query = relative.query ? relative.query : from.query;
            } else if (relative.path.starts_with("/")) {
                path = RemoveDotSegments(relative.path);
            } else {
                path = RemoveDotSegments(MergePaths(from, relative.path));
            }
        }
    }
    return JoinUrl(target, path);
}

std::string UrlScheme(const std::string& url) {
    const std::optional<std::string_view> scheme = SplitUrl(url).scheme;
    std::string lower;
    for (const char character : scheme.value_or(std::string_view())) {
        lower += LowerAscii(character);
    }
    return lower;
}

bool IsWebUrl(const std::string& url) {
    const std::string scheme = UrlScheme(url);
    const UrlParts parts = SplitUrl(url);
    return (scheme == "http" || scheme == "https") && parts.authority && !parts.authority->empty();
}
