// The program's only network client: plain HTTP GETs over the system's sockets, read 256 bytes
// at a time, yielding to the message loop between reads and while the network is silent, so the
// windows stay live and a stop ends a request at once. Requests carry no headers of their own
// but the agent "Mozilla" and no-cache, and are bounded in time and size. The client reads the
// reply's framing itself, so a body cut short is known as such whatever its framing.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace modInternet {

// How long and how much one request may take.
struct HttpLimits {
    unsigned ConnectTimeoutMs = 15000;
    unsigned ReceiveTimeoutMs = 30000; // per read
    unsigned DeadlineMs = 120000;      // the whole request
    size_t MaxBody = 64u << 20;        // bytes; more ends the request as incomplete
};
// For the short date and status replies.
inline constexpr HttpLimits kSmallReply{15000, 15000, 30000, 64u << 10};

struct HttpResult {
    // The bytes received, one char per byte, at most MaxBody of them.
    std::string Body;
    bool Opened = false;      // the URL could be opened (a server answered)
    unsigned long Status = 0; // the HTTP status, 0 when none
    // A 2xx status and the whole body as far as the reply shows: the announced length received,
    // the last chunk read, or a body delimited by the connection's close; no time-out, deadline,
    // cap or stop hit.
    bool Complete = false;
    // Complete, and the framing proves it whole: the Content-Length met or the last chunk read.
    // A close-delimited body is not: a connection cut anywhere ends it the same way.
    bool ProvenWhole = false;
};

// Sets what the requests call to let the message loop run once between reads. The platform
// layer cannot reach the message loop itself, so the program's start-up installs ui::DoEvents
// here; without a hook the reads do not yield. An empty function removes the hook.
void SetYieldHook(std::function<void()> yield);

// Ends the request in hand (from a stop action run while it lets the message loop run): its
// connection closes and it returns what it had, incomplete. Nothing when no request runs.
void CancelRequest();

// GETs an "http://" URL (any other scheme is not opened); up to five redirects to "http://"
// addresses are followed. `progress`, when given, is called
// after every read after the first with the body's length so far; the message loop runs once
// after each of those reads, and whenever messages arrive while the network is silent.
HttpResult HttpRequest(const std::string& url, const HttpLimits& limits = {},
                       const std::function<void(size_t)>& progress = nullptr);

// The body, or "" when the Internet handle or the URL cannot be opened. The status is not
// looked at: an error page comes back as the body.
std::string HttpGet(const std::string& url);
// HttpGet, reporting the body's length after every read after the first.
std::string HttpGetWithProgress(const std::string& url,
                                const std::function<void(size_t)>& progress);
// The progress text of the download window: "Downloaded " n " bytes.".
std::string DownloadedBytesText(size_t length);

// Downloads into the file only when the transfer is proven whole (see ProvenWhole): written to a
// temporary file beside it, flushed, then put in its place in one step, so a broken reply leaves an
// existing file as it was. True when it was replaced. Only paths with a drive letter are written.
bool DownloadFile(const std::string& url, const std::string& localPath,
                  const HttpLimits& limits = {});

// Every byte outside the unreserved set (A-Z a-z 0-9 - . _ ~) as %XX (upper-case hex).
std::string PercentEncode(std::string_view bytes);

} // namespace modInternet
