#include "TextRules.h"

#include "AnsiText.h"

#include <windows.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace TextRules {

namespace {

bool IsAscii(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80)
            return false;
    return true;
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Maps a text through CharLowerBuffW / CharUpperBuffW, which know every script's letters.
std::string MapCase(std::string_view text, bool lower) {
    if (IsAscii(text)) {
        std::string result(text);
        for (char& c : result)
            c = lower ? AsciiLower(c) : AsciiUpper(c);
        return result;
    }
    std::wstring wide = Utf8ToWide(text);
    if (lower)
        CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    else
        CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return WideToUtf8(wide);
}

bool SameAt(std::string_view text, size_t pos, std::string_view find, Compare compare) {
    if (compare == Compare::Binary)
        return text.compare(pos, find.size(), find) == 0;
    for (size_t i = 0; i < find.size(); ++i)
        if (AsciiLower(text[pos + i]) != AsciiLower(find[i]))
            return false;
    return true;
}

} // namespace

std::string LTrim(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string RTrim(std::string_view text) {
    const size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string Trim(std::string_view text) {
    return std::string(TrimmedView(text));
}

std::string_view TrimmedView(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

bool IsBlank(std::string_view text) {
    return text.empty() || text == " ";
}

size_t CharacterCount(std::string_view text) {
    size_t count = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) // every byte that does not continue a sequence starts one
            ++count;
    return count;
}

std::string LeftCharacters(std::string_view text, size_t count) {
    size_t end = 0;
    for (size_t characters = 0; end < text.size() && characters < count; ++characters) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
    }
    return std::string(text.substr(0, end));
}

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
    std::vector<std::string> pieces;
    if (text.empty())
        return pieces;
    if (separator.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            pieces.emplace_back(text.substr(start));
            return pieces;
        }
        pieces.emplace_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}

std::string_view Piece(std::string_view text, char separator, size_t index) {
    size_t start = 0;
    for (; index > 0; --index) {
        start = text.find(separator, start);
        if (start == std::string_view::npos)
            return {};
        ++start;
    }
    return text.substr(start, text.find(separator, start) - start);
}

size_t Find(std::string_view text, std::string_view find, size_t start, Compare compare) {
    if (start > text.size())
        return std::string_view::npos;
    if (find.empty())
        return start;
    if (compare == Compare::Binary)
        return text.find(find, start);
    // Text comparison folds ASCII letters byte by byte; that keeps byte positions valid in UTF-8.
    for (size_t pos = start; pos + find.size() <= text.size(); ++pos)
        if (SameAt(text, pos, find, compare))
            return pos;
    return std::string_view::npos;
}

bool Contains(std::string_view text, std::string_view find, Compare compare) {
    return Find(text, find, 0, compare) != std::string_view::npos;
}

std::string Replace(std::string_view text, std::string_view find, std::string_view replacement,
                    Compare compare) {
    if (find.empty())
        return std::string(text);
    std::string result;
    result.reserve(text.size());
    size_t start = 0;
    for (;;) {
        const size_t at = Find(text, find, start, compare);
        if (at == std::string_view::npos)
            break;
        result.append(text.substr(start, at - start));
        result.append(replacement);
        start = at + find.size();
    }
    result.append(text.substr(start));
    return result;
}

int CompareNoCase(std::string_view a, std::string_view b) {
    if (IsAscii(a) && IsAscii(b)) {
        const size_t n = a.size() < b.size() ? a.size() : b.size();
        for (size_t i = 0; i < n; ++i) {
            const char x = AsciiLower(a[i]), y = AsciiLower(b[i]);
            if (x != y)
                return x < y ? -1 : 1;
        }
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    }
    const std::wstring wa = Utf8ToWide(a), wb = Utf8ToWide(b);
    const int result = CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(),
                                            static_cast<int>(wb.size()), TRUE);
    return result == CSTR_EQUAL ? 0 : (result == CSTR_LESS_THAN ? -1 : 1);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return CompareNoCase(a, b) == 0;
}

std::string ToLower(std::string_view text) {
    return MapCase(text, true);
}
std::string ToUpper(std::string_view text) {
    return MapCase(text, false);
}

void ToLowerInPlace(std::string& text) {
    if (!IsAscii(text)) {
        text = MapCase(text, true);
        return;
    }
    for (char& c : text)
        c = AsciiLower(c);
}

bool StartsWith(std::string_view text, std::string_view prefix, Compare compare) {
    return text.size() >= prefix.size() && SameAt(text, 0, prefix, compare);
}

bool EndsWith(std::string_view text, std::string_view suffix, Compare compare) {
    return text.size() >= suffix.size() &&
           SameAt(text, text.size() - suffix.size(), suffix, compare);
}

bool LineReader::Next(std::string& line) {
    if (pos_ >= content_.size())
        return false;
    const size_t cr = content_.find('\r', pos_);
    if (cr == std::string_view::npos) {
        line.assign(content_.substr(pos_));
        pos_ = content_.size();
        return true;
    }
    line.assign(content_.substr(pos_, cr - pos_));
    pos_ = cr + 1;
    if (pos_ < content_.size() && content_[pos_] == '\n')
        ++pos_;
    return true;
}

std::vector<std::string> SplitLines(std::string_view content) {
    std::vector<std::string> lines;
    LineReader reader(content);
    std::string line;
    while (reader.Next(line))
        lines.push_back(line);
    return lines;
}

long ToLong(std::string_view text, long defaultValue) {
    const std::string trimmed = Trim(text);
    if (trimmed.empty())
        return defaultValue;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(trimmed.c_str(), &end);
    // "nan" and "inf" are no numbers a setting holds; strtod reads them all the same.
    if (end != trimmed.c_str() + trimmed.size() || errno == ERANGE || !std::isfinite(value) ||
        value > 2147483647.0 || value < -2147483648.0)
        return defaultValue;
    return RoundHalfEven(value);
}

double ToDouble(std::string_view text, double defaultValue) {
    const std::string trimmed = Trim(text);
    if (trimmed.empty())
        return defaultValue;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(trimmed.c_str(), &end);
    if (end != trimmed.c_str() + trimmed.size() || errno == ERANGE || !std::isfinite(value))
        return defaultValue;
    return value;
}

bool ToBool(std::string_view text, bool defaultValue) {
    const std::string trimmed = Trim(text);
    if (EqualsNoCase(trimmed, "True"))
        return true;
    if (EqualsNoCase(trimmed, "False"))
        return false;
    const double number = ToDouble(trimmed, std::nan(""));
    if (std::isnan(number))
        return defaultValue;
    return number != 0.0;
}

std::string FromBool(bool value) {
    return value ? "True" : "False";
}

long RoundHalfEven(double value) {
    return static_cast<long>(std::nearbyint(value));
}

} // namespace TextRules
