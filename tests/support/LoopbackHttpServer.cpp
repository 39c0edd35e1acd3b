#include "LoopbackHttpServer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <exception>

namespace {

using Clock = std::chrono::steady_clock;

// Sockets are checked this often for the stop request while they wait.
constexpr auto kPoll = std::chrono::milliseconds(50);
// A request head larger than this is not a request of ours.
constexpr size_t kMaxHead = 64 * 1024;

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string Decode(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
                   HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::map<std::string, std::string> DecodeQuery(std::string_view query) {
    std::map<std::string, std::string> pairs;
    while (!query.empty()) {
        const size_t amp = query.find('&');
        const std::string_view piece = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        if (piece.empty())
            continue;
        const size_t eq = piece.find('=');
        pairs.emplace(Decode(piece.substr(0, eq)),
                      eq == std::string_view::npos ? std::string() : Decode(piece.substr(eq + 1)));
    }
    return pairs;
}

// The request line's target lies between the method and the version; it may hold blanks when a
// client sends a URL unescaped.
LoopbackHttpServer::Request ParseRequest(std::string head) {
    LoopbackHttpServer::Request request;
    const std::string line = head.substr(0, head.find("\r\n"));
    const size_t first = line.find(' ');
    const size_t last = line.rfind(' ');
    if (first != std::string::npos && last > first)
        request.Target = line.substr(first + 1, last - first - 1);
    const size_t question = request.Target.find('?');
    request.Path = request.Target.substr(0, question);
    if (question != std::string::npos)
        request.Query = DecodeQuery(std::string_view(request.Target).substr(question + 1));
    request.Head = std::move(head);
    return request;
}

std::string HeadOf(const LoopbackHttpServer::Reply& reply) {
    std::string head = "HTTP/1.1 " + std::to_string(reply.Status) + " " + reply.Reason + "\r\n";
    for (const auto& [name, value] : reply.Headers)
        head += name + ": " + value + "\r\n";
    if (reply.BodyFraming == LoopbackHttpServer::Framing::ContentLength)
        head += "Content-Length: " + std::to_string(reply.Body.size()) + "\r\n";
    else if (reply.BodyFraming == LoopbackHttpServer::Framing::Chunked)
        head += "Transfer-Encoding: chunked\r\n";
    return head + "Connection: close\r\n\r\n";
}

// Waits up to `wait` for the socket to have data (or a hang-up) to read, or room to write.
bool Ready(SOCKET s, bool toWrite, Clock::duration wait) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    const long us = static_cast<long>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::max<Clock::duration>(wait, {}))
            .count());
    timeval timeout = {us / 1000000, us % 1000000};
    return select(0, toWrite ? nullptr : &set, toWrite ? &set : nullptr, nullptr, &timeout) == 1;
}

std::string Chunk(std::string_view data) {
    char size[16];
    std::snprintf(size, sizeof size, "%X\r\n", static_cast<unsigned>(data.size()));
    return size + std::string(data) + "\r\n";
}

} // namespace

LoopbackHttpServer::LoopbackHttpServer(std::chrono::milliseconds life,
                                       std::chrono::milliseconds connectionLimit)
    : listener_(INVALID_SOCKET), end_(Clock::now() + life), connectionLimit_(connectionLimit) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(s, 8) != 0 || getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ADD_FAILURE() << "the loopback server cannot listen: " << WSAGetLastError();
        if (s != INVALID_SOCKET)
            closesocket(s);
        return;
    }
    listener_ = s;
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    Stop();
    WSACleanup();
}

std::string LoopbackHttpServer::BaseUrl() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

std::string LoopbackHttpServer::UnusedBaseUrl() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    unsigned short port = 0;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    // Bound but never listening: the port stays taken by nobody else while it is asked for.
    if (s != INVALID_SOCKET && bind(s, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (s != INVALID_SOCKET)
        closesocket(s);
    WSACleanup();
    EXPECT_NE(port, 0) << "no free loopback port";
    return "http://127.0.0.1:" + std::to_string(port);
}

void LoopbackHttpServer::Queue(Reply reply) {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(reply));
}

void LoopbackHttpServer::Route(const std::string& path, Handler handler) {
    std::lock_guard lock(mutex_);
    routes_[path] = std::move(handler);
}

std::vector<LoopbackHttpServer::Request> LoopbackHttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void LoopbackHttpServer::Stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    if (thread_.joinable())
        thread_.join();
}

bool LoopbackHttpServer::Stopping() const {
    std::lock_guard lock(mutex_);
    return stop_ || Clock::now() >= end_;
}

bool LoopbackHttpServer::Wait(uintptr_t client, unsigned ms) {
    // Watches the client meanwhile: one that hangs up ends the wait, so the next connection
    // is not kept waiting for a stall nobody listens to any more.
    const auto until = std::min(Clock::now() + std::chrono::milliseconds(ms), connectionEnd_);
    char buffer[512];
    while (Clock::now() < until) {
        if (Stopping())
            return false;
        if (Ready(client, false, std::min<Clock::duration>(kPoll, until - Clock::now())) &&
            recv(client, buffer, sizeof buffer, 0) <= 0)
            return false;
    }
    return Clock::now() < connectionEnd_;
}

void LoopbackHttpServer::Serve() {
    const SOCKET listener = listener_;
    while (!Stopping()) {
        if (!Ready(listener, false, kPoll))
            continue;
        const SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            continue;
        connectionEnd_ = std::min(Clock::now() + connectionLimit_, end_);
        ServeConnection(client);
        closesocket(client);
    }
    closesocket(listener);
}

void LoopbackHttpServer::ServeConnection(uintptr_t client) {
    // Reads one request head; a client that sends none within the limit gets nothing.
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        if (Stopping() || Clock::now() >= connectionEnd_ || head.size() > kMaxHead)
            return;
        if (!Ready(client, false, kPoll))
            continue;
        const int got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0)
            return;
        head.append(buffer, got);
    }
    head.resize(head.find("\r\n\r\n") + 4);
    Request request = ParseRequest(std::move(head));
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    const Reply reply = ReplyFor(request);
    if (reply.Refuse || (reply.DelayMs && !Wait(client, reply.DelayMs)))
        return;
    if (!reply.Script.empty()) {
        if (SendScript(client, reply.Script)) {
            shutdown(client, SD_SEND);
            Wait(client, 2000);
        }
        return;
    }

    // Pieces that go out together are sent in one call, so a client sees them at once.
    std::string pending = HeadOf(reply);
    const auto sendThenWait = [&](unsigned ms) {
        const bool on = SendAll(client, pending) && Wait(client, ms);
        pending.clear();
        return on;
    };
    const std::string_view body =
        std::string_view(reply.Body).substr(0, std::min(reply.SendOnly, reply.Body.size()));
    for (size_t sent = 0;;) {
        if (sent == reply.PauseAt && reply.PauseMs && !sendThenWait(reply.PauseMs))
            return;
        if (sent == body.size())
            break;
        size_t piece = reply.DripBytes ? reply.DripBytes : body.size();
        if (reply.BodyFraming == Framing::Chunked)
            piece = std::min(piece, std::max<size_t>(reply.ChunkBytes, 1));
        if (sent < reply.PauseAt)
            piece = std::min(piece, reply.PauseAt - sent);
        piece = std::min(piece, body.size() - sent);
        const std::string_view data = body.substr(sent, piece);
        pending += reply.BodyFraming == Framing::Chunked ? Chunk(data) : std::string(data);
        sent += piece;
        if (reply.DripBytes && reply.DripMs && sent < body.size() && !sendThenWait(reply.DripMs))
            return;
    }
    if (reply.BodyFraming == Framing::Chunked && reply.SendOnly >= reply.Body.size())
        pending += "0\r\n\r\n";
    if (!SendAll(client, pending))
        return;
    // Ends the reply, then waits for the client to close: closing first could reset the
    // connection before the client has read everything.
    shutdown(client, SD_SEND);
    Wait(client, 2000);
}

LoopbackHttpServer::Reply LoopbackHttpServer::ReplyFor(const Request& request) {
    Handler handler;
    {
        std::lock_guard lock(mutex_);
        if (const auto route = routes_.find(request.Path); route != routes_.end()) {
            handler = route->second;
        } else if (!queue_.empty()) {
            Reply reply = std::move(queue_.front());
            queue_.pop_front();
            return reply;
        }
    }
    if (handler) {
        try {
            return handler(request);
        } catch (const std::exception& e) {
            ADD_FAILURE() << "the route for " << request.Path << " failed: " << e.what();
        }
    }
    Reply missing;
    missing.Status = 404;
    missing.Reason = "Not Found";
    missing.Body = "Not Found";
    return missing;
}

bool LoopbackHttpServer::SendScript(uintptr_t client, const std::vector<Step>& script) {
    for (const Step& step : script) {
        if (step.Flood) {
            // Sent in large pieces, so the flood comes as fast as the client takes it.
            std::string flood;
            while (!step.Bytes.empty() && flood.size() < 64 * 1024)
                flood += step.Bytes;
            while (SendAll(client, flood)) {
            }
            return false;
        }
        if (!SendAll(client, step.Bytes) || (step.PauseMs && !Wait(client, step.PauseMs)))
            return false;
    }
    return true;
}

bool LoopbackHttpServer::SendAll(uintptr_t client, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        if (Stopping() || Clock::now() >= connectionEnd_)
            return false;
        if (!Ready(client, true, kPoll))
            continue;
        const int n = send(client, data.data() + sent,
                           static_cast<int>(std::min<size_t>(data.size() - sent, 64 * 1024)), 0);
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}
