// Redirect Locations read at the URL that was requested (examples of RFC 3986, section 5.4).

#include <gtest/gtest.h>

#include "core/net/UrlReference.h"

namespace {

TEST(UrlReferenceTest, ReferencesResolveAgainstTheRequestedUrl) {
    const std::pair<const char*, const char*> kReferences[] = {
        {"g:h", "g:h"},
        {"g", "http://a/b/c/g"},
        {"g/", "http://a/b/c/g/"},
        {"/g", "http://a/g"},
        {"//g", "http://g"},
        {"?y", "http://a/b/c/d;p?y"},
        {"#s", "http://a/b/c/d;p?q#s"},
        {"", "http://a/b/c/d;p?q"},
        {"..", "http://a/b/"},
        {"../../../g", "http://a/g"},
        {"./g/.", "http://a/b/c/g/"},
        {"g;x=1/../y", "http://a/b/c/y"},
    };
    for (const auto& [reference, resolved] : kReferences) {
        EXPECT_EQ(ResolveUrlReference("http://a/b/c/d;p?q", reference), resolved) << reference;
    }
    EXPECT_EQ(ResolveUrlReference("http://a", "g"), "http://a/g");
}

TEST(UrlReferenceTest, OnlyHttpAndHttpsUrlsWithAHostAreWebUrls) {
    for (const char* url : {"http://a/", "HTTPS://a:443/b?c"}) {
        EXPECT_TRUE(IsWebUrl(url)) << url;
    }
    for (const char* url : {"ftp://a/", "http:///b", "http:b", "//a/b", ""}) {
        EXPECT_FALSE(IsWebUrl(url)) << url;
    }
}

}  // namespace
