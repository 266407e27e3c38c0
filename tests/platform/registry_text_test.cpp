// Wine's user.reg format: escaping, value forms, hex wrapping, tolerance of
// hand edits, and edits that leave every other byte alone.

#include "platform/encoding.h"
#include "platform/wine/document.h"
#include "platform/wine/escaping.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tobrel::platform::wine {
namespace {

constexpr std::uint64_t kSeconds = 1800000000;
constexpr std::uint64_t kTime = kFileTimeUnixEpoch + kSeconds * kFileTimeTicksPerSecond + 1234567;
const std::string kTimeLine = formatTimeOption(kTime);

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) {
        out += static_cast<char>(v);
    }
    return out;
}

std::string utf16le(std::u16string_view text) {
    std::string out;
    for (char16_t unit : text) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    }
    return out;
}

// A REG_SZ as Wine stores it: UTF-16LE with its terminator.
std::string sz(std::u16string_view text) {
    return utf16le(text) + std::string(2, '\0');
}

KeyPath key(std::string_view path) {
    return *splitKeyPath(path);
}

TEST(WineEscaping, WritesAsWineDoes) {
    const struct {
        std::u16string text;
        std::string escaped;
    } cases[] = {
        {u"é1", "\\x00e91"}, // padded: a hex digit follows
        {u"éz", "\\xe9z"},   // unpadded otherwise
        {u"éF", "\\x00e9F"}, // upper-case hex digits count too
        // Both ends of each digit range pad; their neighbours do not.
        {u"é0", "\\x00e90"},
        {u"é9", "\\x00e99"},
        {u"éa", "\\x00e9a"},
        {u"éf", "\\x00e9f"},
        {u"éA", "\\x00e9A"},
        {u"ég", "\\xe9g"},
        {u"éG", "\\xe9G"},
        {u"é/", "\\xe9/"},
        {u"é:", "\\xe9:"},
        {u"é@", "\\xe9@"},
        {u"é`", "\\xe9`"},
        {u"カード", "\\x30ab\\x30fc\\x30c9"},
        {u"ｶ", "\\xff76"},
        {u"tab\tx", "tab\\tx"},
        {u"\a\b\n\v\f\r\x1b", "\\a\\b\\n\\v\\f\\r\\e"},
        {std::u16string(u"a\0b", 3), "a\\0b"},
        {std::u16string(u"\0"
                        u"7",
                        2),
         "\\0007"}, // octal padded before 0-7
        {std::u16string(u"\x01"
                        u"8",
                        2),
         "\\18"}, // but not before 8
        {u"say \"hi\" C:\\dir\\", "say \\\"hi\\\" C:\\\\dir\\\\"},
        {u"\x7f~", "\x7f~"},
        {u"\U0001F30E", "\\xd83c\\xdf0e"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(escapeText(c.text, "\""), c.escaped);
        auto back = unescapeText(c.escaped + "\"", 0, '"');
        ASSERT_TRUE(back) << c.escaped;
        EXPECT_EQ(back->text, c.text) << c.escaped;
    }
    EXPECT_EQ(escapeText(u"a[b]c", "[]"), "a\\[b\\]c");
}

// Case folding of key and value names at both ends of every folded range
// and just outside them.
TEST(WineNames, FoldRangesEndWhereTheAlphabetsDo) {
    const struct {
        char16_t unit;
        char16_t lower;
    } cases[] = {
        {u'A', u'a'},     {u'Z', u'z'},     {u'@', u'@'},     {u'[', u'['},     {u'a', u'a'},
        {u'z', u'z'},     {0xC0, 0xE0},     {0xDE, 0xFE},     {0xD7, 0xD7},     {0xBF, 0xBF},
        {0xDF, 0xDF},     {0x391, 0x3B1},   {0x3AB, 0x3CB},   {0x3A2, 0x3A2},   {0x390, 0x390},
        {0x400, 0x450},   {0x40F, 0x45F},   {0x410, 0x430},   {0x42F, 0x44F},   {0x430, 0x430},
        {0xFF21, 0xFF41}, {0xFF3A, 0xFF5A}, {0xFF20, 0xFF20}, {0xFF3B, 0xFF3B},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(static_cast<int>(lowerCaseUnit(c.unit)), static_cast<int>(c.lower))
            << std::hex << static_cast<int>(c.unit);
    }
    EXPECT_TRUE(namesEqual(u"Zz\xff3a", u"zZ\xff5a"));
    EXPECT_FALSE(namesEqual(u"[", u"{"));
}

TEST(WineEscaping, ReadsWhatWineAccepts) {
    const struct {
        std::string input;
        std::u16string text;
    } cases[] = {
        {"ｶｰﾄﾞ\"", u"ｶｰﾄﾞ"},         // raw UTF-8
        {"a\x83J\x81[b\"", u"aJ[b"}, // invalid UTF-8 bytes dropped
        {"\\x30ab1\"", u"\x30ab"
                       u"1"},                      // at most four hex digits
        {"\\q\\[\"", u"q["},                       // unknown escapes taken literally
        {"\\101\\0\"", std::u16string(u"A\0", 2)}, // octal, up to three digits
        {"\\x\"", u"x"},                           // \x without digits
        // Hex digits at both ends of their ranges, and the bytes next to them.
        {"\\xaf\"", u"\x00af"},
        {"\\xFA0G\"", u"\xfa0G"},
        {"\\x9g\"", u"\x0009g"},
        {"\\xf/\"", u"\x000f/"},
        {"\\x0:\"", std::u16string(u"\0:", 2)},
        {"\\x`@\"", u"x`@"},
    };
    for (const auto& c : cases) {
        auto read = unescapeText(c.input, 0, '"');
        ASSERT_TRUE(read) << c.input;
        EXPECT_EQ(read->text, c.text) << c.input;
        EXPECT_EQ(read->end, c.input.size());
    }
    EXPECT_FALSE(unescapeText("no end", 0, '"'));
    EXPECT_FALSE(unescapeText("ends in escape\\\"", 0, '"'));
}

// Lines captured from Wine 8.0, and hand-written lines with what Wine made of them.
TEST(WineValueLines, ParseAndWriteBackAsWine) {
    const struct {
        std::string line;
        std::uint32_t type;
        std::string data;
        std::string rewritten; // empty: the line itself
    } cases[] = {
        {"@=\"default val\"", kRegSz, sz(u"default val"), ""},
        {"\"aaa lower\"=\"\\x00e91 \\xe9z tab\\tx\"", kRegSz, sz(u"é1 éz tab\tx"), ""},
        {"\"Bank 00 Slot 00\"=\"C:\\\\\\x30ab\\x30fc\\x30c9\\\\A.MCD\"", kRegSz,
         sz(u"C:\\カード\\A.MCD"), ""},
        {"\"BBB upper\"=\"\"", kRegSz, bytes({0, 0}), ""},
        {"\"Bin\"=hex:01,02,ab,ff,00", kRegBinary, bytes({1, 2, 0xab, 0xff, 0}), ""},
        {"\"Dw\"=dword:12345678", kRegDword, bytes({0x78, 0x56, 0x34, 0x12}), ""},
        {"\"Exp\"=str(2):\"%WINDIR%\\\\x\"", kRegExpandSz, sz(u"%WINDIR%\\x"), ""},
        {"\"Multi\"=str(7):\"one\\0two\\0\"", kRegMultiSz,
         utf16le(std::u16string(u"one\0two\0\0", 9)), ""},
        {"\"Quote \\\"x\\\" \\\\back\"=\"say \\\"hi\\\" C:\\\\dir\\\\ end\\\\\"", kRegSz,
         sz(u"say \"hi\" C:\\dir\\ end\\"), ""},
        {"\"NoNulW\"=hex(1):70,00,71,00", kRegSz, bytes({0x70, 0, 0x71, 0}), ""},
        {"\"OddLen\"=hex(1):78,00,79,00,7a", kRegSz, bytes({0x78, 0, 0x79, 0, 0x7a}), ""},
        {"\"SjisPath\"=\"C:\\\\\\x30ab\\x30fc\\x30c9\\\\\\xff76\\xff70\\xff84\\xff9e.mcd\"", kRegSz,
         sz(u"C:\\カード\\ｶｰﾄﾞ.mcd"), ""},
        {"\"Q\"=hex(b):01,00,00,00,00,00,00,00", 0xb, bytes({1, 0, 0, 0, 0, 0, 0, 0}), ""},
        {"\"N\"=hex(0):", kRegNone, "", ""},
        // Hand-written forms Wine accepts and then writes its own way.
        {"\"KanaUtf8\"=\"ｶｰﾄﾞ\"", kRegSz, sz(u"ｶｰﾄﾞ"),
         "\"KanaUtf8\"=\"\\xff76\\xff70\\xff84\\xff9e\""},
        {"\"Raw\" = hex:00,ff,10,  20", kRegBinary, bytes({0, 0xff, 0x10, 0x20}),
         "\"Raw\"=hex:00,ff,10,20"},
        {"\"S\"=str:\"x\"", kRegSz, sz(u"x"), "\"S\"=\"x\""},
        {"\"Dx\"=dword:xyz", kRegDword, bytes({0, 0, 0, 0}), "\"Dx\"=dword:00000000"},
        {"\"Dbig\"=dword:1ffffffff", kRegDword, bytes({0xff, 0xff, 0xff, 0xff}),
         "\"Dbig\"=dword:ffffffff"},
        // Data Wine cannot parse destroy the value: an empty REG_NONE.
        {"\"BadHex\"=hex:zz,01", kRegNone, "", "\"BadHex\"=hex(0):"},
        {"\"BigByte\"=hex:100", kRegNone, "", "\"BigByte\"=hex(0):"},
        {"\"Open\"=\"no end", kRegNone, "", "\"Open\"=hex(0):"},
        {"\"Odd\"=str(5):\"x\"", kRegNone, "", "\"Odd\"=hex(0):"},
    };
    for (const auto& c : cases) {
        auto parsed = parseValue(c.line);
        ASSERT_TRUE(parsed) << c.line;
        EXPECT_EQ(parsed->value.type, c.type) << c.line;
        EXPECT_EQ(parsed->value.data, c.data) << c.line;
        const std::string expected = (c.rewritten.empty() ? c.line : c.rewritten) + "\n";
        EXPECT_EQ(formatValue(parsed->name, parsed->value.type, parsed->value.data, "\n"),
                  expected);
    }
    EXPECT_FALSE(parseValue("#time=1"));
    EXPECT_FALSE(parseValue("\"no equals\" \"x\""));
}

TEST(WineValueLines, HexWrapsAsWineDoes) {
    // 1,480 bytes, the size of a VGS controller record; Wine's own wrapping of this data.
    std::string big;
    for (int i = 0; i < 1480; ++i) {
        big += static_cast<char>((3 + 7 * i) & 0xFF);
    }
    const std::string lines = formatValue(u"Big", kRegBinary, big, "\n");
    EXPECT_TRUE(lines.starts_with(
        "\"Big\"=hex:03,0a,11,18,1f,26,2d,34,3b,42,49,50,57,5e,65,6c,73,7a,81,88,8f,96,9d,\\\n"
        "  a4,ab,b2,b9,c0,c7,ce,d5,dc,e3,ea,f1,f8,ff,06,0d,14,1b,22,29,30,37,3e,45,4c,\\\n"))
        << lines.substr(0, 200);
    std::size_t count = 0;
    for (std::size_t start = 0; start < lines.size();) {
        const std::size_t end = lines.find('\n', start);
        const std::string line = lines.substr(start, end - start);
        EXPECT_LE(line.size(), 80u) << line;
        if (count > 0 && end + 1 < lines.size()) {
            EXPECT_EQ(line.size(), 78u) << line;
        }
        ++count;
        start = end + 1;
    }
    EXPECT_EQ(count, 1 + (1480 - 23 + 24) / 25);
    // Wrapped or on one line, the bytes read back the same.
    auto wrapped = parseValue(lines);
    ASSERT_TRUE(wrapped);
    EXPECT_EQ(wrapped->value.data, big);
    std::string oneLine = lines;
    for (std::size_t at; (at = oneLine.find("\\\n  ")) != std::string::npos;) {
        oneLine.erase(at, 4);
    }
    auto single = parseValue(oneLine);
    ASSERT_TRUE(single);
    EXPECT_EQ(single->value.data, big);

    // Short values stay on one line; the name's length decides where the wrap falls.
    EXPECT_EQ(formatValue(u"", kRegBinary, "", "\n"), "@=hex:\n");
    EXPECT_EQ(formatValue(u"", kRegBinary, std::string(25, '\x11'), "\n").find('\\'),
              std::string("@=hex:").size() + 24 * 3);
}

// Every value line of a user.reg written by Wine reads back and writes out
// exactly as Wine wrote it.
TEST(WineValueLines, EveryValueOfTheRealFileRewritesIdentically) {
    const std::string file = testing::readBytes(TOBREL_FIXTURE_DIR "/wine/user.reg");
    ASSERT_FALSE(file.empty());
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < file.size();) {
        const std::size_t end = file.find('\n', start);
        lines.push_back(file.substr(start, end + 1 - start));
        start = end + 1;
    }
    int values = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i][0] != '"' && lines[i][0] != '@') {
            continue;
        }
        std::string value = lines[i];
        while (value.ends_with("\\\n")) {
            value += lines[++i];
        }
        auto parsed = parseValue(value);
        ASSERT_TRUE(parsed) << value;
        EXPECT_EQ(formatValue(parsed->name, parsed->value.type, parsed->value.data, "\n"), value);
        ++values;
    }
    EXPECT_GT(values, 400);
}

TEST(WineNames, CompareWithoutCaseInWinesOrder) {
    EXPECT_TRUE(namesEqual(u"Bank 00 Slot 00", u"BANK 00 slot 00"));
    EXPECT_TRUE(namesEqual(u"ＡＢＣÉ", u"ａｂｃé"));
    EXPECT_FALSE(namesEqual(u"Card0PathName", u"Card1PathName"));
    EXPECT_FALSE(namesEqual(u"ｶ", u"カ"));
    EXPECT_TRUE(namesEqual(u"ĀŁŽ", u"āłž"));
    EXPECT_FALSE(namesEqual(u"\u017f", u"\u0180")); // long s has no upper-case pair here
    // The order Wine wrote these in.
    const std::u16string order[] = {u"", u"aaa lower", u"Bank 00 Slot 00", u"BBB upper", u"Bin"};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        EXPECT_LT(compareNames(order[i], order[i + 1]), 0);
        EXPECT_GT(compareNames(order[i + 1], order[i]), 0);
    }
    EXPECT_LT(compareNames(u"ab", u"ABC"), 0);
}

constexpr std::string_view kHeader =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
    "\n"
    "#arch=win64\n";

TEST(WineRegistryText, HeaderDecidesWhetherTheFileIsWines) {
    EXPECT_TRUE(RegistryText(std::string(kHeader)).hasWineHeader());
    EXPECT_TRUE(RegistryText("WINE REGISTRY Version 2\r\n").hasWineHeader());
    EXPECT_TRUE(RegistryText::newUserFile().hasWineHeader());
    for (std::string foreign :
         {"\xEF\xBB\xBFWINE REGISTRY Version 2\n", "WINE REGISTRY Version 1\n", "REGEDIT4\n",
          " WINE REGISTRY Version 2\n", ""}) {
        EXPECT_FALSE(RegistryText(foreign).hasWineHeader()) << foreign;
    }
}

TEST(WineRegistryText, MergesKeysAndValuesThatDifferOnlyInCase) {
    RegistryText text(std::string(kHeader) + "\n[Software\\\\Edge Cases] 1700000000\n"
                                             "\"Dup\"=\"first\"\n"
                                             "\"DUP\"=\"second\"\n"
                                             "\n[software\\\\edge cases]\n"
                                             "\"dup\"=\"third\"\n"
                                             "\"Other\"=dword:00000001\n"
                                             "\n[Software\\\\Broken\n"
                                             "\"Stray\"=\"x\"\n");
    EXPECT_TRUE(text.keyExists(key("SOFTWARE\\EDGE CASES")));
    EXPECT_TRUE(text.keyExists(key("software")));
    EXPECT_TRUE(text.keyExists({}));
    EXPECT_FALSE(text.keyExists(key("Software\\Edge")));
    EXPECT_FALSE(text.keyExists(key("Software\\Edge Cases\\Sub")));
    auto dup = text.findValue(key("Software\\Edge Cases"), u"dUp");
    ASSERT_TRUE(dup);
    EXPECT_EQ(dup->data, sz(u"third"));
    EXPECT_FALSE(text.findValue(key("Software\\Broken"), u"Stray"));
    EXPECT_FALSE(text.findValue(key("Software\\Edge Cases"), u"Stray"));
}

TEST(WineRegistryText, ReplacingAValueTouchesOnlyItsLinesAndItsKeysTime) {
    const std::string before = std::string(kHeader) + "\n[Software\\\\A] 1700000000\n"
                                                      "#time=1da1747c66d0000\n"
                                                      "#class=\"keep me\"\n"
                                                      ";; a comment\n"
                                                      "\"Big\"=hex:01,02,\\\n"
                                                      "  03,04\n"
                                                      "\"Keep\"=\"x\"\n"
                                                      "\n[Software\\\\A] 1700000001\n"
                                                      "\"big\"=hex:05\n"
                                                      "\n[Software\\\\B] 1700000000\n"
                                                      "#link\n"
                                                      "\"Keep\"=\"y\"";
    RegistryText text(before);
    text.setValue(key("software\\a"), u"BIG", kRegSz, sz(u"v"), kTime);
    // The later definition is the live one; it keeps its spelling, and its
    // section (which had no #time) gets both time lines.
    const std::string after = std::string(kHeader) +
                              "\n[Software\\\\A] 1700000000\n"
                              "#time=1da1747c66d0000\n"
                              "#class=\"keep me\"\n"
                              ";; a comment\n"
                              "\"Big\"=hex:01,02,\\\n"
                              "  03,04\n"
                              "\"Keep\"=\"x\"\n"
                              "\n[Software\\\\A] 1800000000\n" +
                              kTimeLine + "\n\"big\"=\"v\"\n" +
                              "\n[Software\\\\B] 1700000000\n"
                              "#link\n"
                              "\"Keep\"=\"y\"";
    EXPECT_EQ(text.content(), after);

    // A multi-line value is replaced whole; the existing #time line is updated in place.
    RegistryText first(before);
    first.setValue(key("Software\\B"), u"Keep", kRegBinary, bytes({9}), kTime);
    EXPECT_TRUE(first.content().ends_with(
        "[Software\\\\B] 1800000000\n#time=" + kTimeLine.substr(6) + "\n#link\n\"Keep\"=hex:09"))
        << first.content();
}

TEST(WineRegistryText, NewValuesAndKeysGoWhereWineWouldWriteThem) {
    RegistryText text(std::string(kHeader) + "\n[Software\\\\Alpha] 1700000000\n"
                                             "#time=1da1747c66d0000\n"
                                             "\"a\"=\"1\"\n"
                                             "\"c\"=\"3\"\n"
                                             "\n[Software\\\\Zulu] 1700000000\n"
                                             "#time=1da1747c66d0000\n"
                                             "\"z\"=\"1\"\n");
    text.setValue(key("Software\\Alpha"), u"B", kRegSz, sz(u"2"), kTime);
    text.setValue(key("Software\\bleem\\bleem!\\1.0\\CARD"), u"Card0PathName", kRegSz, sz(u""),
                  kTime);
    text.setValue(key("Software\\Zz"), u"", kRegBinary, bytes({1}), kTime);
    text.createKey(key("Software\\Alpha"), kTime); // exists: no change
    text.createKey(key("Software\\Empty"), kTime);
    const std::string stamp = " 1800000000\n" + kTimeLine + "\n";
    EXPECT_EQ(text.content(), std::string(kHeader) + "\n[Software\\\\Alpha]" + stamp +
                                  "\"a\"=\"1\"\n"
                                  "\"B\"=\"2\"\n"
                                  "\"c\"=\"3\"\n"
                                  "\n[Software\\\\bleem\\\\bleem!\\\\1.0\\\\CARD]" +
                                  stamp +
                                  "\"Card0PathName\"=\"\"\n"
                                  "\n[Software\\\\Empty]" +
                                  stamp +
                                  "\n[Software\\\\Zulu] 1700000000\n"
                                  "#time=1da1747c66d0000\n"
                                  "\"z\"=\"1\"\n"
                                  "\n[Software\\\\Zz]" +
                                  stamp + "@=hex:01\n");
}

// A half-written or hand-edited file whose last hex line ends in "\": a line
// placed right after it would be read as its continuation.
struct DanglingCase {
    const char* name;
    const char* keyPath;
    const char16_t* valueName;
    bool written; // else refused with the document unchanged
};

TEST(WineRegistryText, WriteAfterADanglingContinuationReadsBackOrIsRefused) {
    const std::string file = std::string(kHeader) + "\n[Software\\\\A] 1700000000\n"
                                                    "\"a\"=\"1\"\n"
                                                    "\"m\"=hex:01,02,\\\n";
    const DanglingCase cases[] = {
        {"NewValueSortedAfterIt", "Software\\A", u"z", true},
        {"NewValueSortedBeforeIt", "Software\\A", u"b", true},
        {"ReplacedValueBeforeIt", "Software\\A", u"a", true},
        // The new key's lines would turn the broken value into a readable one.
        {"NewKeyAfterIt", "Software\\Z", u"v", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegistryText text(file);
        const auto before = text.findValue(key("Software\\A"), u"m");
        EXPECT_EQ(text.setValue(key(c.keyPath), c.valueName, kRegSz, sz(u"new"), kTime), c.written);
        const RegistryText reread(text.content());
        EXPECT_EQ(reread.findValue(key("Software\\A"), u"m"), before);
        if (c.written) {
            EXPECT_EQ(reread.findValue(key(c.keyPath), c.valueName),
                      (StoredValue{kRegSz, sz(u"new")}));
        } else {
            EXPECT_EQ(text.content(), file);
        }
    }
}

TEST(WineRegistryText, CrlfFilesStayCrlf) {
    const std::string before = "WINE REGISTRY Version 2\r\n"
                               ";; comment\r\n"
                               "\r\n[Software\\\\A] 1700000000\r\n"
                               "#time=1da1747c66d0000\r\n"
                               "\"Bin\"=hex:01,02,\\\r\n"
                               "  03\r\n"
                               "\"S\"=\"x\"\r\n";
    RegistryText text(before);
    auto bin = text.findValue(key("Software\\A"), u"bin");
    ASSERT_TRUE(bin);
    EXPECT_EQ(bin->data, bytes({1, 2, 3}));
    text.setValue(key("Software\\A"), u"S", kRegSz, sz(u"y"), kTime);
    text.setValue(key("Software\\B"), u"T", kRegDword, bytes({1, 0, 0, 0}), kTime);
    EXPECT_EQ(text.content(), "WINE REGISTRY Version 2\r\n"
                              ";; comment\r\n"
                              "\r\n[Software\\\\A] 1800000000\r\n" +
                                  kTimeLine +
                                  "\r\n\"Bin\"=hex:01,02,\\\r\n"
                                  "  03\r\n"
                                  "\"S\"=\"y\"\r\n"
                                  "\r\n[Software\\\\B] 1800000000\r\n" +
                                  kTimeLine + "\r\n\"T\"=dword:00000001\r\n");
}

TEST(WineRegistryText, KeyNamesWithEscapesAreMatchedAndKeptAsWritten) {
    RegistryText text(std::string(kHeader) +
                      "\n[Control Panel\\\\International\\\\\\xd83c\\xdf0e] 1796629280\n"
                      "\"v\"=\"1\"\n"
                      "\n[Odd\\\\\\[x\\]] 5\n"
                      "\"v\"=\"1\"\n");
    EXPECT_TRUE(text.keyExists(*splitKeyPath("control panel\\International\\\U0001F30E")));
    text.setValue(key("odd\\[X]"), u"v", kRegSz, sz(u"2"), kTime);
    EXPECT_NE(
        text.content().find("\n[Odd\\\\\\[x\\]] 1800000000\n" + kTimeLine + "\n\"v\"=\"2\"\n"),
        std::string::npos)
        << text.content();
}

} // namespace
} // namespace tobrel::platform::wine
