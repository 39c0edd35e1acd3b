#include "HostLookup.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <atomic>
#include <thread>

namespace {

int SystemLookup(const char* host, const char* port, const addrinfo* hints, addrinfo** found) {
    return getaddrinfo(host, port, hints, found);
}

HostLookup::Resolver& CurrentResolver() {
    static HostLookup::Resolver resolver = SystemLookup;
    return resolver;
}

addrinfo StreamHints(int flags) {
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = flags;
    return hints;
}

} // namespace

// What the request and the helper thread share. Only the thread writes `found`, before it
// sets `done`; the request reads it only after it has seen `done`.
struct HostLookup::Shared {
    std::string host, port;
    HostLookup::Resolver resolver = nullptr;
    addrinfo* found = nullptr;
    std::atomic<bool> done{false};
    HANDLE finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);

    ~Shared() {
        if (found)
            freeaddrinfo(found);
        if (finished)
            CloseHandle(finished);
    }
};

void HostLookup::SetResolver(Resolver resolver) {
    CurrentResolver() = resolver ? resolver : SystemLookup;
}

HostLookup::HostLookup(const std::string& host, const std::string& port)
    : shared_(std::make_shared<Shared>()) {
    // A numeric address needs no name server: no thread for it.
    const addrinfo numeric = StreamHints(AI_NUMERICHOST);
    if (getaddrinfo(host.c_str(), port.c_str(), &numeric, &shared_->found) == 0) {
        shared_->done = true;
        return;
    }
    shared_->found = nullptr;
    shared_->host = host;
    shared_->port = port;
    shared_->resolver = CurrentResolver();
    try {
        std::thread([shared = shared_] {
            const addrinfo hints = StreamHints(0);
            addrinfo* found = nullptr;
            if (shared->resolver(shared->host.c_str(), shared->port.c_str(), &hints, &found) == 0)
                shared->found = found;
            shared->done = true;
            SetEvent(shared->finished);
        }).detach();
    } catch (const std::exception&) {
        shared_->done = true; // no thread to be had: the lookup fails
    }
}

HostLookup::~HostLookup() = default;

bool HostLookup::Done() const {
    return shared_->done;
}

void HostLookup::WaitAtMost(unsigned ms) const {
    if (Done())
        return;
    if (shared_->finished)
        MsgWaitForMultipleObjects(1, &shared_->finished, FALSE, ms, QS_ALLINPUT);
    else
        Sleep(ms); // no event to wait on: the thread is polled
}

const addrinfo* HostLookup::Addresses() const {
    return Done() ? shared_->found : nullptr;
}
