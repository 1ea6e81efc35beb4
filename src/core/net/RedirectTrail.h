#pragma once
// The redirects of one download and the rules they must keep.

#include <string>
#include <vector>

// The URLs one download has requested, the last one current. A redirect is followed only when
// its Location (absolute, or relative to the current URL) resolves to an http or https URL
// that was not requested before, does not step down from https to http, and is at most the
// tenth redirect; anything else fails the download at once. So a download sends at most
// kMaxRedirects + 1 requests, and a loop ends at its first repetition.
class RedirectTrail {
public:
    static constexpr std::size_t kMaxRedirects = 10;

    explicit RedirectTrail(const std::string& url) : requested_{url} {}

    // The URL to request now.
    const std::string& Current() const { return requested_.back(); }

    // Makes the redirect's target current. False, and nothing changed, when the rules refuse it.
    bool Follow(const std::string& location);

private:
    std::vector<std::string> requested_;
};
