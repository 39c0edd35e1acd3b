#include "DefinitionFile.h"

#include "AnsiText.h"
#include "modLockdown.h"

namespace {

constexpr size_t kChunk = 64 * 1024;
constexpr size_t kMaxLine = 64 * 1024;

} // namespace

DefinitionFileReader::DefinitionFileReader(const std::string& path)
    : file_(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {}

DefinitionFileReader::~DefinitionFileReader() {
    if (IsOpen())
        CloseHandle(file_);
}

bool DefinitionFileReader::Fill() {
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

bool DefinitionFileReader::NextRaw(std::string& line) {
    bool overlong = false;
    for (;;) {
        size_t end = buffer_.find("\r\n", pos_);
        while (end == std::string::npos) {
            if (buffer_.size() - pos_ > kMaxLine) {
                // Too long for a definition: skip to the next line end, keeping a last CR that
                // the next chunk's LF may complete.
                overlong = true;
                pos_ = buffer_.size() - 1;
            }
            if (!Fill()) {
                if (overlong || pos_ >= buffer_.size()) {
                    pos_ = buffer_.size();
                    return false;
                }
                line.assign(buffer_, pos_, std::string::npos);
                pos_ = buffer_.size();
                return true;
            }
            end = buffer_.find("\r\n", pos_);
        }
        if (overlong || end - pos_ > kMaxLine) {
            overlong = false;
            pos_ = end + 2;
            continue;
        }
        line.assign(buffer_, pos_, end - pos_);
        pos_ = end + 2;
        return true;
    }
}

bool DefinitionFileReader::Next(std::string& line) {
    if (!NextRaw(line))
        return false;
    line = AnsiToUtf8(modLockdown::UnscrambleString(line));
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
