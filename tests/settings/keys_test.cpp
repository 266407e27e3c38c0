#include "settings/keys.h"

#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <string>

namespace tobrel::settings {
namespace {

TEST(SettingsKeys, LaunchPathKeysCarryTheSlotDigit) {
    for (std::size_t slot = 0; slot < kKeyLaunchPath.size(); ++slot) {
        EXPECT_EQ(kKeyLaunchPath[slot], "LAUNCHPATH" + std::to_string(slot));
    }
}

TEST(ParseIniInteger, AcceptsOnlyWholeDecimalNumbers) {
    const std::pair<std::string, std::optional<int>> cases[] = {
        {"600", 600},
        {"0", 0},
        {"-150", -150},
        {"+7", 7},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"+", std::nullopt},
        {"+-5", std::nullopt},
        {"--5", std::nullopt},
        {"abc", std::nullopt},
        {"12abc", std::nullopt},
        {"1.5", std::nullopt},
        {"600.0", std::nullopt},
        {" 600", std::nullopt},
        {"600 ", std::nullopt},
        {"1e3", std::nullopt},
        {"０", std::nullopt}, // full-width digit
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(parseIniInteger(text), expected) << '"' << text << '"';
    }
}

TEST(WakuFromText, MissingOrNonNumericIsZero) {
    EXPECT_EQ(wakuFromText(""), 0);
    EXPECT_EQ(wakuFromText("on"), 0);
    EXPECT_EQ(wakuFromText("1"), 1);
    EXPECT_EQ(wakuFromText("2"), 2);
    EXPECT_EQ(wakuFromText("-1"), -1);
}

TEST(ChoiceFromText, RecognisesExactlyOneDigitInRange) {
    struct Case {
        std::string text;
        int convType;
        int lastTab;
        int ctrlTab;
    };
    const Case cases[] = {
        {"0", 0, 0, 0},  {"1", 1, 1, 1},  {"2", 2, 2, 0},   {"4", 4, 4, 0},  {"5", 5, 0, 0},
        {"6", 0, 0, 0},  {"7", 0, 0, 0},  {"9", 0, 0, 0},   {"", 0, 0, 0},   {" 1", 0, 0, 0},
        {"1 ", 0, 0, 0}, {"01", 0, 0, 0}, {"1.0", 0, 0, 0}, {"1.", 0, 0, 0}, {"+1", 0, 0, 0},
        {"-1", 0, 0, 0}, {"a", 0, 0, 0},  {"１", 0, 0, 0},  {"10", 0, 0, 0}, {"/", 0, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(convTypeFromText(c.text), c.convType) << '"' << c.text << '"';
        EXPECT_EQ(lastTabFromText(c.text), c.lastTab) << '"' << c.text << '"';
        EXPECT_EQ(ctrlTabFromText(c.text), c.ctrlTab) << '"' << c.text << '"';
    }
}

TEST(FormatIniNumber, IntegralValuesHaveNoDecimalPoint) {
    const std::pair<float, std::string> cases[] = {
        {600.0F, "600"},
        {0.0F, "0"},
        {-0.0F, "0"},
        {-150.0F, "-150"},
        {28800.0F, "28800"},
        {16777216.0F, "16777216"},
        {0.5F, "0.5"},
        {-7.25F, "-7.25"},
        {std::numeric_limits<float>::infinity(), "0"},
        {std::numeric_limits<float>::quiet_NaN(), "0"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(formatIniNumber(value), text) << value;
        if (text != "0" || value == 0.0F) {
            EXPECT_EQ(std::stof(text), value);
        }
    }
}

TEST(FormatIniNumber, WrittenCoordinatesReadBackAsIntegers) {
    for (int coordinate : {-30000, -15, 0, 15, 600, 28785}) {
        EXPECT_EQ(parseIniInteger(formatIniNumber(static_cast<float>(coordinate))), coordinate);
    }
}

} // namespace
} // namespace tobrel::settings
