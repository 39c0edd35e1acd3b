// HTTP requests against the test suite's own loopback server: whole and broken replies, time
// limits, the size cap, the name lookup, downloads that never damage the file they replace.
#include "HostLookup.h"
#include "LoopbackHttpServer.h"
#include "TempFolder.h"
#include "modInternet.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

using modInternet::HttpLimits;
using modInternet::HttpResult;
using Framing = LoopbackHttpServer::Framing;
using Reply = LoopbackHttpServer::Reply;

namespace {

// Short limits so that a stalled reply costs the test a second, not half a minute.
constexpr HttpLimits kQuick{2000, 1000, 4000, 4096};
constexpr Framing kClose = Framing::CloseDelimited;
constexpr Framing kChunks = Framing::Chunked;
constexpr size_t kAll = LoopbackHttpServer::kWhole;

Reply Body(std::string body, Framing framing = Framing::ContentLength) {
    Reply reply;
    reply.Body = std::move(body);
    reply.BodyFraming = framing;
    return reply;
}

std::string Pattern(size_t length) {
    std::string text;
    for (size_t i = 0; i < length; ++i)
        text += static_cast<char>('a' + i % 26);
    return text;
}

size_t FilesIn(const std::string& folder) {
    WIN32_FIND_DATAA found;
    const HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    size_t count = 0;
    if (find == INVALID_HANDLE_VALUE)
        return count;
    do {
        count += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return count;
}

class Internet : public testing::Test {
  protected:
    void TearDown() override {
        modInternet::SetYieldHook(nullptr);
        HostLookup::SetResolver(nullptr);
    }
    std::string Url(const std::string& target = "/") const { return server.BaseUrl() + target; }

    LoopbackHttpServer server;
};

} // namespace

TEST_F(Internet, ShortAndEmptyBodiesComeBackExactly) {
    server.Queue(Body(""));
    server.Queue(Body(Pattern(100)));
    server.Queue(Body(Pattern(255), Framing::CloseDelimited));
    EXPECT_EQ(modInternet::HttpGet(Url()).Body, "");
    EXPECT_EQ(modInternet::HttpGet(Url()).Body, Pattern(100));
    EXPECT_EQ(modInternet::HttpGet(Url()).Body, Pattern(255));
}

TEST_F(Internet, ProgressFollowsEveryReadAfterTheFirstAndTheMessageLoopEach) {
    // Three pieces far enough apart to be three reads; the read after the end takes nothing.
    server.Queue({.Body = Pattern(300), .DripBytes = 100, .DripMs = 150});
    std::string events;
    modInternet::SetYieldHook([&] { events += 'Y'; });
    std::vector<std::string> shown;
    const HttpResult result = modInternet::HttpGetWithProgress(Url(), [&](size_t length) {
        shown.push_back(modInternet::DownloadedBytesText(length));
        events += 'P';
    });
    EXPECT_TRUE(result.WholeSuccess());
    EXPECT_EQ(result.Body, Pattern(300));
    EXPECT_EQ(shown, (std::vector<std::string>{"Downloaded 200 bytes.", "Downloaded 300 bytes.",
                                               "Downloaded 300 bytes."}));
    // Each progress text is followed by a pass of the message loop.
    EXPECT_EQ(events.find("PP"), std::string::npos) << events;
    EXPECT_EQ(events.back(), 'Y');
}

TEST_F(Internet, AnUnreachableServerGivesNothing) {
    const std::string url = LoopbackHttpServer::UnusedBaseUrl() + "/x";
    const HttpResult result = modInternet::HttpGet(url, kQuick);
    EXPECT_EQ(result.Body, "");
    EXPECT_FALSE(result.Opened);
    EXPECT_EQ(result.Status, 0u);
    EXPECT_FALSE(result.ProvenWhole);
    TempFolder folder;
    EXPECT_FALSE(modInternet::DownloadFile(url, folder / "file.dat"));
    EXPECT_EQ(FilesIn(folder.Path()), 0u);
}

TEST_F(Internet, OnlyHttpUrlsAreOpened) {
    for (const std::string& url :
         {"https" + Url().substr(4), "ftp" + Url().substr(4),
          std::string("file://C:/windows/win.ini"), std::string("http://"), std::string("")}) {
        const HttpResult result = modInternet::HttpGet(url, kQuick);
        EXPECT_FALSE(result.Opened) << url;
        EXPECT_EQ(result.Body, "") << url;
    }
    EXPECT_TRUE(server.Requests().empty());
    server.Queue(Body("yes"));
    EXPECT_EQ(modInternet::HttpGet("HTTP" + Url().substr(4)).Body, "yes");
}

TEST_F(Internet, EachWayOfReplyingHasItsOutcome) {
    const std::string whole = Pattern(1000);
    // Chunks of 300 bytes, cut after `sent` bytes or stalled for long at `pause`.
    const auto chunked = [](size_t sent, size_t pause) {
        return Reply{.BodyFraming = kChunks,
                     .SendOnly = sent,
                     .PauseAt = pause,
                     .PauseMs = 3000,
                     .ChunkBytes = 300};
    };
    const Reply badLength{.Headers = {{"Content-Length", "12x"}}, .BodyFraming = kClose};
    const struct {
        const char* name;
        bool opened;
        unsigned long status;
        bool proven; // by the framing, whatever the status
        size_t kept; // bytes of the body
        Reply reply; // of the whole body
    } cases[] = {
        {"length", true, 200, true, kAll, {}},
        {"close-delimited", true, 200, false, kAll, {.BodyFraming = kClose}},
        {"chunked", true, 200, true, kAll, chunked(kAll, kAll)},
        {"length cut short", true, 200, false, 600, {.SendOnly = 600}},
        {"chunking ended early", true, 200, false, 600, chunked(600, kAll)},
        {"chunking ended inside a chunk", true, 200, false, 450, chunked(450, kAll)},
        {"not found", true, 404, true, kAll, {.Status = 404}},
        {"server error", true, 500, false, kAll, {.Status = 500, .BodyFraming = kClose}},
        {"no content, whatever follows its head", true, 204, true, 0, {.Status = 204}},
        {"short delay", true, 200, true, kAll, {.DelayMs = 300}},
        {"stalled before replying", false, 0, false, 0, {.DelayMs = 3000}},
        {"stalled in the body", true, 200, false, 400, {.PauseAt = 400, .PauseMs = 3000}},
        {"stalled after the head", true, 200, false, 0, {.PauseAt = 0, .PauseMs = 3000}},
        {"stalled before the last chunk", true, 200, false, kAll, chunked(kAll, 1000)},
        {"dripping within the limits", true, 200, true, kAll, {.DripBytes = 100, .DripMs = 50}},
        {"refused", false, 0, false, 0, {.Refuse = true}},
        // A head that breaks the framing rules is no answer.
        {"bad length", false, 0, false, 0, badLength},
    };
    for (auto c : cases) {
        c.reply.Body = whole;
        server.Queue(c.reply);
        const HttpResult result = modInternet::HttpGet(Url("/mode"), kQuick);
        EXPECT_EQ(result.Opened, c.opened) << c.name;
        EXPECT_EQ(result.Status, c.status) << c.name;
        EXPECT_EQ(result.ProvenWhole, c.proven) << c.name;
        EXPECT_EQ(result.Body, whole.substr(0, c.kept)) << c.name;
    }
}

TEST_F(Internet, EveryByteValueArrivesUnchanged) {
    std::string bytes;
    for (int i = 0; i < 256 * 3; ++i)
        bytes += static_cast<char>(i % 256);
    bytes += std::string("\r\n\0\r\r\n\n\0", 8);
    for (const Framing framing :
         {Framing::ContentLength, Framing::CloseDelimited, Framing::Chunked}) {
        server.Queue(Body(bytes, framing));
        const HttpResult result = modInternet::HttpGet(Url());
        EXPECT_EQ(result.ProvenWhole, framing != Framing::CloseDelimited)
            << static_cast<int>(framing);
        EXPECT_EQ(result.Body, bytes) << static_cast<int>(framing);
    }
}

TEST_F(Internet, TheDeadlineEndsADripThatNeverStalls) {
    server.Queue({.Body = Pattern(1000), .BodyFraming = kClose, .DripBytes = 10, .DripMs = 200});
    const HttpLimits limits{2000, 1000, 1500, 4096};
    const ULONGLONG start = GetTickCount64();
    const HttpResult result = modInternet::HttpGet(Url(), limits);
    const ULONGLONG took = GetTickCount64() - start;
    EXPECT_TRUE(result.Opened);
    EXPECT_FALSE(result.ProvenWhole);
    EXPECT_GE(took, 1500u);
    EXPECT_LT(took, 4000u);
    EXPECT_GT(result.Body.size(), 0u);
    EXPECT_LT(result.Body.size(), 300u);
    EXPECT_EQ(result.Body, Pattern(result.Body.size()));
}

TEST_F(Internet, BodiesOverTheCapAreNotProvenWhole) {
    const size_t cap = kQuick.MaxBody;
    const struct {
        Framing framing;
        size_t length;
        bool proven;
        size_t kept;
    } cases[] = {
        {Framing::ContentLength, cap, true, cap},
        {Framing::CloseDelimited, cap, false, cap},
        {Framing::Chunked, cap, true, cap},
        {Framing::ContentLength, cap + 1, false, 0}, // the announced length alone says so
        {Framing::CloseDelimited, cap + 1, false, cap},
        {Framing::Chunked, 10 * cap, false, cap},
    };
    for (const auto& c : cases) {
        server.Queue(Body(Pattern(c.length), c.framing));
        const HttpResult result = modInternet::HttpGet(Url(), kQuick);
        const std::string row =
            std::to_string(static_cast<int>(c.framing)) + " " + std::to_string(c.length);
        EXPECT_TRUE(result.Opened) << row;
        EXPECT_EQ(result.ProvenWhole, c.proven) << row;
        EXPECT_EQ(result.Body, Pattern(c.kept)) << row;
    }
}

TEST_F(Internet, RequestsAreBareGetsLoggedWithTheirQuery) {
    server.Queue(Body("x"));
    EXPECT_EQ(modInternet::HttpGet(
                  Url("/asp/getData.asp?data=a%20b|c&date=3/16/2006 12:00:00 AM&sum=1+2&plus=%2B"
                      "&pct=100%&empty=&flag&data=second"))
                  .Body,
              "x");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& request = requests[0];
    EXPECT_EQ(request.Path, "/asp/getData.asp");
    const std::map<std::string, std::string> query = {
        {"data", "a b|c"}, {"date", "3/16/2006 12:00:00 AM"},
        {"sum", "1 2"},    {"plus", "+"},
        {"pct", "100%"},   {"empty", ""},
        {"flag", ""}};
    EXPECT_EQ(request.Query, query);
    EXPECT_EQ(request.Head.rfind("GET /asp/getData.asp?data=a%20b|c&", 0), 0u) << request.Head;
    EXPECT_NE(request.Head.find("\r\nUser-Agent: Mozilla\r\n"), std::string::npos);
    EXPECT_NE(request.Head.find("no-cache"), std::string::npos);
    for (const char* header : {"Cookie:", "Referer:", "Authorization:", "If-Modified-Since:"})
        EXPECT_EQ(request.Head.find(header), std::string::npos) << header;
}

TEST_F(Internet, RoutesServeTheirPathAndTheQueueTheRest) {
    server.Route("/date.asp", [](const LoopbackHttpServer::Request& request) {
        return Body("date for " + request.Query.at("prog"));
    });
    server.Queue(Body("first"));
    EXPECT_EQ(modInternet::HttpGet(Url("/other")).Body, "first");
    EXPECT_EQ(modInternet::HttpGet(Url("/date.asp?prog=A%20B")).Body, "date for A B");
    const HttpResult missing = modInternet::HttpGet(Url("/other"), kQuick);
    EXPECT_EQ(missing.Status, 404u);
    EXPECT_EQ(missing.Body, "Not Found");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].Target, "/other");
    EXPECT_EQ(requests[1].Target, "/date.asp?prog=A%20B");
    EXPECT_EQ(requests[2].Path, "/other");
}

TEST_F(Internet, RedirectsToHttpAddressesAreFollowedAFewTimes) {
    const auto moved = [](std::string location) {
        return Reply{
            .Status = 302, .Reason = "Found", .Headers = {{"Location", location}}, .Body = "moved"};
    };
    server.Route("/new", [](const LoopbackHttpServer::Request&) { return Body("arrived"); });
    server.Route("/loop", [&](const LoopbackHttpServer::Request&) { return moved("/loop"); });
    // How a reference is resolved is the address's own test; here only that it is.
    const struct {
        const char* name;
        const char* from;
        std::string location;
        unsigned long status;
        size_t requests;
    } cases[] = {
        {"absolute", "/old", Url("/new"), 200, 2},
        {"relative", "/dir/old", "../new", 200, 2},
        // Not ours to follow: the redirect itself is the answer, and no success.
        {"another scheme", "/old", "https://example.com/new", 302, 1},
        {"a loop", "/loop", "", 302, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.location.empty())
            server.Queue(moved(c.location));
        const size_t before = server.Requests().size();
        const HttpResult result = modInternet::HttpGet(Url(c.from), kQuick);
        EXPECT_EQ(result.Status, c.status);
        EXPECT_EQ(result.WholeSuccess(), c.status == 200);
        EXPECT_EQ(result.Body, c.status == 200 ? "arrived" : "moved");
        EXPECT_EQ(server.Requests().size() - before, c.requests);
    }
}

// A name server that takes a second, then answers every name with the loopback address.
std::atomic<int> slowLookupsDone{0};
int SlowLoopbackLookup(const char*, const char* port, const addrinfo* hints, addrinfo** found) {
    Sleep(1000);
    const int error = getaddrinfo("127.0.0.1", port, hints, found);
    ++slowLookupsDone;
    return error;
}

TEST_F(Internet, ANameIsLookedUpWhileTheWindowAnswersAndAStopEndsTheLookup) {
    server.Route("/named", [](const LoopbackHttpServer::Request&) { return Body("found"); });
    const std::string port = server.BaseUrl().substr(server.BaseUrl().rfind(':') + 1);
    const struct {
        const char* name;
        HostLookup::Resolver resolver; // nullptr: the system's
        const char* host;
        unsigned stopAfterMs; // 0: no stop
        unsigned connectTimeoutMs;
        bool found;
        ULONGLONG atMostMs;
    } cases[] = {
        {"a name the system knows", nullptr, "localhost", 0, 3000, true, 1000},
        {"a slow name server waited for", SlowLoopbackLookup, "slow.test", 0, 3000, true, 2500},
        {"a stop during the lookup", SlowLoopbackLookup, "slow.test", 200, 3000, false, 700},
        {"a lookup past the connect time-out", SlowLoopbackLookup, "slow.test", 0, 300, false, 800},
    };
    int slowLookups = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HostLookup::SetResolver(c.resolver);
        slowLookups += c.resolver != nullptr;
        const ULONGLONG start = GetTickCount64();
        ULONGLONG lastPass = start, longestGap = 0;
        modInternet::SetYieldHook([&] {
            const ULONGLONG now = GetTickCount64();
            longestGap = std::max(longestGap, now - lastPass);
            lastPass = now;
            if (c.stopAfterMs && now - start >= c.stopAfterMs)
                modInternet::CancelRequest();
        });
        const HttpResult result =
            modInternet::HttpGet("http://" + std::string(c.host) + ":" + port + "/named",
                                 {c.connectTimeoutMs, 1000, 4000, 4096});
        const ULONGLONG took = GetTickCount64() - start;
        EXPECT_EQ(result.WholeSuccess(), c.found);
        EXPECT_EQ(result.Body, c.found ? "found" : "");
        EXPECT_LE(took, c.atMostMs);
        EXPECT_LE(longestGap, 200u);
    }
    // The lookups given up on finish later, into what their threads own.
    for (int wait = 0; wait < 100 && slowLookupsDone < slowLookups; ++wait)
        Sleep(50);
    EXPECT_EQ(slowLookupsDone, slowLookups);
    EXPECT_EQ(server.Requests().size(), 2u);
}

TEST(LoopbackHttpServer, EndsConnectionsAndItsOwnLifeOnTime) {
    using namespace std::chrono_literals;
    const HttpLimits patient{5000, 20000, 30000, 4096};
    const ULONGLONG born = GetTickCount64();
    LoopbackHttpServer server(4000ms, 400ms);
    server.Queue({.Body = "late", .DelayMs = 10000});
    server.Queue(Body("served"));
    ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(modInternet::HttpGet(server.BaseUrl(), patient).Opened);
    EXPECT_LT(GetTickCount64() - start, 2500u);
    EXPECT_EQ(modInternet::HttpGet(server.BaseUrl()).Body, "served");
    while (GetTickCount64() - born < 4500)
        Sleep(100);
    start = GetTickCount64();
    EXPECT_FALSE(modInternet::HttpGet(server.BaseUrl(), patient).Opened);
    EXPECT_LT(GetTickCount64() - start, 4000u);
    EXPECT_EQ(server.Requests().size(), 2u);
}

TEST_F(Internet, ADownloadReplacesTheFileOnlyWhenWhole) {
    TempFolder folder;
    const std::string target = folder.WriteFile("Defs.dat", "old definitions");
    const struct {
        const char* name;
        Reply reply; // of 2000 bytes, unless it says otherwise
    } cases[] = {
        {"cut short", {.SendOnly = 1000}},
        {"chunks cut short", {.BodyFraming = kChunks, .SendOnly = 1000}},
        {"ended by the close alone", {.BodyFraming = kClose}},
        {"stalled in the body", {.PauseAt = 500, .PauseMs = 3000}},
        {"stalled before replying", {.DelayMs = 3000}},
        {"not found", {.Status = 404}},
        {"server error", {.Status = 503}},
        {"refused", {.Refuse = true}},
        {"over the cap", {.Body = Pattern(kQuick.MaxBody + 1), .BodyFraming = kClose}},
        {"length that is no number",
         {.Headers = {{"Content-Length", "-5"}}, .BodyFraming = kClose}},
    };
    for (auto c : cases) {
        if (c.reply.Body.empty())
            c.reply.Body = Pattern(2000);
        server.Queue(c.reply);
        EXPECT_FALSE(modInternet::DownloadFile(Url("/Defs.dat"), target, kQuick)) << c.name;
        EXPECT_EQ(ReadFileBytes(target), "old definitions") << c.name;
        EXPECT_EQ(FilesIn(folder.Path()), 1u) << c.name;
    }

    std::string bytes;
    for (int i = 0; i < 600; ++i)
        bytes += static_cast<char>(255 - i % 256);
    server.Queue(Body(bytes, kChunks));
    EXPECT_TRUE(modInternet::DownloadFile(Url("/Defs.dat"), target, kQuick));
    EXPECT_EQ(ReadFileBytes(target), bytes);
    server.Queue(Body(""));
    EXPECT_TRUE(modInternet::DownloadFile(Url("/New.dat"), folder / "New.dat", kQuick));
    EXPECT_EQ(ReadFileBytes(folder / "New.dat"), ""); // made, and empty
    EXPECT_EQ(FilesIn(folder.Path()), 2u);
}

TEST_F(Internet, ADownloadGoesOnlyToAFolderOnADrive) {
    TempFolder folder;
    for (const std::string& path :
         {folder / "missing\\Defs.dat", std::string("Defs.dat"),
          std::string("\\\\?\\unix\\tmp\\Defs.dat"), folder.Path() + "\\"}) {
        server.Queue(Body("data"));
        EXPECT_FALSE(modInternet::DownloadFile(Url(), path, kQuick)) << path;
    }
    EXPECT_EQ(FilesIn(folder.Path()), 0u);
    EXPECT_TRUE(server.Requests().empty());
}

TEST(PercentEncode, EscapesEverythingButTheUnreservedBytes) {
    const struct {
        std::string_view bytes;
        const char* encoded;
    } cases[] = {
        {"", ""},
        {"AZaz09-._~", "AZaz09-._~"},
        {"a b", "a%20b"},
        {"&#%+", "%26%23%25%2B"},
        {"=?/:|\\\"'<>", "%3D%3F%2F%3A%7C%5C%22%27%3C%3E"},
        {"\r\n\t", "%0D%0A%09"},
        {std::string_view("\0x", 2), "%00x"},
        {"\xC3\xA9\x80\xFF", "%C3%A9%80%FF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(modInternet::PercentEncode(c.bytes), c.encoded) << c.encoded;
}
