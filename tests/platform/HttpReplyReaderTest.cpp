// The reply reader on its own: each framing, fed whole and a byte at a time, and the ways a
// reply can break or be cut.
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

TEST(HttpReplyReader, EachFramingEndsItsBodyOrShowsItCut) {
    const std::string head = "HTTP/1.1 200 OK\r\n";
    const struct {
        const char* name;
        std::string reply;
        bool close; // the connection closes after the bytes
        unsigned long status;
        Framing framing;
        std::string body;
        bool ended;
        bool proven;
        bool broken;
    } cases[] = {
        {"length", head + "Content-Length: 5\r\n\r\nhello", false, 200, Framing::Length, "hello",
         true, true, false},
        {"length, bytes after it ignored", head + "content-length:  5 \r\n\r\nhello, more", false,
         200, Framing::Length, "hello", true, true, false},
        {"length cut", head + "Content-Length: 9\r\n\r\nhello", true, 200, Framing::Length, "hello",
         false, false, false},
        {"length zero", head + "Content-Length: 0\r\n\r\n", false, 200, Framing::Length, "", true,
         true, false},
        {"close-delimited", head + "\r\nhello", true, 200, Framing::Close, "hello", true, false,
         false},
        {"close-delimited, still open", head + "\r\nhello", false, 200, Framing::Close, "hello",
         false, false, false},
        {"chunked with extension and trailer",
         head + "Transfer-Encoding: chunked\r\nContent-Length: 99\r\n\r\n"
                "5;x=y\r\nhello\r\n1\r\n!\r\n0\r\nX-Sum: 1\r\n\r\n",
         false, 200, Framing::Chunked, "hello!", true, true, false},
        {"chunked, last chunk never came",
         head + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n", true, 200, Framing::Chunked,
         "hello", false, false, false},
        {"chunked, cut inside a chunk", head + "Transfer-Encoding: chunked\r\n\r\n5\r\nhel", true,
         200, Framing::Chunked, "hel", false, false, false},
        {"chunked, no blank line after the last chunk",
         head + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n", true, 200,
         Framing::Chunked, "hello", false, false, false},
        {"chunk longer than it said", head + "Transfer-Encoding: chunked\r\n\r\n2\r\nhello\r\n",
         false, 200, Framing::Chunked, "he", false, false, true},
        {"chunk size no number", head + "Transfer-Encoding: chunked\r\n\r\nzz\r\nhello\r\n", false,
         200, Framing::Chunked, "", false, false, true},
        {"interim reply first",
         "HTTP/1.1 100 Continue\r\n\r\n" + head + "Content-Length: 2\r\n\r\nok", false, 200,
         Framing::Length, "ok", true, true, false},
        {"no content", "HTTP/1.1 204 No Content\r\n\r\n", false, 204, Framing::NoBody, "", true,
         true, false},
        {"bare line ends", "HTTP/1.0 404 Not Found\nContent-Length: 3\n\nnot", false, 404,
         Framing::Length, "not", true, true, false},
        {"no status line", "<html>hello</html>\r\n\r\n", true, 0, Framing::Unknown, "", false,
         false, true},
    };
    for (const auto& c : cases) {
        for (const size_t piece : {c.reply.size(), size_t{1}}) {
            SCOPED_TRACE(std::string(c.name) + (piece == 1 ? ", a byte at a time" : ""));
            Read read;
            ReadReply(read, c.reply, piece, c.close);
            EXPECT_EQ(read.reader.Status(), c.status);
            EXPECT_EQ(read.reader.BodyFraming(), c.framing);
            EXPECT_EQ(read.body, c.body);
            EXPECT_EQ(read.reader.Ended(), c.ended);
            EXPECT_EQ(read.reader.ProvenWhole(), c.proven);
            EXPECT_EQ(read.reader.Broken(), c.broken);
            EXPECT_EQ(read.fed, !c.broken);
        }
    }
}

TEST(HttpReplyReader, LengthsThatCannotBeTrustedAndRedirectsAreShown) {
    Read twoLengths;
    ReadReply(twoLengths, "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nContent-Length: 4\r\n\r\nabcd",
              1, true);
    EXPECT_TRUE(twoLengths.reader.LengthBroken());
    EXPECT_EQ(twoLengths.reader.BodyFraming(), Framing::Close);
    EXPECT_EQ(twoLengths.body, "abcd");

    Read moved;
    ReadReply(moved, "HTTP/1.1 302 Found\r\nLocation:  /elsewhere?x=1 \r\n\r\n", 7, true);
    EXPECT_EQ(moved.reader.Status(), 302u);
    EXPECT_EQ(moved.reader.Location(), "/elsewhere?x=1");

    // A head that never ends is given up on.
    Read endless;
    ReadReply(endless, "HTTP/1.1 200 OK\r\nX: " + std::string(70000, 'x'), 4096, false);
    EXPECT_TRUE(endless.reader.Broken());
}

} // namespace
