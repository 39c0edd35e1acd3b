// Reads an HTTP/1.x reply from the bytes of its connection as they arrive: any interim replies,
// the status line and headers, then the body by its framing (a Content-Length, chunks, or the
// connection's close). The framing stays visible, so a body cut short shows as such, whichever
// framing it had. Everything a server may send before and after the body is bounded: the heads,
// counted together over every interim reply, and the trailers each have one cap.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class HttpReplyReader {
  public:
    // How the body's end is made known.
    enum class Framing { Unknown, Length, Chunked, Close, NoBody };

    // Takes the next bytes of the connection. False when the reply breaks the protocol (its
    // framing cannot be trusted, or a cap was passed); it then takes nothing more.
    bool Feed(std::string_view bytes);
    // The connection closed: a body delimited by the close ends here, any other is cut short.
    void ConnectionClosed();

    bool HeadRead() const { return headRead_; }
    unsigned long Status() const { return status_; }
    // The Location header of the head ("" when none), as the server sent it.
    const std::string& Location() const { return location_; }
    Framing BodyFraming() const { return framing_; }
    // The announced length (Framing::Length).
    unsigned long long AnnouncedLength() const { return length_; }
    bool Broken() const { return broken_; }
    // The body's end was reached: its length met, its last chunk and trailer read, or the
    // connection closed after a body delimited by the close.
    bool Ended() const { return ended_; }
    // Ended, and the framing itself proves the body whole: a met Content-Length, the last
    // chunk, or a status that has no body. A close proves nothing, since a cut connection ends
    // the same way.
    bool ProvenWhole() const { return ended_ && framing_ != Framing::Close; }

    // The body bytes decoded so far and not yet taken.
    std::string& Body() { return body_; }

  private:
    bool ReadHeads();
    bool ReadHead(std::string_view head);
    bool ReadBody();
    bool ReadChunks();
    bool Fail();

    enum class ChunkState { Size, Data, DataEnd, Trailer };

    std::string pending_; // bytes received, not yet read
    std::string body_;
    std::string location_;
    bool headRead_ = false;
    bool broken_ = false;
    bool ended_ = false;
    unsigned long status_ = 0;
    Framing framing_ = Framing::Unknown;
    size_t headBytes_ = 0; // the heads read so far, interim replies included
    size_t headScan_ = 0;  // where the search for the head's end goes on in pending_
    size_t trailerBytes_ = 0;
    unsigned long long length_ = 0;   // announced
    unsigned long long received_ = 0; // body bytes of a Length body so far
    ChunkState chunk_ = ChunkState::Size;
    unsigned long long chunkLeft_ = 0;
};
