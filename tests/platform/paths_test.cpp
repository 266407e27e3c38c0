#include "platform/paths.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace tobrel::platform {
namespace {

struct SplitCase {
    const char* name;
    std::string path;
    std::string directory;
    std::string fileName;
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const SplitCase& c, std::ostream* out) {
    *out << c.name;
}

class PathSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(PathSplit, SplitsAtTheLastSeparatorWithinTheWindow) {
    EXPECT_EQ(directoryOf(GetParam().path), GetParam().directory);
    EXPECT_EQ(fileNameOf(GetParam().path), GetParam().fileName);
}

// 259 and 260 characters; "ソ" is three UTF-8 bytes but one character.
const std::string k259(259, 'n');
const std::string k260(260, 'n');
std::string kana(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += "ソ";
    }
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Rule, PathSplit,
    ::testing::Values(
        SplitCase{"WindowsPath", "C:\\GAME\\CARD1.MCD", "C:\\GAME\\", "CARD1.MCD"},
        SplitCase{"EndsInSeparator", "C:\\GAME\\", "C:\\GAME\\", ""},
        SplitCase{"Empty", "", "", ""}, SplitCase{"DriveRootOnly", "C:\\", "C:\\", ""},
        SplitCase{"LoneBackslashIsAName", "\\", "", "\\"},
        SplitCase{"SlashPath", "/home/u/cards/CARD1.MCR", "/home/u/cards/", "CARD1.MCR"},
        SplitCase{"BackslashInsideALinuxName", "/home/u\\x/CARD", "/home/u\\x/", "CARD"},
        SplitCase{"BackslashEndsNoLinuxFolder", "/home/u/x\\CARD", "/home/u/", "x\\CARD"},
        SplitCase{"WindowsFormMixedSeparators", "z:/home/u\\CARD", "z:/home/u\\", "CARD"},
        SplitCase{"NoSeparatorIsAFileName", "CARD1.MCD", "", "CARD1.MCD"},
        SplitCase{"ShiftJisTrailByteNotASeparator", "C:\\ソフト\\表.inf", "C:\\ソフト\\", "表.inf"},
        SplitCase{"SeparatorAt260thCharacterFromEnd", "C:\\" + k259, "C:\\", k259},
        SplitCase{"SeparatorAt261stCharacterFromEnd", "C:\\" + k260, "", ""},
        SplitCase{"LongPathLastSeparatorInWindow", "C:\\" + k260 + "\\X.MCD", "C:\\" + k260 + "\\",
                  "X.MCD"},
        SplitCase{"LongNameWithoutAnySeparator", k260 + "n", "", k260 + "n"},
        SplitCase{"WindowCountsCharactersNotBytes", "/d/" + kana(259), "/d/", kana(259)},
        SplitCase{"WindowCountsCharactersBeyond", "/d/" + kana(260), "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NameStart, BackslashSeparatesOnlyInTheWindowsForm) {
    EXPECT_EQ(nameStart("/x/my\\list.inf"), 3u);
    EXPECT_EQ(nameStart("C:\\x\\list.inf"), 5u);
    EXPECT_EQ(nameStart("my\\list.inf"), 0u);
    EXPECT_EQ(nameStart("1:\\x"), 0u); // no drive letter
}

} // namespace
} // namespace tobrel::platform
