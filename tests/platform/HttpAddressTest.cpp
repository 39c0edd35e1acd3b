// The client's addresses: what an "http://" URL may hold, and a Location resolved as RFC 3986
// resolves it (examples from the RFC's own, section 5.4).
#include "HttpAddress.h"

#include <gtest/gtest.h>

namespace {

TEST(HttpAddress, TakesApartOnlyHttpUrlsWithAPortInRange) {
    const struct {
        const char* url;
        const char* host;
        const char* port;
        const char* target;
    } cases[] = {
        {"http://host", "host", "80", "/"},
        {"HTTP://Host:8080/a b?q=1#part", "Host", "8080", "/a%20b?q=1"},
        {"http://host:/x", "host", "80", "/x"},
        {"http://host:65535/", "host", "65535", "/"},
        {"http://host:00080/", "host", "80", "/"},
        {"http://[::1]:81/x", "::1", "81", "/x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        HttpAddress address;
        ASSERT_TRUE(ParseHttpAddress(c.url, address));
        EXPECT_EQ(address.Host, c.host);
        EXPECT_EQ(address.Port, c.port);
        EXPECT_EQ(address.Target, c.target);
    }
    for (const char* url :
         {"http://host:0/", "http://host:65536/", "http://host:8o/", "http://[::1]x/",
          "http://user@host/", "http://ho st/", "https://host/"}) {
        HttpAddress address;
        EXPECT_FALSE(ParseHttpAddress(url, address)) << url;
    }
    HttpAddress ipv6;
    ASSERT_TRUE(ParseHttpAddress("http://[::1]:81/", ipv6));
    EXPECT_EQ(HostHeader(ipv6), "[::1]:81");
}

TEST(HttpAddress, ResolvesReferencesAsTheRfcDoes) {
    const char* base = "http://a/b/c/d;p?q";
    const struct {
        const char* reference;
        const char* resolved;
    } cases[] = {
        // Normal examples.
        {"g:h", "g:h"},
        {"g", "http://a/b/c/g"},
        {"/g", "http://a/g"},
        {"//g", "http://g"},
        {"?y", "http://a/b/c/d;p?y"},
        {"#s", "http://a/b/c/d;p?q#s"},
        {"", "http://a/b/c/d;p?q"},
        {"./", "http://a/b/c/"},
        {"..", "http://a/b/"},
        {"../../g", "http://a/g"},
        // Abnormal examples.
        {"../../../g", "http://a/g"},
        {"..g", "http://a/b/c/..g"},
        {"g/../h", "http://a/b/c/h"},
        {"g?y/../x", "http://a/b/c/g?y/../x"},
        {"g#s/../x", "http://a/b/c/g#s/../x"},
        {"http:g", "http:g"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolveReference(base, c.reference), c.resolved) << c.reference;
    // A base with an authority and no path.
    EXPECT_EQ(ResolveReference("http://a", "g"), "http://a/g");
}

} // namespace
