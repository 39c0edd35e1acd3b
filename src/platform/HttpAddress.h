// The addresses the HTTP client opens: an "http://" URL taken apart into what a request needs,
// and a redirect's Location resolved against the address that sent it (RFC 3986, section 5).
#pragma once

#include <string>
#include <string_view>

struct HttpAddress {
    std::string Host; // an IPv6 literal without its brackets
    std::string Port = "80";
    std::string Target = "/"; // the path and query, ready for the request line
};

// Takes an "http://" URL (the scheme in any case) apart; false for any other scheme, a user
// name, a host with blanks or control characters, or a port outside 1 to 65535. The fragment
// is dropped; bytes a request line cannot carry are percent-encoded.
bool ParseHttpAddress(std::string_view url, HttpAddress& address);

// The request's Host header value: the host, and the port unless it is 80.
std::string HostHeader(const HttpAddress& address);

// The reference resolved against an absolute base URL, as RFC 3986 section 5.2 resolves it
// (strictly: a reference with a scheme is taken as it stands).
std::string ResolveReference(std::string_view base, std::string_view reference);
