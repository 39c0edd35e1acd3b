#include "HttpReplyReader.h"

#include "TextRules.h"

#include <algorithm>

namespace {

// The heads of one reply, interim replies included, are no larger than this from a server we
// talk to; an endless stream of "100 Continue" ends here.
constexpr size_t kMaxHeads = 64 * 1024;
// The trailer fields after the last chunk, together.
constexpr size_t kMaxTrailers = 8 * 1024;
// Lines of chunk sizes are short; a longer one is garbage.
constexpr size_t kMaxFramingLine = 8 * 1024;
// Significant hex digits of a chunk size: more would overflow it.
constexpr size_t kMaxSizeDigits = 15;
// Significant decimal digits of a Content-Length.
constexpr size_t kMaxLengthDigits = 18;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The characters of a field name (a token).
bool IsTokenChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

std::string_view WithoutLeadingZeros(std::string_view digits) {
    const size_t first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view() : digits.substr(first);
}

bool ParseDecimal(std::string_view text, unsigned long long& value) {
    if (text.empty() || WithoutLeadingZeros(text).size() > kMaxLengthDigits)
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
    line = TrimBlanks(line.substr(0, line.find(';')));
    if (line.empty() || WithoutLeadingZeros(line).size() > kMaxSizeDigits)
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

// Takes one line ending in LF (a CR before it dropped) from the bytes, starting at `from`.
bool TakeLine(std::string_view bytes, size_t& from, std::string_view& line) {
    const size_t end = bytes.find('\n', from);
    if (end == std::string_view::npos)
        return false;
    line = bytes.substr(from, end - from);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    from = end + 1;
    return true;
}

// "HTTP/1.x NNN reason": the reason may be missing, with or without the blank before it.
bool ParseStatusLine(std::string_view line, bool& http10, unsigned long& status) {
    constexpr std::string_view kVersion = "HTTP/1.";
    if (line.size() < 12 || line.substr(0, kVersion.size()) != kVersion || line[7] < '0' ||
        line[7] > '9' || line[8] != ' ' || (line.size() > 12 && line[12] != ' '))
        return false;
    status = 0;
    for (const char c : line.substr(9, 3)) {
        if (c < '0' || c > '9')
            return false;
        status = status * 10 + static_cast<unsigned>(c - '0');
    }
    http10 = line[7] == '0';
    return status >= 100 && status <= 599;
}

// One field line of a head or of the trailers: a name right before its colon, then the value.
// A line that starts with a blank (a folded one) or has one before the colon has no name.
bool SplitField(std::string_view line, std::string_view& name, std::string_view& value) {
    const size_t colon = line.find(':');
    if (colon == 0 || colon == std::string_view::npos)
        return false;
    name = line.substr(0, colon);
    if (!std::all_of(name.begin(), name.end(), IsTokenChar))
        return false;
    value = TrimBlanks(line.substr(colon + 1));
    return value.find('\r') == std::string_view::npos;
}

// Calls `take` with each element of a comma-separated field value, empty ones left out; false
// as soon as it returns false.
template <class Take> bool EachElement(std::string_view value, Take take) {
    while (!value.empty()) {
        const size_t comma = value.find(',');
        const std::string_view element = TrimBlanks(value.substr(0, comma));
        if (!element.empty() && !take(element))
            return false;
        value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
    }
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
    if (!headRead_) {
        if (!ReadHeads())
            return Fail();
        if (!headRead_)
            return true;
    }
    return ReadBody() || Fail();
}

bool HttpReplyReader::ReadHeads() {
    size_t start = 0; // where the head being looked for begins in pending_
    bool valid = true;
    while (valid && !headRead_) {
        // A head ends at its first empty line; each of its lines ends in LF, with or without
        // a CR before it.
        size_t end = std::string::npos;
        size_t after = 0;
        size_t line = headScan_;
        for (;;) {
            const size_t lf = pending_.find('\n', line);
            if (lf == std::string::npos)
                break;
            if (lf == line || (lf == line + 1 && pending_[line] == '\r')) {
                end = line;
                after = lf + 1;
                break;
            }
            line = lf + 1;
        }
        if (end == std::string::npos) {
            headScan_ = line;
            valid = headBytes_ + (pending_.size() - start) <= kMaxHeads;
            break;
        }
        headBytes_ += after - start;
        valid = headBytes_ <= kMaxHeads &&
                ReadHead(std::string_view(pending_).substr(start, end - start));
        start = after;
        headScan_ = after;
    }
    pending_.erase(0, start);
    headScan_ -= std::min(headScan_, start);
    return valid;
}

bool HttpReplyReader::ReadHead(std::string_view head) {
    // The head ends with the line end of its last line; its empty line is not part of it.
    size_t from = 0;
    std::string_view line;
    TakeLine(head, from, line);
    bool http10 = false;
    unsigned long status = 0;
    if (!ParseStatusLine(line, http10, status) || status == 101)
        return false; // no switch of protocols was asked for

    std::string location;
    unsigned transferCodings = 0;
    bool chunked = false;
    bool lengthGiven = false;
    unsigned long long length = 0;
    while (TakeLine(head, from, line)) {
        std::string_view name, value;
        if (!SplitField(line, name, value))
            return false;
        bool valid = true;
        if (TextRules::EqualsNoCase(name, "Transfer-Encoding")) {
            // Only chunked may frame the body, as the only coding: the client decodes no other.
            valid = EachElement(value, [&](std::string_view coding) {
                chunked = ++transferCodings == 1 && TextRules::EqualsNoCase(coding, "chunked");
                return chunked;
            });
        } else if (TextRules::EqualsNoCase(name, "Content-Length")) {
            valid = EachElement(value, [&](std::string_view number) {
                unsigned long long given = 0;
                const bool same = ParseDecimal(number, given) && (!lengthGiven || given == length);
                lengthGiven = true;
                length = given;
                return same;
            });
        } else if (TextRules::EqualsNoCase(name, "Content-Encoding")) {
            // A compressed body would be taken for the bytes themselves.
            valid = EachElement(value, [](std::string_view coding) {
                return TextRules::EqualsNoCase(coding, "identity");
            });
        } else if (TextRules::EqualsNoCase(name, "Location")) {
            location = std::string(value);
        }
        if (!valid)
            return false;
    }
    // An interim reply (100 Continue and the like) comes before the real one.
    if (status < 200)
        return true;
    // An HTTP/1.0 server cannot chunk: its framing is faulty.
    if (transferCodings > 0 && http10)
        return false;

    status_ = status;
    location_ = std::move(location);
    length_ = length;
    headRead_ = true;
    // Chunking ends the body, whatever length is also announced.
    if (status_ == 204 || status_ == 304)
        framing_ = Framing::NoBody;
    else if (chunked)
        framing_ = Framing::Chunked;
    else if (lengthGiven)
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
    return ReadChunks();
}

bool HttpReplyReader::ReadChunks() {
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
        const size_t lineStart = from;
        if (!TakeLine(pending_, from, line)) {
            const size_t open = pending_.size() - from;
            if (open > kMaxFramingLine ||
                (chunk_ == ChunkState::Trailer && trailerBytes_ + open > kMaxTrailers))
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
        } else if (line.empty()) { // the blank line after the trailers ends the body
            ended_ = true;
        } else {
            std::string_view name, value;
            trailerBytes_ += from - lineStart;
            if (trailerBytes_ > kMaxTrailers || !SplitField(line, name, value))
                return false;
        }
    }
    pending_.erase(0, from);
    return true;
}

void HttpReplyReader::ConnectionClosed() {
    if (headRead_ && framing_ == Framing::Close && !broken_)
        ended_ = true;
}
