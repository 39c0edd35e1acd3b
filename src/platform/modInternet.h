// The program's only network client: plain HTTP GETs over the system's sockets. Each read takes
// what the connection has, up to a buffer of tens of kilobytes, and the message loop runs after
// each one and at least every few tens of milliseconds whatever the server sends, so the
// windows stay live and a stop ends a request at once, during the name lookup too. Requests
// carry no headers of their own but the agent "Mozilla" and no-cache, and every wait and size
// is bounded. The client reads the reply's framing itself, so a body cut short is known as such
// whatever its framing, and a reply whose framing breaks the protocol ends at once.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace modInternet {

// How long and how much one request may take.
struct HttpLimits {
    unsigned ConnectTimeoutMs = 15000; // the name lookup and the connection
    unsigned ReceiveTimeoutMs = 30000; // silence of the server
    unsigned DeadlineMs = 120000;      // the whole request
    size_t MaxBody = 64u << 20;        // bytes; more ends the request, not proven whole
};
// For the short date and status replies.
inline constexpr HttpLimits kSmallReply{15000, 15000, 30000, 64u << 10};

struct HttpResult {
    // The bytes received, one char per byte, at most MaxBody of them.
    std::string Body;
    bool Opened = false;      // a server answered with a head that keeps the rules
    unsigned long Status = 0; // the HTTP status, 0 when none
    // The framing proves the body whole: its Content-Length met, its last chunk read, or a
    // status that has no body; and no time-out, deadline, cap or stop came first. A body that
    // only the connection's close ends is never proven whole: a cut connection ends the same way.
    bool ProvenWhole = false;

    // A 2xx status with a body proven whole: the only reply that may replace or decide anything.
    bool WholeSuccess() const { return ProvenWhole && Status >= 200 && Status < 300; }
};

// Sets what the requests call to let the message loop run once. The platform layer cannot reach
// the message loop itself, so the program's start-up installs ui::DoEvents here; without a hook
// the reads do not yield. An empty function removes the hook.
void SetYieldHook(std::function<void()> yield);

// Ends the request in hand (from a stop action run while it lets the message loop run): its
// connection closes and it returns what it had, not proven whole. Nothing when no request runs.
void CancelRequest();

// GETs an "http://" URL (any other scheme is not opened); up to five redirects to "http://"
// addresses are followed, a relative Location resolved against the address that sent it.
HttpResult HttpGet(const std::string& url, const HttpLimits& limits = {});
// HttpGet, calling `progress` with the body's length after every read after the first, before
// the message loop runs once.
HttpResult HttpGetWithProgress(const std::string& url, const std::function<void(size_t)>& progress,
                               const HttpLimits& limits = {});
// The progress text of the download window: "Downloaded " n " bytes.".
std::string DownloadedBytesText(size_t length);

// Downloads into the file only when the reply is a whole success (see WholeSuccess): written to
// a temporary file beside it, flushed, then put in its place in one step, so a broken reply
// leaves an existing file as it was. True when it was replaced. Only paths with a drive letter
// are written.
bool DownloadFile(const std::string& url, const std::string& localPath,
                  const HttpLimits& limits = {});

// Every byte outside the unreserved set (A-Z a-z 0-9 - . _ ~) as %XX (upper-case hex).
std::string PercentEncode(std::string_view bytes);

} // namespace modInternet
