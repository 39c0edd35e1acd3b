#include "HttpAddress.h"

#include "TextRules.h"

#include <algorithm>

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

// The target goes as the caller built it, but for the bytes a request line cannot carry.
std::string EscapeTarget(std::string_view target) {
    std::string escaped;
    for (const char c : target) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F) {
            escaped += '%';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 15];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

// A host name or address goes into the Host header as it stands: nothing in it may end the
// header or the authority early.
bool IsHostText(std::string_view host, bool ipv6) {
    return !host.empty() && std::all_of(host.begin(), host.end(), [ipv6](char c) {
        const unsigned char byte = static_cast<unsigned char>(c);
        return byte > 0x20 && byte < 0x7F &&
               std::string_view(ipv6 ? "/?#@[]\\" : "/?#@[]\\:").find(c) == std::string_view::npos;
    });
}

bool ParsePort(std::string_view port, std::string& parsed) {
    if (port.empty())
        return true; // "host:" is the default port
    if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    unsigned long number = 0;
    for (const char c : port)
        number = number * 10 + static_cast<unsigned>(c - '0');
    if (number < 1 || number > 65535)
        return false;
    parsed = std::to_string(number);
    return true;
}

// A URI reference split as RFC 3986 appendix B splits it; "has" tells an empty part from a
// missing one.
struct Components {
    std::string scheme, authority, path, query, fragment;
    bool hasScheme = false, hasAuthority = false, hasQuery = false, hasFragment = false;
};

Components Split(std::string_view uri) {
    Components parts;
    const size_t colon = uri.find_first_of(":/?#");
    if (colon != std::string_view::npos && colon > 0 && uri[colon] == ':') {
        parts.scheme = std::string(uri.substr(0, colon));
        parts.hasScheme = true;
        uri.remove_prefix(colon + 1);
    }
    if (uri.substr(0, 2) == "//") {
        uri.remove_prefix(2);
        const size_t end = std::min(uri.find_first_of("/?#"), uri.size());
        parts.authority = std::string(uri.substr(0, end));
        parts.hasAuthority = true;
        uri.remove_prefix(end);
    }
    const size_t pathEnd = std::min(uri.find_first_of("?#"), uri.size());
    parts.path = std::string(uri.substr(0, pathEnd));
    uri.remove_prefix(pathEnd);
    if (!uri.empty() && uri.front() == '?') {
        const size_t end = std::min(uri.find('#'), uri.size());
        parts.query = std::string(uri.substr(1, end - 1));
        parts.hasQuery = true;
        uri.remove_prefix(end);
    }
    if (!uri.empty()) { // the "#"
        parts.fragment = std::string(uri.substr(1));
        parts.hasFragment = true;
    }
    return parts;
}

// Section 5.2.4.
std::string RemoveDotSegments(std::string_view input) {
    std::string output;
    const auto dropLastSegment = [&output] {
        const size_t slash = output.rfind('/');
        output.erase(slash == std::string::npos ? 0 : slash);
    };
    while (!input.empty()) {
        if (input.substr(0, 3) == "../") {
            input.remove_prefix(3);
        } else if (input.substr(0, 2) == "./" || input.substr(0, 3) == "/./") {
            input.remove_prefix(2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.substr(0, 4) == "/../") {
            input.remove_prefix(3);
            dropLastSegment();
        } else if (input == "/..") {
            input = "/";
            dropLastSegment();
        } else if (input == "." || input == "..") {
            input = {};
        } else {
            const size_t end = std::min(input.find('/', 1), input.size());
            output.append(input.substr(0, end));
            input.remove_prefix(end);
        }
    }
    return output;
}

// Section 5.2.3.
std::string Merge(const Components& base, const std::string& path) {
    if (base.hasAuthority && base.path.empty())
        return "/" + path;
    const size_t slash = base.path.rfind('/');
    return (slash == std::string::npos ? std::string() : base.path.substr(0, slash + 1)) + path;
}

// Section 5.3.
std::string Recompose(const Components& parts) {
    std::string uri;
    if (parts.hasScheme)
        uri += parts.scheme + ":";
    if (parts.hasAuthority)
        uri += "//" + parts.authority;
    uri += parts.path;
    if (parts.hasQuery)
        uri += "?" + parts.query;
    if (parts.hasFragment)
        uri += "#" + parts.fragment;
    return uri;
}

} // namespace

bool ParseHttpAddress(std::string_view url, HttpAddress& address) {
    constexpr std::string_view kScheme = "http://";
    if (!TextRules::StartsWith(url, kScheme, TextRules::Compare::Text))
        return false;
    url.remove_prefix(kScheme.size());
    const size_t authorityEnd = std::min(url.find_first_of("/?#"), url.size());
    const std::string_view authority = url.substr(0, authorityEnd);
    std::string_view rest = url.substr(authorityEnd);
    rest = rest.substr(0, rest.find('#'));
    if (authority.find('@') != std::string_view::npos)
        return false; // no user names in our addresses
    size_t portAt = authority.rfind(':');
    const bool ipv6 = !authority.empty() && authority.front() == '[';
    if (ipv6) {
        const size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return false;
        address.Host = std::string(authority.substr(1, close - 1));
        if (close + 1 < authority.size() && authority[close + 1] != ':')
            return false;
        portAt = close + 1 < authority.size() ? close + 1 : std::string_view::npos;
    } else {
        address.Host = std::string(authority.substr(0, portAt));
    }
    if (!IsHostText(address.Host, ipv6) || (portAt != std::string_view::npos &&
                                            !ParsePort(authority.substr(portAt + 1), address.Port)))
        return false;
    if (!rest.empty())
        address.Target = EscapeTarget(rest.front() == '/' ? rest : "/" + std::string(rest));
    return true;
}

std::string HostHeader(const HttpAddress& address) {
    std::string host =
        address.Host.find(':') != std::string::npos ? "[" + address.Host + "]" : address.Host;
    if (address.Port != "80")
        host += ":" + address.Port;
    return host;
}

std::string ResolveReference(std::string_view base, std::string_view reference) {
    const Components from = Split(base);
    const Components ref = Split(reference);
    Components to;
    if (ref.hasScheme) {
        to = ref;
        to.path = RemoveDotSegments(ref.path);
    } else {
        if (ref.hasAuthority) {
            to.authority = ref.authority;
            to.hasAuthority = true;
            to.path = RemoveDotSegments(ref.path);
            to.query = ref.query;
            to.hasQuery = ref.hasQuery;
        } else {
            if (ref.path.empty()) {
                to.path = from.path;
                to.query = ref.hasQuery ? ref.query : from.query;
                to.hasQuery = ref.hasQuery || from.hasQuery;
            } else {
                to.path =
                    RemoveDotSegments(ref.path.front() == '/' ? ref.path : Merge(from, ref.path));
                to.query = ref.query;
                to.hasQuery = ref.hasQuery;
            }
            to.authority = from.authority;
            to.hasAuthority = from.hasAuthority;
        }
        to.scheme = from.scheme;
        to.hasScheme = from.hasScheme;
    }
    to.fragment = ref.fragment;
    to.hasFragment = ref.hasFragment;
    return Recompose(to);
}
