#pragma once
// What a reply's HTTP status means to a download.

#include <string>

enum class StatusMeaning {
    Success,   // 2xx: the body is what was asked for
    Redirect,  // 301, 302, 303, 307 or 308: ask again at the Location
    Failure,   // anything else: an error page, never a file
};

// The meaning of a status code as the reply carried it ("200", "404" ...). A text that is not
// three digits is a failure.
StatusMeaning MeaningOfStatus(const std::string& status);
