// A scripted HTTP server on 127.0.0.1 for the tests: it stands in for the definitions service
// and can misbehave on purpose (cut a body short, stall, drip, refuse, send exact bytes, flood).
// One thread serves one connection at a time; every reply closes its connection. The server
// ends by itself when its life is over, and in its destructor.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class LoopbackHttpServer {
  public:
    // How the body's end is made known.
    enum class Framing { ContentLength, CloseDelimited, Chunked };

    // One step of a reply sent as exact bytes.
    struct Step {
        std::string Bytes;
        unsigned PauseMs = 0; // silence after the bytes, the connection held open
        // The bytes again and again, until the client hangs up or the connection's time is up.
        bool Flood = false;
    };

    struct Reply {
        unsigned Status = 200;
        std::string Reason = "OK";
        std::vector<std::pair<std::string, std::string>> Headers = {}; // after the status line
        std::string Body = {};
        Framing BodyFraming = Framing::ContentLength;
        // Only this many body bytes go out, then the connection closes: a Content-Length reply
        // has announced the whole body, a chunked one never sends its last chunk.
        size_t SendOnly = kWhole;
        unsigned DelayMs = 0; // silence after the request, before the status line
        // The body offset at which the sending stops for PauseMs: 0 is right after the head,
        // the body's length just before its end.
        size_t PauseAt = kWhole;
        unsigned PauseMs = 0;
        size_t DripBytes = 0;     // when not 0, the body goes out this many bytes at a time...
        unsigned DripMs = 0;      // ...with this pause after each piece
        size_t ChunkBytes = 1000; // the largest chunk of a chunked body
        bool Refuse = false;      // close the connection once the request is read, sending nothing
        // When not empty, the reply is these steps alone, none of the fields above but
        // DelayMs: the connection closes after the last one.
        std::vector<Step> Script = {};
    };
    static constexpr size_t kWhole = static_cast<size_t>(-1);

    struct Request {
        std::string Head;   // the request line and headers as received
        std::string Target; // the request target as sent ("/path?query")
        std::string Path;   // the target before "?"
        // The query's pairs, percent-decoded ("+" as a space, as a form-reading server does);
        // a key given twice keeps its first value.
        std::map<std::string, std::string> Query;
    };
    using Handler = std::function<Reply(const Request&)>;

    explicit LoopbackHttpServer(
        std::chrono::milliseconds life = std::chrono::seconds(60),
        std::chrono::milliseconds connectionLimit = std::chrono::seconds(20));
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // "http://127.0.0.1:<port>".
    std::string BaseUrl() const;
    // The base address of a port nobody listens on, so a connection is refused.
    static std::string UnusedBaseUrl();

    // Replies are taken in order by requests that no handler serves; with none left, 404.
    void Queue(Reply reply);
    // Serves every request for this path (the target before "?"), on the server's thread; a
    // handler that throws fails the test and the request gets a 404.
    void Route(const std::string& path, Handler handler);
    // The requests received so far, in order.
    std::vector<Request> Requests() const;

    // Ends serving; a connection in progress is closed.
    void Stop();

  private:
    void Serve();
    void ServeConnection(uintptr_t client);
    Reply ReplyFor(const Request& request);
    bool SendAll(uintptr_t client, const std::string& data);
    // Sends the script's steps; false when the connection ended on the way.
    bool SendScript(uintptr_t client, const std::vector<Step>& script);
    // Lets time pass; false when the client hung up, the server stops or the connection's time
    // is up.
    bool Wait(uintptr_t client, unsigned ms);
    bool Stopping() const;

    uintptr_t listener_;
    unsigned short port_ = 0;
    std::chrono::steady_clock::time_point end_;
    std::chrono::steady_clock::time_point connectionEnd_;
    std::chrono::milliseconds connectionLimit_;
    mutable std::mutex mutex_;
    bool stop_ = false;
    std::deque<Reply> queue_;
    std::map<std::string, Handler> routes_;
    std::vector<Request> requests_;
    std::thread thread_;
};
