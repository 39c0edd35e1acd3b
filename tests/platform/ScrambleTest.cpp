#include "modLockdown.h"

#include <gtest/gtest.h>

using modLockdown::ScrambleString;
using modLockdown::UnscrambleString;

namespace {
std::string Byte(int code) {
    return std::string(1, static_cast<char>(code));
}
int Code(const std::string& text) {
    return static_cast<unsigned char>(text.at(0));
}
} // namespace

TEST(Scramble, EveryByteFollowsTheShiftTable) {
    for (int c = 0; c < 256; ++c) {
        const int expected = c <= 191 ? c + 64 : c + 64 - 255;
        EXPECT_EQ(Code(ScrambleString(Byte(c))), expected) << "code " << c;
        const int back = c >= 64 ? c - 64 : c - 64 + 255;
        EXPECT_EQ(Code(UnscrambleString(Byte(c))), back) << "code " << c;
    }
}

TEST(Scramble, KnownCodesAndTheZeroCollision) {
    EXPECT_EQ(Code(ScrambleString(Byte(191))), 255);
    EXPECT_EQ(Code(ScrambleString(Byte(192))), 1);
    EXPECT_EQ(Code(ScrambleString(Byte(255))), 64);
    EXPECT_EQ(Code(ScrambleString(Byte(0))), 64);
    EXPECT_EQ(Code(UnscrambleString(Byte(0))), 191);
    EXPECT_EQ(Code(UnscrambleString(Byte(63))), 254);
    EXPECT_EQ(Code(UnscrambleString(Byte(64))), 0);
    EXPECT_EQ(ScrambleString("abc"), "\xA1\xA2\xA3");
    EXPECT_EQ(ScrambleString("|=^["), "\xBC\x7D\x9E\x9B");
}

TEST(Scramble, RoundTripKeepsEveryCodeButTheLast) {
    std::string all;
    for (int c = 0; c < 255; ++c)
        all += Byte(c);
    EXPECT_EQ(UnscrambleString(ScrambleString(all)), all);
    EXPECT_EQ(UnscrambleString(ScrambleString(Byte(255))), Byte(0));
    EXPECT_EQ(ScrambleString(""), "");
    EXPECT_EQ(UnscrambleString(""), "");
}

TEST(Scramble, SeparatorsDoNotSurviveScrambling) {
    const std::string scrambled = ScrambleString("name|path=value^x");
    EXPECT_EQ(scrambled.find_first_of("|=^"), std::string::npos);
}

TEST(Scramble, LongTextsHaveNoLengthLimit) {
    const std::string text(100000, 'x');
    const std::string scrambled = ScrambleString(text);
    ASSERT_EQ(scrambled.size(), text.size());
    EXPECT_EQ(scrambled.back(), '\xB8');
    EXPECT_EQ(UnscrambleString(scrambled), text);
}
