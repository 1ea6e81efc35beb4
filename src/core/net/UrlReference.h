#pragma once
// URL references as a redirect's Location gives them: absolute, or relative to the URL that
// was requested.

#include <string>

// The absolute URL that `reference` stands for when read at `base` (an absolute URL): the
// reference resolution of RFC 3986 (section 5.2), dot segments removed. A reference that has a
// scheme of its own is taken as it is, dot segments removed.
std::string ResolveUrlReference(const std::string& base, const std::string& reference);

// The scheme of an absolute URL in lower case ("https" for "HTTPS://host/"); empty when the
// text has none.
std::string UrlScheme(const std::string& url);

// True when `url` is an http or https URL that names a host ("http://host..."), the only
// URLs a download may be sent to by a redirect.
bool IsWebUrl(const std::string& url);
