#include "TextRules.h"

#include <gtest/gtest.h>

using namespace TextRules;
using Lines = std::vector<std::string>;

TEST(TextRules, TrimRemovesSpacesOnly) {
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(Trim("\ta\t"), "\ta\t");
    EXPECT_EQ(Trim("    "), "");
    EXPECT_EQ(LTrim("  a  "), "a  ");
    EXPECT_EQ(RTrim("  a  "), "  a");
}

TEST(TextRules, SplitKeepsEmptyPiecesButAnEmptyTextHasNone) {
    EXPECT_TRUE(Split("", "|").empty());
    EXPECT_EQ(Split("a", "|"), (Lines{"a"}));
    EXPECT_EQ(Split("a||b|", "|"), (Lines{"a", "", "b", ""}));
    EXPECT_EQ(Split("|", "|"), (Lines{"", ""}));
    EXPECT_EQ(Split("a=>b=>c", "=>"), (Lines{"a", "b", "c"}));
}

TEST(TextRules, PiecesAndViewsAgreeWithTheCopyingRules) {
    for (const char* text : {"", "a", "a||b|", "|", "k|n=x|c:\\p|t|extra", "  a b  ", "   "}) {
        const Lines pieces = Split(text, "|");
        for (size_t i = 0; i < 6; ++i)
            EXPECT_EQ(Piece(text, '|', i), i < pieces.size() ? pieces[i] : "") << text << " " << i;
        const LeadingPieces<3> leading = SplitLeading<3>(text, '|');
        EXPECT_EQ(leading.count, std::min<size_t>(pieces.size(), 3)) << text;
        for (size_t i = 0; i < 3; ++i)
            EXPECT_EQ(leading.piece[i], Piece(text, '|', i)) << text << " " << i;
        EXPECT_EQ(TrimmedView(text), Trim(text)) << text;
    }
    for (const char* text : {"C:\\Program Files\\X.EXE", "",
                             "\xc3\x84"
                             "BC"}) {
        std::string lowered = text;
        ToLowerInPlace(lowered);
        EXPECT_EQ(lowered, ToLower(text)) << text;
    }
}

TEST(TextRules, ReplaceMakesOneLeftToRightPass) {
    EXPECT_EQ(Replace("aaa", "aa", "a"), "aa");
    EXPECT_EQ(Replace("abab", "a", "aa"), "aabaab");
    EXPECT_EQ(Replace("xyz", "", "q"), "xyz");
    EXPECT_EQ(Replace("C:\\START MENU\\x", "\\Start Menu", "", Compare::Text), "C:\\x");
    EXPECT_EQ(Replace("C:\\START MENU\\x", "\\Start Menu", ""), "C:\\START MENU\\x");
}

TEST(TextRules, FindAndCaseRules) {
    EXPECT_EQ(Find("abcABC", "ABC"), 3u);
    EXPECT_EQ(Find("abcABC", "ABC", 0, Compare::Text), 0u);
    EXPECT_EQ(Find("abc", "x"), std::string::npos);
    EXPECT_EQ(Find("abc", "c", 5), std::string::npos);
    EXPECT_TRUE(EqualsNoCase("Explorer.EXE", "explorer.exe"));
    EXPECT_TRUE(EqualsNoCase("ÄRGER.txt", "ärger.TXT"));
    EXPECT_FALSE(EqualsNoCase("abc", "abcd"));
    EXPECT_LT(CompareNoCase("apple", "Banana"), 0);
    EXPECT_EQ(ToLower("ÉCOLE Abc"), "école abc");
    EXPECT_EQ(ToUpper("straße"), ToUpper("STRAßE"));
    EXPECT_TRUE(StartsWith("C:\\Windows", "c:\\", Compare::Text));
    EXPECT_FALSE(StartsWith("C:\\Windows", "c:\\"));
    EXPECT_TRUE(EndsWith("file.DLL", ".dll", Compare::Text));
}

TEST(TextRules, LinesEndAtCrLfOrALoneCr) {
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(SplitLines("a"), (Lines{"a"}));
    EXPECT_EQ(SplitLines("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitLines("a\rb\rc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(SplitLines("a\nb"), (Lines{"a\nb"}));
    EXPECT_EQ(SplitLines("\r\n\r\n"), (Lines{"", ""}));
    EXPECT_EQ(SplitLines("\r\r\n"), (Lines{"", ""}));
    EXPECT_EQ(SplitLines("a\n\r\nb"), (Lines{"a\n", "b"}));
    EXPECT_EQ(SplitLines(std::string("a\0b\r\n", 5)), (Lines{std::string("a\0b", 3)}));
}

TEST(TextRules, LineReaderGivesTheSameLinesOneByOne) {
    LineReader reader("one\r\ntwo\rthree");
    std::string line;
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line, "one");
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line, "two");
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line, "three");
    EXPECT_FALSE(reader.Next(line));
}

TEST(TextRules, NumberConversionsFallBackToTheDefault) {
    EXPECT_EQ(ToLong("42", 7), 42);
    EXPECT_EQ(ToLong(" -3 ", 7), -3);
    EXPECT_EQ(ToLong("", 7), 7);
    EXPECT_EQ(ToLong("12abc", 7), 7);
    EXPECT_EQ(ToLong("99999999999", 7), 7);
    EXPECT_EQ(ToLong("2.5", 7), 2);
    EXPECT_DOUBLE_EQ(ToDouble("1.25", 0), 1.25);
    EXPECT_DOUBLE_EQ(ToDouble("x", 0.5), 0.5);
    for (const char* notANumber : {"nan", "NaN", "-nan", "nan(1)", "inf", "-inf", "Infinity"}) {
        EXPECT_EQ(ToLong(notANumber, 7), 7) << notANumber;
        EXPECT_DOUBLE_EQ(ToDouble(notANumber, 0.5), 0.5) << notANumber;
        EXPECT_TRUE(ToBool(notANumber, true)) << notANumber;
        EXPECT_FALSE(ToBool(notANumber, false)) << notANumber;
    }
}

TEST(TextRules, TruthValuesReadWordsAndNumbers) {
    EXPECT_TRUE(ToBool("True", false));
    EXPECT_TRUE(ToBool("true", false));
    EXPECT_FALSE(ToBool("FALSE", true));
    EXPECT_TRUE(ToBool("1", false));
    EXPECT_TRUE(ToBool("-1", false));
    EXPECT_FALSE(ToBool("0", true));
    EXPECT_TRUE(ToBool("Yes", true));
    EXPECT_FALSE(ToBool("", false));
    EXPECT_EQ(FromBool(true), "True");
    EXPECT_EQ(FromBool(false), "False");
}

TEST(TextRules, PercentagesRoundHalfToEven) {
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(2.51), 3);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
}

TEST(TextRules, CharactersAreCountedAndCutWholeInUtf8) {
    const std::string text = "\xC3\xBC"
                             "ber\xE2\x82\xAC"; // "über€"
    EXPECT_EQ(TextRules::CharacterCount(text), 5u);
    EXPECT_EQ(TextRules::LeftCharacters(text, 1), "\xC3\xBC");
    EXPECT_EQ(TextRules::LeftCharacters(text, 4), "\xC3\xBC"
                                                  "ber");
    EXPECT_EQ(TextRules::LeftCharacters(text, 5), text);
    EXPECT_EQ(TextRules::LeftCharacters(text, 9), text);
    EXPECT_EQ(TextRules::LeftCharacters("", 3), "");
}
