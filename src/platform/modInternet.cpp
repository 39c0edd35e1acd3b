#include "modInternet.h"

#include "AnsiText.h"
#include "DrivePath.h"
#include "HttpReplyReader.h"
#include "TextRules.h"
#include "xfileExists.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <algorithm>

namespace modInternet {

namespace {

constexpr size_t kReadSize = 256;
// A wait for the network is cut into slices this long, so that the message loop runs and a
// stop is seen meanwhile.
constexpr DWORD kWaitSliceMs = 20;
// Redirects followed for one request, as a browser's client would.
constexpr int kMaxRedirects = 5;

std::function<void()>& YieldHook() {
    static std::function<void()> hook;
    return hook;
}

void LetMessagesRun() {
    if (YieldHook())
        YieldHook()();
}

// The request in hand, which a stop may end.
struct Exchange {
    SOCKET socket = INVALID_SOCKET;
    bool cancelled = false;
};
Exchange*& InHand() {
    static Exchange* exchange = nullptr;
    return exchange;
}

void CloseSocket(Exchange& exchange) {
    if (exchange.socket != INVALID_SOCKET)
        closesocket(exchange.socket);
    exchange.socket = INVALID_SOCKET;
}

bool StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

// An "http://" URL taken apart: the host, the port and the request target.
struct HttpUrl {
    std::string Host;
    std::string Port = "80";
    std::string Target = "/";
};

// The target goes as the caller built it, but for the bytes a request line cannot carry.
std::string EscapeTarget(std::string_view target) {
    static constexpr char kHex[] = "0123456789ABCDEF";
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

bool ParseUrl(std::string_view url, HttpUrl& parts) {
    constexpr std::string_view kScheme = "http://";
    if (!TextRules::StartsWith(url, kScheme, TextRules::Compare::Text))
        return false;
    url.remove_prefix(kScheme.size());
    const size_t authorityEnd = std::min(url.find_first_of("/?#"), url.size());
    std::string_view authority = url.substr(0, authorityEnd);
    std::string_view rest = url.substr(authorityEnd);
    if (authority.find('@') != std::string_view::npos)
        return false; // no user names in our addresses
    size_t portAt = authority.rfind(':');
    if (!authority.empty() && authority.front() == '[') { // an IPv6 literal
        const size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return false;
        parts.Host = std::string(authority.substr(1, close - 1));
        portAt = close + 1 < authority.size() && authority[close + 1] == ':'
                     ? close + 1
                     : std::string_view::npos;
    } else {
        parts.Host = std::string(authority.substr(0, portAt));
    }
    if (portAt != std::string_view::npos) {
        const std::string_view port = authority.substr(portAt + 1);
        if (port.empty() || port.size() > 5 ||
            port.find_first_not_of("0123456789") != std::string_view::npos)
            return false;
        parts.Port = std::string(port);
    }
    if (rest.substr(0, 1) == "#")
        rest = {};
    if (!rest.empty())
        parts.Target = EscapeTarget(rest.front() == '/' ? rest : "/" + std::string(rest));
    return !parts.Host.empty();
}

enum class Waited { Ready, Failed, TimedOut, Stopped };

// Waits for the socket to have bytes (or a close) to read, or room to write, letting the
// message loop run while messages arrive; a stop ends the wait at once.
Waited Wait(Exchange& exchange, bool toWrite, ULONGLONG until) {
    for (;;) {
        if (exchange.cancelled || exchange.socket == INVALID_SOCKET)
            return Waited::Stopped;
        const ULONGLONG now = GetTickCount64();
        if (now >= until)
            return Waited::TimedOut;
        const DWORD slice = static_cast<DWORD>(std::min<ULONGLONG>(until - now, kWaitSliceMs));
        fd_set ready, failed;
        FD_ZERO(&ready);
        FD_ZERO(&failed);
        FD_SET(exchange.socket, &ready);
        FD_SET(exchange.socket, &failed);
        timeval timeout = {0, static_cast<long>(slice) * 1000};
        const int count =
            select(0, toWrite ? nullptr : &ready, toWrite ? &ready : nullptr, &failed, &timeout);
        if (count == SOCKET_ERROR || FD_ISSET(exchange.socket, &failed))
            return Waited::Failed;
        if (count > 0)
            return Waited::Ready;
        if (HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0)
            LetMessagesRun();
    }
}

bool Connect(Exchange& exchange, const HttpUrl& url, ULONGLONG connectUntil) {
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (getaddrinfo(url.Host.c_str(), url.Port.c_str(), &hints, &found) != 0)
        return false;
    bool connected = false;
    for (addrinfo* address = found; address && !connected && !exchange.cancelled;
         address = address->ai_next) {
        exchange.socket = socket(address->ai_family, address->ai_socktype, address->ai_protocol);
        if (exchange.socket == INVALID_SOCKET)
            continue;
        u_long nonBlocking = 1;
        ioctlsocket(exchange.socket, FIONBIO, &nonBlocking);
        if (connect(exchange.socket, address->ai_addr, static_cast<int>(address->ai_addrlen)) ==
                0 ||
            (WSAGetLastError() == WSAEWOULDBLOCK &&
             Wait(exchange, true, connectUntil) == Waited::Ready)) {
            int error = 0;
            int size = sizeof error;
            connected = exchange.socket != INVALID_SOCKET &&
                        getsockopt(exchange.socket, SOL_SOCKET, SO_ERROR,
                                   reinterpret_cast<char*>(&error), &size) == 0 &&
                        error == 0;
        }
        if (!connected)
            CloseSocket(exchange);
    }
    freeaddrinfo(found);
    return connected;
}

// A bare GET: the agent "Mozilla", never answered from a cache, no other header of ours.
std::string RequestHead(const HttpUrl& url) {
    const bool ipv6 = url.Host.find(':') != std::string::npos;
    std::string host = ipv6 ? "[" + url.Host + "]" : url.Host;
    if (url.Port != "80")
        host += ":" + url.Port;
    return "GET " + url.Target + " HTTP/1.1\r\nHost: " + host +
           "\r\nUser-Agent: Mozilla\r\nPragma: no-cache\r\nCache-Control: no-cache\r\n"
           "Connection: close\r\n\r\n";
}

bool SendAll(Exchange& exchange, const std::string& data, const HttpLimits& limits,
             ULONGLONG deadline) {
    for (size_t sent = 0; sent < data.size();) {
        const int n =
            send(exchange.socket, data.data() + sent, static_cast<int>(data.size() - sent), 0);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n == 0 || WSAGetLastError() != WSAEWOULDBLOCK ||
            Wait(exchange, true, std::min(deadline, GetTickCount64() + limits.ReceiveTimeoutMs)) !=
                Waited::Ready)
            return false;
    }
    return true;
}

// Feeds the reader what the connection has next, waiting for it within the limits. False when
// nothing more can come: a time-out, the deadline, a stop, a broken reply or a failed read.
bool ReceiveMore(Exchange& exchange, HttpReplyReader& reader, const HttpLimits& limits,
                 ULONGLONG deadline) {
    char buffer[4096];
    for (;;) {
        if (exchange.cancelled || exchange.socket == INVALID_SOCKET)
            return false;
        const int n = recv(exchange.socket, buffer, sizeof buffer, 0);
        if (n > 0)
            return reader.Feed(std::string_view(buffer, static_cast<size_t>(n)));
        if (n == 0) {
            reader.ConnectionClosed();
            return false;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK ||
            Wait(exchange, false, std::min(deadline, GetTickCount64() + limits.ReceiveTimeoutMs)) !=
                Waited::Ready)
            return false;
    }
}

// Where a redirect leads, when it is an address of ours to follow.
bool RedirectTarget(const HttpUrl& from, const HttpReplyReader& reader, std::string& next) {
    const unsigned long status = reader.Status();
    const std::string& location = reader.Location();
    if ((status != 301 && status != 302 && status != 303 && status != 307 && status != 308) ||
        location.empty())
        return false;
    if (TextRules::StartsWith(location, "http://", TextRules::Compare::Text)) {
        next = location;
        return true;
    }
    if (location.front() != '/' || location.substr(0, 2) == "//")
        return false;
    next = "http://" +
           (from.Host.find(':') != std::string::npos ? "[" + from.Host + "]" : from.Host) + ":" +
           from.Port + location;
    return true;
}

// Marks the request in hand for the time of one exchange.
class InHandScope {
  public:
    explicit InHandScope(Exchange& exchange) : previous_(InHand()) { InHand() = &exchange; }
    ~InHandScope() { InHand() = previous_; }
    InHandScope(const InHandScope&) = delete;
    InHandScope& operator=(const InHandScope&) = delete;

  private:
    Exchange* previous_;
};

} // namespace

void SetYieldHook(std::function<void()> yield) {
    YieldHook() = std::move(yield);
}

void CancelRequest() {
    if (Exchange* exchange = InHand()) {
        exchange->cancelled = true;
        CloseSocket(*exchange);
    }
}

HttpResult HttpRequest(const std::string& url, const HttpLimits& limits,
                       const std::function<void(size_t)>& progress) {
    HttpResult result;
    const ULONGLONG deadline = GetTickCount64() + limits.DeadlineMs;
    if (!StartWinsock())
        return result;
    Exchange exchange;
    const InHandScope inHand(exchange);
    std::string address = url;
    for (int redirects = 0;; ++redirects) {
        HttpUrl parts;
        if (!ParseUrl(address, parts) ||
            !Connect(exchange, parts,
                     std::min(deadline, GetTickCount64() + limits.ConnectTimeoutMs)) ||
            !SendAll(exchange, RequestHead(parts), limits, deadline))
            break;
        HttpReplyReader reader;
        while (!reader.HeadRead() && ReceiveMore(exchange, reader, limits, deadline)) {
        }
        if (!reader.HeadRead())
            break; // a connection closed without a status line is no answer
        if (redirects < kMaxRedirects && RedirectTarget(parts, reader, address)) {
            CloseSocket(exchange);
            continue;
        }
        result.Opened = true;
        result.Status = reader.Status();
        if (reader.BodyFraming() == HttpReplyReader::Framing::Length &&
            reader.AnnouncedLength() > limits.MaxBody)
            break; // would only end at the cap

        bool ended = false;
        for (unsigned reads = 0;;) {
            // One read takes at most 256 bytes of the body; the one after its end takes none.
            while (reader.Body().empty() && !reader.Ended() &&
                   ReceiveMore(exchange, reader, limits, deadline)) {
            }
            if (reader.Body().empty() && !reader.Ended())
                break;
            const size_t got = std::min(reader.Body().size(), kReadSize);
            result.Body.append(reader.Body(), 0, got);
            reader.Body().erase(0, got);
            if (result.Body.size() > limits.MaxBody) {
                result.Body.resize(limits.MaxBody);
                break;
            }
            if (++reads > 1) {
                if (progress)
                    progress(result.Body.size());
                LetMessagesRun();
            }
            if (got == 0) {
                ended = true;
                break;
            }
            if (exchange.cancelled || GetTickCount64() >= deadline)
                break;
        }
        result.Complete = ended && !exchange.cancelled && result.Status >= 200 &&
                          result.Status < 300 && !reader.LengthBroken();
        result.ProvenWhole = result.Complete && reader.ProvenWhole();
        break;
    }
    CloseSocket(exchange);
    return result;
}

std::string HttpGet(const std::string& url) {
    return HttpRequest(url).Body;
}

std::string HttpGetWithProgress(const std::string& url,
                                const std::function<void(size_t)>& progress) {
    return HttpRequest(url, {}, progress).Body;
}

std::string DownloadedBytesText(size_t length) {
    return "Downloaded " + std::to_string(length) + " bytes.";
}

bool DownloadFile(const std::string& url, const std::string& localPath, const HttpLimits& limits) {
    const size_t slash = localPath.rfind('\\');
    if (!DrivePath::HasDriveLetter(localPath) || slash == std::string::npos ||
        slash + 1 == localPath.size() || !xfileExists::FolderExists(localPath.substr(0, slash + 1)))
        return false;
    const HttpResult reply = HttpRequest(url, limits);
    if (!reply.ProvenWhole)
        return false;

    // Beside the target, so the final rename stays on one volume and replaces it in one step.
    const std::wstring folder = Utf8ToWide(localPath.substr(0, slash + 1));
    wchar_t temporary[MAX_PATH + 1] = {};
    if (!GetTempFileNameW(folder.c_str(), L"dl", 0, temporary))
        return false;
    const HANDLE file = CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    bool written = file != INVALID_HANDLE_VALUE;
    for (size_t done = 0; written && done < reply.Body.size();) {
        const DWORD part = static_cast<DWORD>(std::min<size_t>(reply.Body.size() - done, 1 << 20));
        DWORD wrote = 0;
        written = WriteFile(file, reply.Body.data() + done, part, &wrote, nullptr) && wrote == part;
        done += wrote;
    }
    if (file != INVALID_HANDLE_VALUE) {
        written = FlushFileBuffers(file) && written;
        CloseHandle(file);
    }
    if (written && MoveFileExW(temporary, Utf8ToWide(localPath).c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temporary);
    return false;
}

std::string PercentEncode(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : bytes) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
            (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
            byte == '~') {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 15];
        }
    }
    return encoded;
}

} // namespace modInternet
