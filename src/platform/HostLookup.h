// The addresses of a host, found where a slow name server cannot freeze the window. A numeric
// address is taken apart at once; a name is looked up on a helper thread of its own, the one
// exception to the program's single thread: the system's lookup blocks and cannot be cancelled,
// and a redirect may name any host. The thread owns nothing but its lookup: a copy of the name
// and the result, kept alive by whichever of the two sides lets go last, so a lookup given up
// on finishes later without touching anything the request has freed.
#pragma once

#include <memory>
#include <string>

struct addrinfo;

class HostLookup {
  public:
    // What the helper thread calls: getaddrinfo, or a test's stand-in for a name server.
    using Resolver = int (*)(const char* host, const char* port, const addrinfo* hints,
                             addrinfo** found);
    // Sets the lookup the next lookups of a name run; nullptr restores getaddrinfo.
    static void SetResolver(Resolver resolver);

    // Starts looking up a TCP endpoint of the host (a name or a numeric address) and port.
    HostLookup(const std::string& host, const std::string& port);
    // Gives up a lookup still running; its thread ends by itself.
    ~HostLookup();
    HostLookup(const HostLookup&) = delete;
    HostLookup& operator=(const HostLookup&) = delete;

    bool Done() const;
    // Waits for the lookup at most this long, returning early when messages arrive for this
    // thread.
    void WaitAtMost(unsigned ms) const;
    // The addresses found, in the resolver's order; nullptr while running or when none.
    const addrinfo* Addresses() const;

  private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};
