// Editing settings files in place: "Key = value" lines with and without
// sections, and one member of a JSON document.

#include "emulator/settings_text.h"

#include <gtest/gtest.h>

namespace tobrel::emulator {
namespace {

constexpr LineSyntax kIni{true, false};
constexpr LineSyntax kPlain{false, true};

struct LineCase {
    const char* name;
    LineSyntax syntax;
    std::string_view before;
    std::string_view section;
    std::string_view key;
    std::string_view value;
    std::string_view after;
};

const LineCase kLineCases[] = {
    {"ReplacesOnlyTheValue", kIni,
     "[Main]\nCard1Path = main\n\n[MemoryCards]\nCard1Type = PerGame\n; Card1Path = old\nCard1Path "
     "=  a.mcd  \nCard2Path = b.mcd\n",
     "MemoryCards", "Card1Path", "/home/ユーザー/ｶｰﾄﾞ.mcr",
     "[Main]\nCard1Path = main\n\n[MemoryCards]\nCard1Type = PerGame\n; Card1Path = old\nCard1Path "
     "=  /home/ユーザー/ｶｰﾄﾞ.mcr\nCard2Path = b.mcd\n"},
    {"KeepsCrLfAndTheByteOrderMark", kIni,
     "\xEF\xBB\xBF[MemoryCards]\r\ncard1type=None\r\nDirectory = memcards\r\n", "memorycards",
     "Card1Type", "Shared",
     "\xEF\xBB\xBF[MemoryCards]\r\ncard1type=Shared\r\nDirectory = memcards\r\n"},
    {"AddsAMissingKeyAfterTheSectionsLastSetting", kIni,
     "[MemoryCards]\r\nCard1Type = None\r\n\r\n[Pad1]\r\nType = DigitalController\r\n",
     "MemoryCards", "Card1Path", "C:\\カード\\a.mcr",
     "[MemoryCards]\r\nCard1Type = None\r\nCard1Path = C:\\カード\\a.mcr\r\n\r\n[Pad1]\r\nType = "
     "DigitalController\r\n"},
    {"AppendsAMissingSection", kIni, "[Main]\nSettingsVersion = 3", "MemoryCards", "Card2Type",
     "Shared", "[Main]\nSettingsVersion = 3\n\n[MemoryCards]\nCard2Type = Shared\n"},
    {"ChangesEveryRepeatOfTheKey", kIni,
     "[MemoryCards]\nCard1Path = a\n[Other]\nCard1Path = x\n[MemoryCards]\nCARD1PATH = b",
     "MemoryCards", "Card1Path", "c",
     "[MemoryCards]\nCard1Path = c\n[Other]\nCard1Path = x\n[MemoryCards]\nCARD1PATH = c"},
    {"PlainLinesCompareNamesExactly", kPlain,
     "# ePSXe\nmcd1 = keep\nMcd1 = /old.mcr\nMcd2 = /two.mcr\n[Not a section] = 1\n", "", "Mcd1",
     "/new.mcr", "# ePSXe\nmcd1 = keep\nMcd1 = /new.mcr\nMcd2 = /two.mcr\n[Not a section] = 1\n"},
    {"PlainLinesGetAMissingKeyAtTheEnd", kPlain, "Bios = scph1001.bin\nXa = 0", "", "Mcd2",
     "/c.mcr", "Bios = scph1001.bin\nXa = 0\nMcd2 = /c.mcr"},
};

class LineSettings : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineSettings, WritesOneValueAndReadsItBack) {
    const auto& c = GetParam();
    const auto after = writeLineSetting(c.before, c.syntax, c.section, c.key, c.value);
    ASSERT_TRUE(after);
    EXPECT_EQ(*after, c.after);
    EXPECT_EQ(readLineSetting(*after, c.syntax, c.section, c.key), std::string(c.value));
}

INSTANTIATE_TEST_SUITE_P(Cases, LineSettings, ::testing::ValuesIn(kLineCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LineSettingsValues, AValueThatCannotStayOnOneLineIsRefused) {
    for (std::string_view value : {"a\nb", "a\rb", " a", "a\t"}) {
        EXPECT_FALSE(writeLineSetting("[S]\nK = v\n", kIni, "S", "K", value)) << value;
    }
    EXPECT_EQ(readLineSetting("[S]\n; K = c\n", kIni, "S", "K"), std::nullopt);
}

// A pcsx.json as the emulator writes it, with other members and nesting.
constexpr std::string_view kReduxJson = R"({
    "SettingsList": [1, -2.5e3, null, {"Mcd1": "not this"}],
    "emulator": {
        "Bios": "openbios.bin",
        "Mcd1": "memcard1.mcd",
        "Mcd1Inserted": true,
        "Mcd2": "C:\\Cards\\\"q\".mcd",
        "Debugger": {"Mcd2Inserted": false}
    },
    "gui": {"Fullscreen": false}
}
)";

TEST(JsonSettings, ReplacesOneMemberAndKeepsEverythingElse) {
    const auto after = writeJsonRaw(kReduxJson, {"emulator", "Mcd1"}, "\"/カード/a.mcr\"");
    ASSERT_TRUE(after);
    std::string expected(kReduxJson);
    expected.replace(expected.find("\"memcard1.mcd\""), 14, "\"/カード/a.mcr\"");
    EXPECT_EQ(*after, expected);
    EXPECT_EQ(readJsonString(*after, {"emulator", "Mcd1"}), "/カード/a.mcr");
    EXPECT_EQ(readJsonString(kReduxJson, {"emulator", "Mcd2"}), "C:\\Cards\\\"q\".mcd");
}

TEST(JsonSettings, InsertsAMissingMemberOnItsOwnLine) {
    auto crlf = std::string(kReduxJson);
    for (std::size_t at = crlf.find('\n'); at != std::string::npos; at = crlf.find('\n', at + 2)) {
        crlf.insert(at, "\r");
    }
    const auto after = writeJsonRaw(crlf, {"emulator", "Mcd2Inserted"}, "true");
    ASSERT_TRUE(after);
    std::string expected = crlf;
    const auto debugger = expected.find("{\"Mcd2Inserted\": false}") + 23;
    expected.insert(debugger, ",\r\n        \"Mcd2Inserted\": true");
    EXPECT_EQ(*after, expected);
    EXPECT_EQ(readJsonBool(*after, {"emulator", "Mcd2Inserted"}), true);
    EXPECT_EQ(readJsonBool(*after, {"emulator", "Debugger", "Mcd2Inserted"}), false);
}

TEST(JsonSettings, CreatesAMissingParentObject) {
    const auto after = writeJsonRaw("\xEF\xBB\xBF{\"gui\": {}}", {"emulator", "Mcd1"}, "\"a\"");
    ASSERT_TRUE(after);
    EXPECT_EQ(*after, "\xEF\xBB\xBF{\"gui\": {}, \"emulator\": {\"Mcd1\": \"a\"}}");
    EXPECT_EQ(writeJsonRaw("{}", {"emulator", "Mcd1"}, "true"), "{\"emulator\": {\"Mcd1\": true}}");
}

TEST(JsonSettings, AnEscapedNameIsTheSameMemberAndTheLastRepeatCounts) {
    const std::string_view text = R"({"emulator": {"Mc\u0064\u0031": "a", "Mcd1": "b"}})";
    EXPECT_EQ(readJsonString(text, {"emulator", "Mcd1"}), "b");
    EXPECT_EQ(writeJsonRaw(text, {"emulator", "Mcd1"}, "\"c\""),
              R"({"emulator": {"Mc\u0064\u0031": "a", "Mcd1": "c"}})");
}

TEST(JsonSettings, AnInvalidDocumentOrAParentOfAnotherTypeIsLeftAlone) {
    for (std::string_view text :
         {R"({"emulator": {"Mcd1": "a",}})", R"({"emulator": {"Mcd1": "a"})", "{\"a\": 01}",
          "{\"a\": \"\x01\"}", "{\"a\": \"\xff\"}", "{} {}", "", R"({"emulator": [1]})",
          R"({"emulator": "x"})"}) {
        EXPECT_FALSE(writeJsonRaw(text, {"emulator", "Mcd1"}, "\"b\"")) << text;
    }
    EXPECT_FALSE(writeJsonRaw("{}", {"emulator", "Mcd1"}, "tru"));
}

TEST(JsonSettings, QuotedTextReadsBackAsItself) {
    for (std::string_view text : {"C:\\a \"b\"\\ｶｰﾄﾞ.mcd", "tab\there", "\x1f"}) {
        const auto quoted = jsonQuote(text);
        ASSERT_TRUE(quoted);
        const auto document = "{\"m\": " + *quoted + "}";
        EXPECT_TRUE(isValidJson(document)) << document;
        EXPECT_EQ(readJsonString(document, {"m"}), std::string(text));
    }
    EXPECT_FALSE(jsonQuote("\x83\x4a")); // Shift-JIS bytes
}

} // namespace
} // namespace tobrel::emulator
