// The reply reader on its own: each framing, fed whole and a byte at a time, the protocol's
// framing rules, replies cut at every byte, and the caps on what comes before and after a body.
#include "HttpReplyReader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Framing = HttpReplyReader::Framing;

struct Read {
    bool fed = true;
    HttpReplyReader reader;
    std::string body;
};

// Feeds the bytes in pieces of `piece` bytes, taking the body as it comes, then the close.
void ReadReply(Read& read, const std::string& bytes, size_t piece, bool close) {
    for (size_t at = 0; at < bytes.size() && read.fed; at += piece) {
        read.fed = read.reader.Feed(std::string_view(bytes).substr(at, piece));
        read.body += read.reader.Body();
        read.reader.Body().clear();
    }
    if (close)
        read.reader.ConnectionClosed();
}

std::string Repeated(const std::string& text, size_t times) {
    std::string repeated;
    for (size_t i = 0; i < times; ++i)
        repeated += text;
    return repeated;
}

const std::string kOk = "HTTP/1.1 200 OK\r\n";
const std::string kChunked = kOk + "Transfer-Encoding: chunked\r\n";

TEST(HttpReplyReader, EachFramingEndsItsBodyOrShowsItCut) {
    const struct {
        const char* name;
        std::string reply;
        bool close; // the connection closes after the bytes
        unsigned long status;
        Framing framing;
        std::string body;
        bool ended;
        bool proven;
    } cases[] = {
        {"length", kOk + "Content-Length: 5\r\n\r\nhello", false, 200, Framing::Length, "hello",
         true, true},
        {"length, bytes after it ignored", kOk + "content-length:  5 \r\n\r\nhello, more", false,
         200, Framing::Length, "hello", true, true},
        {"length zero", kOk + "Content-Length: 0\r\n\r\n", false, 200, Framing::Length, "", true,
         true},
        {"close-delimited", kOk + "\r\nhello", true, 200, Framing::Close, "hello", true, false},
        {"close-delimited, still open", kOk + "\r\nhello", false, 200, Framing::Close, "hello",
         false, false},
        {"chunked with extension and trailer, the length ignored",
         kChunked + "Content-Length: 99\r\n\r\n5;x=y\r\nhello\r\n1\r\n!\r\n0\r\nX-Sum: 1\r\n\r\n",
         false, 200, Framing::Chunked, "hello!", true, true},
        {"chunk size with leading zeros", kChunked + "\r\n00000000000000000002\r\nok\r\n0\r\n\r\n",
         false, 200, Framing::Chunked, "ok", true, true},
        {"identity content coding",
         kOk + "Content-Encoding: identity\r\nContent-Length: 2\r\n\r\nok", false, 200,
         Framing::Length, "ok", true, true},
        {"interim reply first",
         "HTTP/1.1 100 Continue\r\n\r\n" + kOk + "Content-Length: 2\r\n\r\nok", false, 200,
         Framing::Length, "ok", true, true},
        {"no content", "HTTP/1.1 204 No Content\r\n\r\n", false, 204, Framing::NoBody, "", true,
         true},
        {"not modified has no body, whatever its length says",
         "HTTP/1.1 304 Not Modified\r\nContent-Length: 5\r\n\r\nhello", false, 304, Framing::NoBody,
         "", true, true},
        {"bare line ends", "HTTP/1.0 404 Not Found\nContent-Length: 3\n\nnot", false, 404,
         Framing::Length, "not", true, true},
        {"head ending in LF CR LF", kOk + "Content-Length: 2\n\r\nok", false, 200, Framing::Length,
         "ok", true, true},
    };
    for (const auto& c : cases) {
        for (const size_t piece : {c.reply.size(), size_t{1}}) {
            SCOPED_TRACE(std::string(c.name) + (piece == 1 ? ", a byte at a time" : ""));
            Read read;
            ReadReply(read, c.reply, piece, c.close);
            EXPECT_TRUE(read.fed);
            EXPECT_FALSE(read.reader.Broken());
            EXPECT_EQ(read.reader.Status(), c.status);
            EXPECT_EQ(read.reader.BodyFraming(), c.framing);
            EXPECT_EQ(read.body, c.body);
            EXPECT_EQ(read.reader.Ended(), c.ended);
            EXPECT_EQ(read.reader.ProvenWhole(), c.proven);
        }
    }
}

TEST(HttpReplyReader, RepliesThatBreakTheFramingRulesAreRefused) {
    const struct {
        const char* name;
        std::string reply;
        std::string bodyBefore; // what the body gave before the fault showed
    } cases[] = {
        {"no status line", "<html>hello</html>\r\n\r\n", ""},
        {"switching protocols", "HTTP/1.1 101 Switching Protocols\r\n\r\n" + kOk + "\r\n", ""},
        {"a coding that only contains chunked", kOk + "Transfer-Encoding: xchunked\r\n\r\n", ""},
        {"chunked after another coding", kOk + "Transfer-Encoding: gzip, chunked\r\n\r\n", ""},
        {"chunked given twice", kChunked + "Transfer-Encoding: chunked\r\n\r\n0\r\n\r\n", ""},
        {"chunking from an HTTP/1.0 server",
         "HTTP/1.0 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n", ""},
        {"compressed body", kOk + "Content-Encoding: gzip\r\nContent-Length: 2\r\n\r\nok", ""},
        {"lengths that differ", kOk + "Content-Length: 3\r\nContent-Length: 4\r\n\r\nabcd", ""},
        {"length that is no number", kOk + "Content-Length: 12x\r\n\r\nabc", ""},
        {"header line without a colon", kOk + "Content-Length 2\r\n\r\nok", ""},
        {"blank before the colon", kOk + "Content-Length : 2\r\n\r\nok", ""},
        {"folded line", kOk + "X-Note: a\r\n b\r\nContent-Length: 2\r\n\r\nok", ""},
        {"bare CR in a value", kOk + "X-Note: a\rb\r\nContent-Length: 2\r\n\r\nok", ""},
        {"chunk size of 16 significant digits", kChunked + "\r\n01000000000000000\r\n", ""},
        {"negative chunk size", kChunked + "\r\n-5\r\nhello\r\n", ""},
        {"chunk size no number", kChunked + "\r\nzz\r\nhello\r\n", ""},
        {"chunk longer than it said", kChunked + "\r\n2\r\nhello\r\n", "he"},
        {"chunk without its CR LF", kChunked + "\r\n5\r\nhello0\r\n\r\n", "hello"},
    };
    for (const auto& c : cases) {
        for (const size_t piece : {c.reply.size(), size_t{1}}) {
            SCOPED_TRACE(std::string(c.name) + (piece == 1 ? ", a byte at a time" : ""));
            Read read;
            ReadReply(read, c.reply, piece, true);
            EXPECT_FALSE(read.fed);
            EXPECT_TRUE(read.reader.Broken());
            EXPECT_FALSE(read.reader.ProvenWhole());
            EXPECT_EQ(read.body, c.bodyBefore);
            // Nothing more is taken once the reply broke.
            EXPECT_FALSE(read.reader.Feed(kOk + "Content-Length: 0\r\n\r\n"));
        }
    }
}

TEST(HttpReplyReader, ACutReplyIsProvenWholeOnlyPastItsFramingsEnd) {
    const std::string lengthReply = kOk + "Content-Length: 5\r\n\r\nhello";
    const std::string chunkedReply =
        kChunked + "\r\n3;x=1\r\nhel\r\n2\r\nlo\r\n0\r\nX-Sum: 1\r\n\r\n";
    for (const std::string& reply : {lengthReply, chunkedReply}) {
        // Bytes after the framing's end belong to nobody.
        const std::string sent = reply + "HTTP/1.1";
        for (size_t cut = 0; cut <= sent.size(); ++cut) {
            SCOPED_TRACE(reply.substr(0, cut) + "|");
            Read read;
            ReadReply(read, sent.substr(0, cut), sent.size(), true);
            const bool past = cut >= reply.size();
            EXPECT_EQ(read.reader.ProvenWhole(), past);
            EXPECT_EQ(read.reader.Ended(), past);
            // What came of the body is always its start, and all of it once proven whole.
            EXPECT_EQ(read.body, std::string("hello").substr(0, past ? 5 : read.body.size()));
            EXPECT_FALSE(read.reader.Broken());
        }
    }
}

TEST(HttpReplyReader, HeadsCountedOverEveryInterimReplyAndTrailersHaveACapEach) {
    const std::string interim = "HTTP/1.1 100 Continue\r\n\r\n"; // 25 bytes
    const std::string finalHead = kOk + "Content-Length: 2\r\n\r\nok";
    const std::string trailers = kChunked + "\r\n2\r\nok\r\n0\r\n";
    const struct {
        const char* name;
        std::string reply;
        bool broken;
    } cases[] = {
        {"interim replies in 50 KB of heads", Repeated(interim, 2000) + finalHead, false},
        {"interim replies in 75 KB of heads", Repeated(interim, 3000) + finalHead, true},
        {"one endless head", kOk + "X: " + std::string(70000, 'x'), true},
        {"6 KB of trailers", trailers + Repeated("X: 1\r\n", 1000) + "\r\n", false},
        {"12 KB of trailers", trailers + Repeated("X: 1\r\n", 2000) + "\r\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Read read;
        ReadReply(read, c.reply, 4096, false);
        EXPECT_EQ(read.reader.Broken(), c.broken);
        EXPECT_EQ(read.reader.ProvenWhole(), !c.broken);
        if (!c.broken) {
            EXPECT_EQ(read.body, "ok");
        }
    }
}

TEST(HttpReplyReader, ARedirectShowsItsLocation) {
    Read moved;
    ReadReply(moved, "HTTP/1.1 302 Found\r\nLocation:  /elsewhere?x=1 \r\n\r\n", 7, true);
    EXPECT_EQ(moved.reader.Status(), 302u);
    EXPECT_EQ(moved.reader.Location(), "/elsewhere?x=1");
}

} // namespace
