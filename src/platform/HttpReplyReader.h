// Reads an HTTP/1.x reply from the bytes of its connection as they arrive: the status line and
// headers, then the body by its framing (a Content-Length, chunks, or the connection's close).
// The framing stays visible, so a body cut short shows as such, whichever framing it had.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class HttpReplyReader {
  public:
    // How the body's end is made known.
    enum class Framing { Unknown, Length, Chunked, Close, NoBody };

    // Takes the next bytes of the connection. False when the reply breaks the protocol; it
    // then takes nothing more.
    bool Feed(std::string_view bytes);
    // The connection closed: a body delimited by the close ends here, any other is cut short.
    void ConnectionClosed();

    bool HeadRead() const { return headRead_; }
    unsigned long Status() const { return status_; }
    // The Location header of the head ("" when none).
    const std::string& Location() const { return location_; }
    Framing BodyFraming() const { return framing_; }
    // The announced length (Framing::Length).
    unsigned long long AnnouncedLength() const { return length_; }
    // A Content-Length that is no number, or two that differ: the reply cannot be trusted.
    bool LengthBroken() const { return lengthBroken_; }
    bool Broken() const { return broken_; }
    // The body's end was reached: its length met, its last chunk and trailer read, or the
    // connection closed after a body delimited by the close.
    bool Ended() const { return ended_; }
    // Ended, and the framing itself proves the body whole: a met Content-Length or the last
    // chunk. A close proves nothing, since a cut connection ends the same way.
    bool ProvenWhole() const {
        return ended_ && (framing_ == Framing::Length || framing_ == Framing::Chunked ||
                          framing_ == Framing::NoBody);
    }

    // The body bytes decoded so far and not yet taken.
    std::string& Body() { return body_; }

  private:
    bool ReadHead();
    bool ReadBody();
    bool Fail();

    enum class ChunkState { Size, Data, DataEnd, Trailer };

    std::string pending_; // bytes received, not yet read
    std::string body_;
    std::string location_;
    bool headRead_ = false;
    bool broken_ = false;
    bool ended_ = false;
    bool lengthBroken_ = false;
    unsigned long status_ = 0;
    Framing framing_ = Framing::Unknown;
    unsigned long long length_ = 0;   // announced
    unsigned long long received_ = 0; // body bytes of a Length body so far
    ChunkState chunk_ = ChunkState::Size;
    unsigned long long chunkLeft_ = 0;
};
