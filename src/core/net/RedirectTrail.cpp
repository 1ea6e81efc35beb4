// The rules of redirects: few, no loops, no step down from https to http.

#include "core/net/RedirectTrail.h"

#include <algorithm>

#include "core/net/UrlReference.h"

bool RedirectTrail::Follow(const std::string& location) {
    if (requested_.size() > kMaxRedirects) {
        return false;
    }
    std::string target = ResolveUrlReference(Current(), location);
    // A server reached over https must not send the download where anyone on the way can read
    // and change it.
    const bool downgrade = UrlScheme(Current()) == "https" && UrlScheme(target) != "https";
    if (!IsWebUrl(target) || downgrade ||
        std::find(requested_.begin(), requested_.end(), target) != requested_.end()) {
        return false;
    }
    requested_.push_back(std::move(target));
    return true;
}
