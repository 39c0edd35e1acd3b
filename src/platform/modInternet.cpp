#include "modInternet.h"

#include "AnsiText.h"
#include "DrivePath.h"
#include "HostLookup.h"
#include "HttpAddress.h"
#include "HttpReplyReader.h"
#include "xfileExists.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <algorithm>

namespace modInternet {

namespace {

// Tens of kilobytes: a read takes what the connection has, so a fast line is read at its speed
// while the message loop still runs between reads.
constexpr size_t kReadBuffer = 64 * 1024;
// A wait for the network is cut into slices this long, so that the message loop runs and a
// stop is seen meanwhile.
constexpr DWORD kWaitSliceMs = 20;
// While a request is in hand the message loop runs at least this often, whatever the server
// sends: a stream that never pauses must not keep the windows from answering.
constexpr ULONGLONG kMaxSilenceMs = 25;
// Redirects followed for one request, as a browser's client would.
constexpr int kMaxRedirects = 5;

std::function<void()>& YieldHook() {
    static std::function<void()> hook;
    return hook;
}

// The request in hand, which a stop may end.
struct Exchange {
    SOCKET socket = INVALID_SOCKET;
    bool cancelled = false;
    ULONGLONG deadline = 0;
    ULONGLONG lastYield = 0; // when the message loop last ran

    bool OutOfTime() const { return cancelled || GetTickCount64() >= deadline; }
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

void LetMessagesRun(Exchange& exchange) {
    if (YieldHook())
        YieldHook()();
    exchange.lastYield = GetTickCount64();
}

// Between reads and while waiting: the message loop runs when messages wait, and at least every
// kMaxSilenceMs. A stop met there closes the socket, which every pass then sees.
void KeepWindowAnswering(Exchange& exchange) {
    if (HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0 ||
        GetTickCount64() - exchange.lastYield >= kMaxSilenceMs)
        LetMessagesRun(exchange);
}

bool StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

enum class Waited { Ready, Failed, TimedOut, Stopped };

// Waits for the socket to have bytes (or a close) to read, or room to write, letting the
// message loop run meanwhile; a stop ends the wait at once.
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
        KeepWindowAnswering(exchange);
    }
}

// The host's addresses, looked up without blocking the window; a stop or the time's end gives
// the lookup up.
bool LookUp(Exchange& exchange, const HostLookup& lookup, ULONGLONG until) {
    while (!lookup.Done()) {
        if (exchange.cancelled || GetTickCount64() >= until)
            return false;
        lookup.WaitAtMost(kWaitSliceMs);
        KeepWindowAnswering(exchange);
    }
    return lookup.Addresses() != nullptr;
}

bool Connect(Exchange& exchange, const HttpAddress& url, ULONGLONG connectUntil) {
    const HostLookup lookup(url.Host, url.Port);
    if (!LookUp(exchange, lookup, connectUntil))
        return false;
    bool connected = false;
    for (const addrinfo* address = lookup.Addresses(); address && !connected && !exchange.cancelled;
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
    return connected;
}

// A bare GET: the agent "Mozilla", never answered from a cache, no other header of ours.
std::string RequestHead(const HttpAddress& url) {
    return "GET " + url.Target + " HTTP/1.1\r\nHost: " + HostHeader(url) +
           "\r\nUser-Agent: Mozilla\r\nPragma: no-cache\r\nCache-Control: no-cache\r\n"
           "Connection: close\r\n\r\n";
}

bool SendAll(Exchange& exchange, const std::string& data, const HttpLimits& limits) {
    for (size_t sent = 0; sent < data.size();) {
        if (exchange.OutOfTime())
            return false;
        const int n =
            send(exchange.socket, data.data() + sent, static_cast<int>(data.size() - sent), 0);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n == 0 || WSAGetLastError() != WSAEWOULDBLOCK ||
            Wait(exchange, true,
                 std::min(exchange.deadline, GetTickCount64() + limits.ReceiveTimeoutMs)) !=
                Waited::Ready)
            return false;
    }
    return true;
}

// Feeds the reader what the connection has next, waiting for it within the limits. False when
// nothing more can come: a time-out, the deadline, a stop, a broken reply, a close or a failed
// read. The deadline and the stop are looked at on every pass, whether data came or not.
bool ReceiveMore(Exchange& exchange, HttpReplyReader& reader, const HttpLimits& limits,
                 std::string& buffer) {
    for (;;) {
        if (exchange.OutOfTime() || exchange.socket == INVALID_SOCKET || reader.Broken())
            return false;
        const int n = recv(exchange.socket, buffer.data(), static_cast<int>(buffer.size()), 0);
        if (n > 0) {
            const bool fed = reader.Feed(std::string_view(buffer.data(), static_cast<size_t>(n)));
            KeepWindowAnswering(exchange);
            return fed;
        }
        if (n == 0) {
            reader.ConnectionClosed();
            return false;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK ||
            Wait(exchange, false,
                 std::min(exchange.deadline, GetTickCount64() + limits.ReceiveTimeoutMs)) !=
                Waited::Ready)
            return false;
    }
}

// Where a redirect leads, when it is an address of ours to follow.
bool RedirectTarget(const std::string& from, const HttpReplyReader& reader, std::string& next) {
    const unsigned long status = reader.Status();
    if ((status != 301 && status != 302 && status != 303 && status != 307 && status != 308) ||
        reader.Location().empty())
        return false;
    std::string resolved = ResolveReference(from, reader.Location());
    HttpAddress parts;
    if (!ParseHttpAddress(resolved, parts))
        return false;
    next = std::move(resolved);
    return true;
}

// Takes the body into the result read by read, showing the progress after every read after the
// first (the one after the body's end takes nothing) and letting the message loop run once.
// True when the body's end was reached.
bool ReadBody(Exchange& exchange, HttpReplyReader& reader, const HttpLimits& limits,
              const std::function<void(size_t)>& progress, std::string& buffer, std::string& body) {
    for (unsigned reads = 1;; ++reads) {
        while (reader.Body().empty() && !reader.Ended() &&
               ReceiveMore(exchange, reader, limits, buffer)) {
        }
        if (reader.Body().empty() && !reader.Ended())
            return false; // cut, stalled, stopped or broken
        const size_t got = reader.Body().size();
        body += reader.Body();
        reader.Body().clear();
        if (body.size() > limits.MaxBody) {
            body.resize(limits.MaxBody);
            return false;
        }
        if (reads > 1) {
            if (progress)
                progress(body.size());
            LetMessagesRun(exchange);
        }
        if (got == 0)
            return true;
        if (exchange.OutOfTime())
            return false;
    }
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

HttpResult Request(const std::string& url, const HttpLimits& limits,
                   const std::function<void(size_t)>& progress) {
    HttpResult result;
    if (!StartWinsock())
        return result;
    Exchange exchange;
    exchange.deadline = GetTickCount64() + limits.DeadlineMs;
    exchange.lastYield = GetTickCount64();
    const InHandScope inHand(exchange);
    std::string buffer(kReadBuffer, '\0');
    std::string address = url;
    for (int redirects = 0;; ++redirects) {
        HttpAddress parts;
        if (!ParseHttpAddress(address, parts) ||
            !Connect(exchange, parts,
                     std::min(exchange.deadline, GetTickCount64() + limits.ConnectTimeoutMs)) ||
            !SendAll(exchange, RequestHead(parts), limits))
            break;
        HttpReplyReader reader;
        while (!reader.HeadRead() && ReceiveMore(exchange, reader, limits, buffer)) {
        }
        if (!reader.HeadRead())
            break; // no status line, or a head that breaks the rules, is no answer
        if (redirects < kMaxRedirects && RedirectTarget(address, reader, address)) {
            CloseSocket(exchange);
            continue;
        }
        result.Opened = true;
        result.Status = reader.Status();
        if (reader.BodyFraming() == HttpReplyReader::Framing::Length &&
            reader.AnnouncedLength() > limits.MaxBody)
            break; // would only end at the cap
        const bool ended = ReadBody(exchange, reader, limits, progress, buffer, result.Body);
        result.ProvenWhole = ended && !exchange.cancelled && reader.ProvenWhole();
        break;
    }
    CloseSocket(exchange);
    return result;
}

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

HttpResult HttpGet(const std::string& url, const HttpLimits& limits) {
    return Request(url, limits, nullptr);
}

HttpResult HttpGetWithProgress(const std::string& url, const std::function<void(size_t)>& progress,
                               const HttpLimits& limits) {
    return Request(url, limits, progress);
}

std::string DownloadedBytesText(size_t length) {
    return "Downloaded " + std::to_string(length) + " bytes.";
}

bool DownloadFile(const std::string& url, const std::string& localPath, const HttpLimits& limits) {
    const size_t slash = localPath.rfind('\\');
    if (!DrivePath::HasDriveLetter(localPath) || slash == std::string::npos ||
        slash + 1 == localPath.size() || !xfileExists::FolderExists(localPath.substr(0, slash + 1)))
        return false;
    const HttpResult reply = HttpGet(url, limits);
    if (!reply.WholeSuccess())
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
