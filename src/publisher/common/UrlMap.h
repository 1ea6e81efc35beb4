#pragma once
// --map URL-PREFIX=DIR, as release and simulate take it: the files a web server serves under
// URL-PREFIX are DIR's. One meaning for both commands, so that the file release pins for a URL
// is the file simulate downloads for it.

#include <optional>
#include <string>
#include <vector>

struct UrlMapping {
    std::string prefix;
    std::string folder;
};

// Parses "URL-PREFIX=DIR" (split at the first "="). Throws UsageError when the prefix is not a
// URL or the folder is empty.
UrlMapping ParseUrlMapping(const std::string& option);

// The local file served at `url`: the folder of the longest prefix that covers it (the URL ends
// there or goes on with "/" or "?"), followed by the URL's path below the prefix without query
// or fragment, in the folder's own separator ("\\" when the folder is written with "\\" only).
// An empty text when that path names no file inside the folder (nothing, "..", ".", a backslash
// or a drive in it); nothing when no prefix covers the URL.
std::optional<std::string> LocalFileOf(const std::vector<UrlMapping>& map, const std::string& url);
