// The text rules every module shares: the original toolkit's trimming, splitting, replacing,
// comparing, line reading and value conversions, kept in one place because results depend on
// them (a scan's matches, a settings value read back).
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace TextRules {

// How a search or comparison treats letter case.
enum class Compare { Binary, Text };

// Removes spaces only (never tabs or line breaks), from both ends, the left or the right.
std::string Trim(std::string_view text);
// Trim as a view into the text, for loops that would otherwise copy every piece.
std::string_view TrimmedView(std::string_view text);
std::string LTrim(std::string_view text);
std::string RTrim(std::string_view text);

// True for an empty text or a single space, which the definition readers treat alike.
bool IsBlank(std::string_view text);
// The number of characters of a UTF-8 text.
size_t CharacterCount(std::string_view text);
// The first `count` characters (not bytes) of a UTF-8 text.
std::string LeftCharacters(std::string_view text, size_t count);

// Splits on every occurrence of the separator; an empty text gives no pieces, and an empty
// separator gives the whole text as its one piece.
std::vector<std::string> Split(std::string_view text, std::string_view separator);

// The piece of `text` between the `index`-th separator and the next, as Split would give it,
// without making the list; empty when the text has fewer separators.
std::string_view Piece(std::string_view text, char separator, size_t index);

// The first N pieces of Split(text, separator) as views, found in one pass over the text, for
// readers of a hundred thousand lines; `count` is how many of them the text has.
template <size_t N> struct LeadingPieces {
    std::array<std::string_view, N> piece{};
    size_t count = 0;
};
template <size_t N> LeadingPieces<N> SplitLeading(std::string_view text, char separator) {
    LeadingPieces<N> pieces;
    if (text.empty())
        return pieces;
    for (size_t start = 0;;) {
        const size_t end = text.find(separator, start);
        pieces.piece[pieces.count++] = text.substr(start, end == text.npos ? end : end - start);
        if (end == text.npos || pieces.count == N)
            break;
        start = end + 1;
    }
    return pieces;
}

// One left-to-right pass: each occurrence of `find` is replaced and the scan resumes after the
// inserted text, so a replacement is never searched again.
std::string Replace(std::string_view text, std::string_view find, std::string_view replacement,
                    Compare compare = Compare::Binary);

// Position of `find` in `text` at or after `start` (0-based), or npos. An empty `find` is
// found at `start`.
size_t Find(std::string_view text, std::string_view find, size_t start = 0,
            Compare compare = Compare::Binary);
bool Contains(std::string_view text, std::string_view find, Compare compare = Compare::Binary);

// Case-insensitive comparison of UTF-8 texts (letters of any script).
bool EqualsNoCase(std::string_view a, std::string_view b);
// -1, 0 or 1, ordering UTF-8 texts without regard to case.
int CompareNoCase(std::string_view a, std::string_view b);
std::string ToLower(std::string_view text);
std::string ToUpper(std::string_view text);
// ToLower without a new text when the text is ASCII, as most paths and names are.
void ToLowerInPlace(std::string& text);

bool StartsWith(std::string_view text, std::string_view prefix, Compare compare = Compare::Binary);
bool EndsWith(std::string_view text, std::string_view suffix, Compare compare = Compare::Binary);

// Splits file content into lines: a line ends at CR LF or at a lone CR; a lone LF stays part of
// its line; the last line needs no terminator; an empty content has no lines.
std::vector<std::string> SplitLines(std::string_view content);

// Reads lines one at a time from content in memory, with the rules of SplitLines.
class LineReader {
  public:
    explicit LineReader(std::string_view content) : content_(content) {}
    // Gives the next line; false when the content is used up.
    bool Next(std::string& line);

  private:
    std::string_view content_;
    size_t pos_ = 0;
};

// Value conversions of settings text: a text that does not convert gives the default.
long ToLong(std::string_view text, long defaultValue);
double ToDouble(std::string_view text, double defaultValue);
// "True"/"False" in any case, or a number (non-zero is true).
bool ToBool(std::string_view text, bool defaultValue);
std::string FromBool(bool value); // "True" or "False"

// Rounds half to even, as the original's percentages do.
long RoundHalfEven(double value);

} // namespace TextRules
