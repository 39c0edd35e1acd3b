#include "DefinitionFile.h"

#include "AnsiText.h"
#include "modLockdown.h"

#include <algorithm>

namespace {

constexpr size_t kChunk = 64 * 1024;
constexpr size_t kMaxLine = 64 * 1024;

} // namespace

FileLineReader::FileLineReader(const std::string& path, LineEnds lineEnds)
    : file_(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)),
      lineEnds_(lineEnds) {}

FileLineReader::~FileLineReader() {
    if (IsOpen())
        CloseHandle(file_);
}

bool FileLineReader::Fill() {
    if (eof_ || !IsOpen())
        return false;
    buffer_.erase(0, pos_);
    pos_ = 0;
    const size_t old = buffer_.size();
    buffer_.resize(old + kChunk);
    DWORD read = 0;
    if (!ReadFile(file_, buffer_.data() + old, kChunk, &read, nullptr) || read == 0) {
        eof_ = true;
        buffer_.resize(old);
        return false;
    }
    buffer_.resize(old + read);
    return true;
}

size_t FileLineReader::FindLineEnd(size_t& endLength) const {
    if (lineEnds_ == LineEnds::CrLf) {
        endLength = 2;
        return buffer_.find("\r\n", pos_);
    }
    const size_t cr = buffer_.find('\r', pos_);
    if (cr == std::string::npos || (cr + 1 == buffer_.size() && !eof_))
        return std::string::npos; // a LF may follow in the next chunk
    endLength = (cr + 1 < buffer_.size() && buffer_[cr + 1] == '\n') ? 2 : 1;
    return cr;
}

bool FileLineReader::Next(std::string& line) {
    size_t endLength = 0;
    size_t end;
    for (;;) {
        end = FindLineEnd(endLength);
        if (end != std::string::npos || buffer_.size() - pos_ > kMaxLine)
            break;
        if (!Fill()) {
            end = FindLineEnd(endLength); // at the end of the file a last CR ends its line
            break;
        }
    }
    if (end == std::string::npos && buffer_.size() - pos_ > kMaxLine) {
        // Cut the line, then skip what is left of it.
        line.assign(buffer_, pos_, kMaxLine);
        pos_ += kMaxLine;
        while ((end = FindLineEnd(endLength)) == std::string::npos) {
            pos_ = buffer_.size() - std::min<size_t>(1, buffer_.size() - pos_);
            if (!Fill()) {
                pos_ = buffer_.size();
                return true;
            }
        }
        pos_ = end + endLength;
        return true;
    }
    if (end == std::string::npos) {
        if (pos_ >= buffer_.size())
            return false;
        line.assign(buffer_, pos_, std::string::npos);
        pos_ = buffer_.size();
        return true;
    }
    line.assign(buffer_, pos_, std::min(end - pos_, kMaxLine));
    pos_ = end + endLength;
    return true;
}

bool DefinitionFileReader::Next(std::string& line) {
    if (!reader_.Next(line))
        return false;
    modLockdown::UnscrambleInPlace(line);
    // ASCII reads the same in every ANSI code page and in UTF-8, and most lines are ASCII.
    if (std::any_of(line.begin(), line.end(), [](char c) { return c & 0x80; }))
        line = AnsiToUtf8(line);
    return true;
}

FileStamp StampOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data))
        return {};
    return {(uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
            (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) |
                data.ftLastWriteTime.dwLowDateTime,
            true};
}
