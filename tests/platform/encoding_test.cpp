#include "platform/encoding.h"

#include <gtest/gtest.h>

namespace tobrel::platform {
namespace {

struct Mapping {
    const char* name;
    std::string cp932;
    std::string utf8;
};

// Microsoft's table, which Japanese Windows and the emulators use.
class Cp932Mapping : public ::testing::TestWithParam<Mapping> {};

TEST_P(Cp932Mapping, DecodesAndEncodesBothWays) {
    const auto& m = GetParam();
    EXPECT_EQ(decodeCp932(m.cp932), m.utf8);
    auto encoded = encodeCp932(m.utf8);
    ASSERT_TRUE(encoded.has_value());
    EXPECT_EQ(*encoded, m.cp932);
}

INSTANTIATE_TEST_SUITE_P(MicrosoftTable, Cp932Mapping,
                         ::testing::Values(Mapping{"WaveDash", "\x81\x60", "\uFF5E"},
                                           Mapping{"FullwidthReverseSolidus", "\x81\x5F", "\uFF3C"},
                                           Mapping{"CircledOne", "\x87\x40", "\u2460"},
                                           Mapping{"BackslashStays", "\x5C", "\\"},
                                           Mapping{"TildeStays", "\x7E", "~"},
                                           Mapping{"HalfWidthKatakana", "\xB6\xB0\xC4\xDE", "ｶｰﾄﾞ"},
                                           Mapping{"SoWithBackslashTrailByte", "\x83\x5C", "ソ"},
                                           Mapping{"Kanji", "\x95\xCF\x8A\xB7", "変換"},
                                           Mapping{"ControlBytesUntouched",
                                                   std::string("\x1A\x1C\x7F\x00\x01", 5),
                                                   std::string("\x1A\x1C\x7F\x00\x01", 5)}),
                         [](const auto& info) { return info.param.name; });

TEST(Cp932Decode, InvalidAndTruncatedBytesBecomeReplacementCharacters) {
    // A lone lead byte at the end must not vanish nor read past the input.
    EXPECT_EQ(decodeCp932("AB\x83"), "AB\uFFFD");
    // A lead byte followed by an impossible trail byte: one mark, the next byte decoded on its own.
    EXPECT_EQ(decodeCp932("\x81\x20X"), "\uFFFD X");
    EXPECT_EQ(decodeCp932(""), "");
}

TEST(Cp932Decode, LongTextCrossesInternalBufferBoundaries) {
    std::string input;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        input += "\x83\x4A"
                 "a"; // カa
        expected += "カa";
    }
    EXPECT_EQ(decodeCp932(input), expected);
}

TEST(Cp932Encode, UnencodableTextIsReportedNotGuessed) {
    EXPECT_FALSE(encodeCp932("emoji \xF0\x9F\x98\x80").has_value());
    EXPECT_FALSE(encodeCp932("\xC3\x28").has_value()); // invalid UTF-8
    EXPECT_EQ(encodeCp932Lossy("a\xF0\x9F\x98\x80"
                               "b"),
              "a?b");
    EXPECT_EQ(encodeCp932Lossy("Ω"), "\x83\xB6");
}

// Characters iconv maps one way only: their bytes decode to another character,
// so the text may not cross, and the lossy form marks exactly them.
class Cp932OneWay : public ::testing::TestWithParam<const char*> {};

TEST_P(Cp932OneWay, IsRefusedAndMarkedRatherThanChanged) {
    const std::string character = GetParam();
    const std::string path = "C:\\CARDS\\wave" + character + ".MCD";
    EXPECT_FALSE(encodeCp932(path).has_value());
    EXPECT_FALSE(fitsCp932(path));
    EXPECT_EQ(encodeCp932Lossy("\u30AB" + character + "a"), "\x83\x4A?a");
}

INSTANTIATE_TEST_SUITE_P(MicrosoftTable, Cp932OneWay,
                         ::testing::Values("\u301C" /* WAVE DASH */,
                                           "\u2016" /* DOUBLE VERTICAL LINE */,
                                           "\u2212" /* MINUS SIGN */, "\u00A5" /* YEN SIGN */,
                                           "\u00A2" /* CENT */, "\u203E" /* OVERLINE */,
                                           "\u2014" /* EM DASH */));

TEST(NameForDisplay, Utf8StaysAndOtherBytesDecodeAsCodePage932) {
    const struct {
        std::string bytes;
        std::string shown;
    } cases[] = {
        {"/cards/カード.MEM", "/cards/カード.MEM"},
        {"/cards/\x83\x4A\x81\x5B\x83\x68.MEM", "/cards/カード.MEM"},
        {"\x83\x5C", "ソ"},                 // a lone trail byte in UTF-8 terms
        {"bad\x80\xA0", "bad\uFFFD\uFFFD"}, // neither: shown lossy
    };
    for (const auto& c : cases) {
        EXPECT_EQ(nameForDisplay(c.bytes), c.shown) << c.bytes;
    }
}

} // namespace
} // namespace tobrel::platform
