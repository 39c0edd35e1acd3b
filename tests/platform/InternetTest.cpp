// HTTP requests against the test suite's own loopback server: whole and broken replies, time
// limits, the size cap, downloads that never damage the file they replace.
#include "LoopbackHttpServer.h"
#include "TempFolder.h"
#include "modInternet.h"
#include "xfileExists.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using modInternet::HttpLimits;
using modInternet::HttpResult;
using Framing = LoopbackHttpServer::Framing;
using Reply = LoopbackHttpServer::Reply;

namespace {

// Short limits so that a stalled reply costs the test a second, not half a minute.
constexpr HttpLimits kQuick{2000, 1000, 4000, 4096};

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

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
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

// Whether a reply counts as whole: proven so by its framing, whole as far as anyone can tell
// (a body that the connection's close ends), or not.
enum class Whole { Proven, Yes, No };

class Internet : public testing::Test {
  protected:
    void TearDown() override { modInternet::SetYieldHook(nullptr); }
    std::string Url(const std::string& target = "/") const { return server.BaseUrl() + target; }

    LoopbackHttpServer server;
};

} // namespace

TEST_F(Internet, ShortAndEmptyBodiesComeBackExactly) {
    server.Queue(Body(""));
    server.Queue(Body(Pattern(100)));
    server.Queue(Body(Pattern(255), Framing::CloseDelimited));
    EXPECT_EQ(modInternet::HttpGet(Url()), "");
    EXPECT_EQ(modInternet::HttpGet(Url()), Pattern(100));
    EXPECT_EQ(modInternet::HttpGet(Url()), Pattern(255));
}

TEST_F(Internet, ProgressFollowsEveryReadAfterTheFirst) {
    server.Queue(Body(Pattern(512)));
    int yields = 0;
    modInternet::SetYieldHook([&] { ++yields; });
    std::vector<std::string> shown;
    const std::string body = modInternet::HttpGetWithProgress(
        Url(), [&](size_t length) { shown.push_back(modInternet::DownloadedBytesText(length)); });
    EXPECT_EQ(body, Pattern(512));
    // Two full reads and an empty one: the second and third report.
    EXPECT_EQ(shown, (std::vector<std::string>{"Downloaded 512 bytes.", "Downloaded 512 bytes."}));
    EXPECT_EQ(yields, 2);
}

TEST_F(Internet, AnUnreachableServerGivesNothing) {
    const std::string url = LoopbackHttpServer::UnusedBaseUrl() + "/x";
    EXPECT_EQ(modInternet::HttpGet(url), "");
    const HttpResult result = modInternet::HttpRequest(url, kQuick);
    EXPECT_FALSE(result.Opened);
    EXPECT_EQ(result.Status, 0u);
    EXPECT_FALSE(result.Complete);
    TempFolder folder;
    EXPECT_FALSE(modInternet::DownloadFile(url, folder / "file.dat"));
    EXPECT_EQ(FilesIn(folder.Path()), 0u);
}

TEST_F(Internet, OnlyHttpUrlsAreOpened) {
    for (const std::string& url :
         {"https" + Url().substr(4), "ftp" + Url().substr(4),
          std::string("file://C:/windows/win.ini"), std::string("http://"), std::string("")}) {
        const HttpResult result = modInternet::HttpRequest(url, kQuick);
        EXPECT_FALSE(result.Opened) << url;
        EXPECT_EQ(result.Body, "") << url;
    }
    EXPECT_TRUE(server.Requests().empty());
    server.Queue(Body("yes"));
    EXPECT_EQ(modInternet::HttpGet("HTTP" + Url().substr(4)), "yes");
}

TEST_F(Internet, EachWayOfReplyingHasItsOutcome) {
    const std::string whole = Pattern(1000);
    const auto with = [&](Framing framing, auto change) {
        Reply reply = Body(whole, framing);
        change(reply);
        return reply;
    };
    const auto same = [](Reply&) {};
    const struct {
        const char* name;
        Reply reply;
        bool opened;
        unsigned long status;
        Whole complete;
        std::string body;
    } cases[] = {
        {"length", with(Framing::ContentLength, same), true, 200, Whole::Proven, whole},
        {"close-delimited", with(Framing::CloseDelimited, same), true, 200, Whole::Yes, whole},
        {"chunked", with(Framing::Chunked, [](Reply& r) { r.ChunkBytes = 300; }), true, 200,
         Whole::Proven, whole},
        {"length cut short", with(Framing::ContentLength, [](Reply& r) { r.SendOnly = 600; }), true,
         200, Whole::No, whole.substr(0, 600)},
        {"chunking ended early",
         with(Framing::Chunked,
              [](Reply& r) {
                  r.ChunkBytes = 300;
                  r.SendOnly = 600;
              }),
         true, 200, Whole::No, whole.substr(0, 600)},
        {"chunking ended inside a chunk",
         with(Framing::Chunked,
              [](Reply& r) {
                  r.ChunkBytes = 300;
                  r.SendOnly = 450;
              }),
         true, 200, Whole::No, whole.substr(0, 450)},
        {"not found", with(Framing::ContentLength, [](Reply& r) { r.Status = 404; }), true, 404,
         Whole::No, whole},
        {"server error", with(Framing::CloseDelimited, [](Reply& r) { r.Status = 500; }), true, 500,
         Whole::No, whole},
        {"no content",
         with(Framing::ContentLength,
              [](Reply& r) {
                  r.Status = 204;
                  r.Body.clear();
              }),
         true, 204, Whole::Proven, ""},
        {"short delay", with(Framing::ContentLength, [](Reply& r) { r.DelayMs = 300; }), true, 200,
         Whole::Proven, whole},
        {"stalled before replying",
         with(Framing::ContentLength, [](Reply& r) { r.DelayMs = 3000; }), false, 0, Whole::No, ""},
        {"stalled in the body",
         with(Framing::ContentLength,
              [](Reply& r) {
                  r.PauseAt = 400;
                  r.PauseMs = 3000;
              }),
         true, 200, Whole::No, whole.substr(0, 400)},
        {"stalled after the head",
         with(Framing::ContentLength,
              [](Reply& r) {
                  r.PauseAt = 0;
                  r.PauseMs = 3000;
              }),
         true, 200, Whole::No, ""},
        {"stalled before the last chunk",
         with(Framing::Chunked,
              [](Reply& r) {
                  r.PauseAt = 1000;
                  r.PauseMs = 3000;
              }),
         true, 200, Whole::No, whole},
        {"dripping within the limits",
         with(Framing::CloseDelimited,
              [](Reply& r) {
                  r.DripBytes = 100;
                  r.DripMs = 50;
              }),
         true, 200, Whole::Yes, whole},
        {"refused", with(Framing::ContentLength, [](Reply& r) { r.Refuse = true; }), false, 0,
         Whole::No, ""},
        {"length that is no number",
         with(Framing::CloseDelimited,
              [](Reply& r) {
                  r.Headers = {{"Content-Length", "12x"}};
              }),
         true, 200, Whole::No, whole},
    };
    for (const auto& c : cases) {
        server.Queue(c.reply);
        const HttpResult result = modInternet::HttpRequest(Url("/mode"), kQuick);
        EXPECT_EQ(result.Opened, c.opened) << c.name;
        EXPECT_EQ(result.Status, c.status) << c.name;
        EXPECT_EQ(result.Complete, c.complete != Whole::No) << c.name;
        EXPECT_EQ(result.ProvenWhole, c.complete == Whole::Proven) << c.name;
        EXPECT_EQ(result.Body, c.body) << c.name;
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
        const HttpResult result = modInternet::HttpRequest(Url());
        EXPECT_TRUE(result.Complete) << static_cast<int>(framing);
        EXPECT_EQ(result.Body, bytes) << static_cast<int>(framing);
    }
}

TEST_F(Internet, TheDeadlineEndsADripThatNeverStalls) {
    Reply drip = Body(Pattern(1000), Framing::CloseDelimited);
    drip.DripBytes = 10;
    drip.DripMs = 200;
    server.Queue(drip);
    const HttpLimits limits{2000, 1000, 1500, 4096};
    const ULONGLONG start = GetTickCount64();
    const HttpResult result = modInternet::HttpRequest(Url(), limits);
    const ULONGLONG took = GetTickCount64() - start;
    EXPECT_TRUE(result.Opened);
    EXPECT_FALSE(result.Complete);
    EXPECT_GE(took, 1500u);
    EXPECT_LT(took, 4000u);
    EXPECT_GT(result.Body.size(), 0u);
    EXPECT_LT(result.Body.size(), 300u);
    EXPECT_EQ(result.Body, Pattern(result.Body.size()));
}

TEST_F(Internet, BodiesOverTheCapAreIncomplete) {
    const size_t cap = kQuick.MaxBody;
    const struct {
        Framing framing;
        size_t length;
        bool complete;
        size_t kept;
    } cases[] = {
        {Framing::ContentLength, cap, true, cap},
        {Framing::CloseDelimited, cap, true, cap},
        {Framing::Chunked, cap, true, cap},
        {Framing::ContentLength, cap + 1, false, 0}, // the announced length alone says so
        {Framing::CloseDelimited, cap + 1, false, cap},
        {Framing::Chunked, 10 * cap, false, cap},
    };
    for (const auto& c : cases) {
        server.Queue(Body(Pattern(c.length), c.framing));
        const HttpResult result = modInternet::HttpRequest(Url(), kQuick);
        const std::string row =
            std::to_string(static_cast<int>(c.framing)) + " " + std::to_string(c.length);
        EXPECT_TRUE(result.Opened) << row;
        EXPECT_EQ(result.Complete, c.complete) << row;
        EXPECT_EQ(result.Body, Pattern(c.kept)) << row;
    }
}

TEST_F(Internet, RequestsAreBareGetsLoggedWithTheirQuery) {
    server.Queue(Body("x"));
    EXPECT_EQ(modInternet::HttpGet(
                  Url("/asp/getData.asp?data=a%20b|c&date=3/16/2006 12:00:00 AM&sum=1+2&plus=%2B"
                      "&pct=100%&empty=&flag&data=second")),
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
    EXPECT_EQ(modInternet::HttpGet(Url("/other")), "first");
    EXPECT_EQ(modInternet::HttpGet(Url("/date.asp?prog=A%20B")), "date for A B");
    const HttpResult missing = modInternet::HttpRequest(Url("/other"), kQuick);
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
        Reply reply = Body("moved");
        reply.Status = 302;
        reply.Reason = "Found";
        reply.Headers = {{"Location", std::move(location)}};
        return reply;
    };
    server.Route("/new", [](const LoopbackHttpServer::Request&) { return Body("arrived"); });
    server.Route("/loop", [&](const LoopbackHttpServer::Request&) { return moved("/loop"); });
    server.Queue(moved(Url("/new")));
    server.Queue(moved("/new"));
    server.Queue(moved("https://example.com/new"));
    const HttpResult absolute = modInternet::HttpRequest(Url("/old"), kQuick);
    EXPECT_TRUE(absolute.ProvenWhole);
    EXPECT_EQ(absolute.Body, "arrived");
    EXPECT_EQ(modInternet::HttpGet(Url("/old")), "arrived");
    // Not ours to follow: the redirect itself is the answer, and no whole one.
    const HttpResult secure = modInternet::HttpRequest(Url("/old"), kQuick);
    EXPECT_EQ(secure.Status, 302u);
    EXPECT_FALSE(secure.Complete);
    const HttpResult loop = modInternet::HttpRequest(Url("/loop"), kQuick);
    EXPECT_EQ(loop.Status, 302u);
    EXPECT_FALSE(loop.Complete);
    EXPECT_EQ(server.Requests().size(), 2u + 2u + 1u + 6u);
}

TEST(LoopbackHttpServer, EndsConnectionsAndItsOwnLifeOnTime) {
    using namespace std::chrono_literals;
    const HttpLimits patient{5000, 20000, 30000, 4096};
    const ULONGLONG born = GetTickCount64();
    LoopbackHttpServer server(4000ms, 400ms);
    Reply stalled = Body("late");
    stalled.DelayMs = 10000;
    server.Queue(stalled);
    server.Queue(Body("served"));
    ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(modInternet::HttpRequest(server.BaseUrl(), patient).Opened);
    EXPECT_LT(GetTickCount64() - start, 2500u);
    EXPECT_EQ(modInternet::HttpGet(server.BaseUrl()), "served");
    while (GetTickCount64() - born < 4500)
        Sleep(100);
    start = GetTickCount64();
    EXPECT_FALSE(modInternet::HttpRequest(server.BaseUrl(), patient).Opened);
    EXPECT_LT(GetTickCount64() - start, 4000u);
    EXPECT_EQ(server.Requests().size(), 2u);
}

TEST_F(Internet, ADownloadReplacesTheFileOnlyWhenWhole) {
    TempFolder folder;
    const std::string target = folder.WriteFile("Defs.dat", "old definitions");
    const auto broken = [](auto change) {
        Reply reply = Body(Pattern(2000));
        change(reply);
        return reply;
    };
    const struct {
        const char* name;
        Reply reply;
    } cases[] = {
        {"cut short", broken([](Reply& r) { r.SendOnly = 1000; })},
        {"chunks cut short", broken([](Reply& r) {
             r.BodyFraming = Framing::Chunked;
             r.SendOnly = 1000;
         })},
        {"ended by the close alone",
         broken([](Reply& r) { r.BodyFraming = Framing::CloseDelimited; })},
        {"stalled in the body", broken([](Reply& r) {
             r.PauseAt = 500;
             r.PauseMs = 3000;
         })},
        {"stalled before replying", broken([](Reply& r) { r.DelayMs = 3000; })},
        {"not found", broken([](Reply& r) { r.Status = 404; })},
        {"server error", broken([](Reply& r) { r.Status = 503; })},
        {"refused", broken([](Reply& r) { r.Refuse = true; })},
        {"over the cap", broken([](Reply& r) {
             r.Body = Pattern(kQuick.MaxBody + 1);
             r.BodyFraming = Framing::CloseDelimited;
         })},
        {"length that is no number", broken([](Reply& r) {
             r.BodyFraming = Framing::CloseDelimited;
             r.Headers = {{"Content-Length", "-5"}};
         })},
    };
    for (const auto& c : cases) {
        server.Queue(c.reply);
        EXPECT_FALSE(modInternet::DownloadFile(Url("/Defs.dat"), target, kQuick)) << c.name;
        EXPECT_EQ(ReadWholeFile(target), "old definitions") << c.name;
        EXPECT_EQ(FilesIn(folder.Path()), 1u) << c.name;
    }

    std::string bytes;
    for (int i = 0; i < 600; ++i)
        bytes += static_cast<char>(255 - i % 256);
    server.Queue(Body(bytes, Framing::Chunked));
    EXPECT_TRUE(modInternet::DownloadFile(Url("/Defs.dat"), target, kQuick));
    EXPECT_EQ(ReadWholeFile(target), bytes);
    server.Queue(Body(""));
    EXPECT_TRUE(modInternet::DownloadFile(Url("/New.dat"), folder / "New.dat", kQuick));
    EXPECT_TRUE(xfileExists::FileExists(folder / "New.dat"));
    EXPECT_EQ(ReadWholeFile(folder / "New.dat"), "");
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
