#include "HttpReplyReader.h"

#include "TextRules.h"

#include <algorithm>

namespace {

// A head larger than this is no reply of a server we talk to.
constexpr size_t kMaxHead = 64 * 1024;
// Lines of chunk sizes and trailers are short; a longer one is garbage.
constexpr size_t kMaxFramingLine = 8 * 1024;
// More hex digits than this would overflow the size.
constexpr size_t kMaxSizeDigits = 15;

std::string_view TrimWhite(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool ParseDecimal(std::string_view text, unsigned long long& value) {
    if (text.empty() || text.size() > 18)
        return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A chunk-size line: hex digits, perhaps followed by extensions after ";".
bool ParseChunkSize(std::string_view line, unsigned long long& size) {
    line = TrimWhite(line.substr(0, line.find(';')));
    if (line.empty() || line.size() > kMaxSizeDigits)
        return false;
    size = 0;
    for (const char c : line) {
        const int digit = HexValue(c);
        if (digit < 0)
            return false;
        size = size * 16 + static_cast<unsigned>(digit);
    }
    return true;
}

// Takes one line ending in LF (a CR before it dropped) from the front of the bytes.
bool TakeLine(std::string& bytes, size_t& from, std::string_view& line) {
    const size_t end = bytes.find('\n', from);
    if (end == std::string::npos)
        return false;
    line = std::string_view(bytes).substr(from, end - from);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    from = end + 1;
    return true;
}

} // namespace

bool HttpReplyReader::Fail() {
    broken_ = true;
    pending_.clear();
    return false;
}

bool HttpReplyReader::Feed(std::string_view bytes) {
    if (broken_)
        return false;
    if (ended_)
        return true; // whatever follows the end of the body is not ours to read
    pending_.append(bytes);
    while (!headRead_) {
        const size_t before = pending_.size();
        if (!ReadHead())
            return Fail();
        if (!headRead_ && pending_.size() == before)
            return pending_.size() <= kMaxHead || Fail();
    }
    return ReadBody() || Fail();
}

bool HttpReplyReader::ReadHead() {
    size_t end = pending_.find("\r\n\r\n");
    size_t after = end + 4;
    if (const size_t bare = pending_.find("\n\n"); bare != std::string::npos && bare < end) {
        end = bare;
        after = bare + 2;
    }
    if (end == std::string::npos)
        return true; // more to come
    const std::string head = pending_.substr(0, end);
    pending_.erase(0, after);

    size_t from = 0;
    std::string text = head + "\n";
    std::string_view line;
    TakeLine(text, from, line);
    // "HTTP/1.x NNN reason"
    if (!TextRules::StartsWith(line, "HTTP/", TextRules::Compare::Text))
        return false;
    const size_t space = line.find(' ');
    unsigned long long status = 0;
    if (space == std::string_view::npos ||
        !ParseDecimal(TrimWhite(line.substr(space + 1, 4)), status) || status < 100 || status > 999)
        return false;
    // An interim reply (100 Continue and the like) comes before the real one.
    if (status < 200)
        return true;
    status_ = static_cast<unsigned long>(status);

    bool chunked = false;
    bool lengthGiven = false;
    while (TakeLine(text, from, line)) {
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        const std::string_view name = TrimWhite(line.substr(0, colon));
        const std::string_view value = TrimWhite(line.substr(colon + 1));
        if (TextRules::EqualsNoCase(name, "Transfer-Encoding")) {
            chunked = chunked || TextRules::Contains(value, "chunked", TextRules::Compare::Text);
        } else if (TextRules::EqualsNoCase(name, "Content-Length")) {
            unsigned long long length = 0;
            if (!ParseDecimal(value, length) || (lengthGiven && length != length_))
                lengthBroken_ = true;
            lengthGiven = true;
            length_ = length;
        } else if (TextRules::EqualsNoCase(name, "Location")) {
            location_ = std::string(value);
        }
    }
    headRead_ = true;
    // Chunking ends the body, whatever length is also announced.
    if (status_ == 204 || status_ == 304)
        framing_ = Framing::NoBody;
    else if (chunked)
        framing_ = Framing::Chunked;
    else if (lengthGiven && !lengthBroken_)
        framing_ = Framing::Length;
    else
        framing_ = Framing::Close;
    ended_ = framing_ == Framing::NoBody || (framing_ == Framing::Length && length_ == 0);
    return true;
}

bool HttpReplyReader::ReadBody() {
    switch (framing_) {
    case Framing::Unknown:
    case Framing::NoBody:
        return true;
    case Framing::Close:
        body_.append(pending_);
        pending_.clear();
        return true;
    case Framing::Length: {
        const size_t take =
            static_cast<size_t>(std::min<unsigned long long>(pending_.size(), length_ - received_));
        body_.append(pending_, 0, take);
        pending_.clear(); // bytes past the announced length belong to nobody
        received_ += take;
        ended_ = received_ == length_;
        return true;
    }
    case Framing::Chunked:
        break;
    }
    size_t from = 0;
    std::string_view line;
    while (!ended_) {
        if (chunk_ == ChunkState::Data) {
            const size_t take = static_cast<size_t>(
                std::min<unsigned long long>(pending_.size() - from, chunkLeft_));
            body_.append(pending_, from, take);
            from += take;
            chunkLeft_ -= take;
            if (chunkLeft_ > 0)
                break;
            chunk_ = ChunkState::DataEnd;
            continue;
        }
        if (!TakeLine(pending_, from, line)) {
            if (pending_.size() - from > kMaxFramingLine)
                return false;
            break;
        }
        if (chunk_ == ChunkState::DataEnd) {
            if (!line.empty())
                return false; // the chunk was longer than it said
            chunk_ = ChunkState::Size;
        } else if (chunk_ == ChunkState::Size) {
            if (!ParseChunkSize(line, chunkLeft_))
                return false;
            chunk_ = chunkLeft_ == 0 ? ChunkState::Trailer : ChunkState::Data;
        } else if (line.empty()) { // the blank line after the trailer ends the body
            ended_ = true;
        }
    }
    pending_.erase(0, from);
    return true;
}

void HttpReplyReader::ConnectionClosed() {
    if (headRead_ && framing_ == Framing::Close && !broken_)
        ended_ = true;
}
