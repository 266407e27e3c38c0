#include "codelist/codelist.h"
#include "platform/files.h"
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <stdexcept>
#include <unistd.h>

namespace tobrel::codelist {
namespace {

using namespace tobrel::testing;
namespace fs = std::filesystem;

// Lines joined with CR LF after each one, as the output is written.
std::string crlfLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

// Runs the extraction on content in a fresh folder and returns the output.
std::string extracted(const std::string& content, const YieldHook& yield = {},
                      std::chrono::nanoseconds interval = kDefaultYieldInterval) {
    TempDir dir;
    const auto source = dir.file("codelist.inf");
    writeBytes(source, content);
    const auto result = extractJapaneseSections(source, yield, interval);
    if (!result.ok) {
        throw std::runtime_error(result.error);
    }
    EXPECT_EQ(result.outputPath, dir.file("codelist_japan.inf"));
    EXPECT_EQ(listFolder(dir.path()),
              (std::vector<std::string>{"codelist.inf", "codelist_japan.inf"}));
    return readBytes(result.outputPath);
}

// Runs check once with each form of the byte search this processor has, and
// with the filter that visits every line (a yield after each), leaving the
// widest search chosen.
template <typename Check> void forEachFilterForm(Check check) {
    const std::pair<ScanWidth, const char*> widths[] = {
        {ScanWidth::Portable, "portable"}, {ScanWidth::Sse2, "SSE2"}, {ScanWidth::Avx2, "AVX2"}};
    for (const auto& [width, name] : widths) {
        if (useScanWidth(width)) {
            SCOPED_TRACE(name);
            check(YieldHook{}, std::chrono::nanoseconds(kDefaultYieldInterval));
        }
    }
    for (auto width : {ScanWidth::Avx2, ScanWidth::Sse2, ScanWidth::Portable}) {
        if (useScanWidth(width)) {
            break;
        }
    }
    SCOPED_TRACE("every line");
    check(YieldHook([] {}), std::chrono::nanoseconds(0));
}

// Compares long byte strings, reporting where they first differ rather than
// printing megabytes.
::testing::AssertionResult sameBytes(const std::string& actual, const std::string& expected) {
    if (actual == expected) {
        return ::testing::AssertionSuccess();
    }
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) {
        ++at;
    }
    auto around = [at](const std::string& text) {
        const std::size_t from = at < 20 ? 0 : at - 20;
        return ::testing::PrintToString(text.substr(from, 40));
    };
    return ::testing::AssertionFailure()
           << "sizes " << actual.size() << " and " << expected.size() << ", first difference at "
           << at << ": " << around(actual) << " instead of " << around(expected);
}

// An independent, slow statement of the rules: split into lines by hand, then
// keep what the two states allow.
std::string referenceFilter(const std::string& input) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < input.size(); ++i) {
        if (input[i] != '\r') {
            line += input[i];
            continue;
        }
        lines.push_back(line);
        line.clear();
        if (i + 1 < input.size() && input[i + 1] == '\n') {
            ++i;
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    auto japanese = [](const std::string& l) {
        return l.find("#SLPS-") != std::string::npos || l.find("#SCPS-") != std::string::npos ||
               l.find("#SLPM-") != std::string::npos;
    };
    std::vector<std::string> kept;
    bool inside = false;
    for (const auto& l : lines) {
        const bool header = !l.empty() && l[0] == '#';
        if (header) {
            inside = japanese(l);
        }
        if ((header && inside) || (!header && inside) ||
            (!header && ((!l.empty() && l[0] == ';') || l.find(".end") != std::string::npos))) {
            kept.push_back(l);
        }
    }
    return crlfLines(kept);
}

TEST(ExtractJapaneseSections, EveryRuleAtOnceLineByLine) {
    struct Row {
        const char* line;
        bool written;
    };
    const Row rows[] = {
        {";list", true}, {"#SLUS-00001 A", false}, {"code1", false},
        {";note", true}, {"#SLPS-00002 B", true},  {"code2", true},
        {".end", true},  {"#SCES-00003 C", false}, {"code3", false},
        {".end", true},
    };
    std::vector<std::string> input;
    std::vector<std::string> expected;
    for (const auto& row : rows) {
        input.push_back(row.line);
        if (row.written) {
            expected.push_back(row.line);
        }
    }
    forEachFilterForm([&](const YieldHook& yield, std::chrono::nanoseconds interval) {
        EXPECT_EQ(extracted(crlfLines(input), yield, interval), crlfLines(expected));
    });
}

struct EdgeCase {
    const char* name;
    std::string input;
    std::string output;
};

void PrintTo(const EdgeCase& c, std::ostream* out) {
    *out << c.name;
}

class ExtractEdgeCases : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(ExtractEdgeCases, WritesExactlyTheKeptLines) {
    const auto& c = GetParam();
    forEachFilterForm([&](const YieldHook& yield, std::chrono::nanoseconds interval) {
        EXPECT_EQ(extracted(c.input, yield, interval), c.output);
    });
    EXPECT_EQ(referenceFilter(c.input), c.output) << "the reference disagrees with the case";
}

const std::string kInvalidShiftJis =
    std::string("\x81\x7F\xA0\xFD\xFE\xFF\x80", 7) + std::string(1, '\0') + "\x82" + "\xE0";

INSTANTIATE_TEST_SUITE_P(
    Rules, ExtractEdgeCases,
    ::testing::Values(
        EdgeCase{"JapaneseAfterJapaneseKeepsBoth",
                 crlfLines({"#SLPS-00001 A", "a1", ".end", "#SLPM-00002 B", "b1", ".end",
                            "#SLUS-00003 C", "c1"}),
                 crlfLines({"#SLPS-00001 A", "a1", ".end", "#SLPM-00002 B", "b1", ".end"})},
        EdgeCase{"AllThreePrefixesAnywhereInTheHeader",
                 crlfLines({"#X #SCPS-1", "s", "#SLUS-2", "#SLPM-", "m", "#ab#SLPS-9", "p"}),
                 crlfLines({"#X #SCPS-1", "s", "#SLPM-", "m", "#ab#SLPS-9", "p"})},
        EdgeCase{"LetterCaseMatters",
                 crlfLines({"#slps-00001", "x", "#Slps-2", "y", "#SLPS-3", ".END", ".End",
                            "#SLPs-4", ".END"}),
                 crlfLines({"#SLPS-3", ".END", ".End"})},
        EdgeCase{"NearMissesAreNoJapaneseHeader",
                 crlfLines({"#SLPS00001", "a", "#SLP-1", "b", "#SCPM-1", "c", "#SLPS", "d",
                            "#SCES-1", "#SLUS-1 SLPS-", "e"}),
                 ""},
        EdgeCase{"MarkersOnlyCountInAHeader",
                 crlfLines({" #SLPS-1", "code #SLPM-2", "x", "#SLPS-3", " #SLUS-4", "kept"}),
                 crlfLines({"#SLPS-3", " #SLUS-4", "kept"})},
        EdgeCase{"CommentStartingWithAHeaderIsAComment", crlfLines({";#SLPS-1", "x", "; #SLUS-2"}),
                 crlfLines({";#SLPS-1", "; #SLUS-2"})},
        EdgeCase{"EndLineAnywhereOutside",
                 crlfLines({"#SLUS-1", "x.end", "a .endz", "en.d", ".en", "#SLPM-2", "c"}),
                 crlfLines({"x.end", "a .endz", "#SLPM-2", "c"})},
        EdgeCase{"BlankLinesDroppedOutsideCopiedInside",
                 crlfLines({"", "#SLUS-1", "", "#SLPS-2", "", "a", "", "#SCUS-3", "", ""}),
                 crlfLines({"#SLPS-2", "", "a", ""})},
        EdgeCase{"JapaneseHeaderAsLastLineWithTerminator", crlfLines({"#SLUS-1", "#SLPS-2"}),
                 crlfLines({"#SLPS-2"})},
        EdgeCase{"JapaneseHeaderAsLastLineWithoutTerminator", "#SLUS-1\r\n#SLPS-2",
                 crlfLines({"#SLPS-2"})},
        EdgeCase{"LastLineWithoutTerminatorGetsCrLf", "#SLPS-1\r\ncode",
                 crlfLines({"#SLPS-1", "code"})},
        EdgeCase{
            "NoJapaneseHeaderKeepsCommentsAndEnds",
            crlfLines({";head", "#SLUS-1", "a", ";c1", ".end", "#SCES-2", "b", ".end", ";tail"}),
            crlfLines({";head", ";c1", ".end", ".end", ";tail"})},
        EdgeCase{"LoneCrEndsALine", "#SLPS-1\ra\r\rb\r#SLUS-2\r;c\rd",
                 crlfLines({"#SLPS-1", "a", "", "b", ";c"})},
        EdgeCase{"BareLfIsAnOrdinaryCharacter",
                 "#SLUS-1\n#SLPS-2\r\na\r\n#SLUS-3\r\n;c\nx\r\nx\n;d\r\n\n\r\n",
                 crlfLines({"#SLUS-1\n#SLPS-2", "a", ";c\nx"})},
        EdgeCase{"BareLfInsideIsCopied", "#SLPS-1\r\na\nb\r\n\n\r\nc\n",
                 crlfLines({"#SLPS-1", "a\nb", "\n", "c\n"})},
        EdgeCase{"CrCrLfIsTwoLines", "#SLPS-1\r\r\na\r\n\r\r",
                 crlfLines({"#SLPS-1", "", "a", "", ""})},
        EdgeCase{"LfCrIsALineHoldingAnLf", "#SLPS-1\r\n\n\r", crlfLines({"#SLPS-1", "\n"})},
        EdgeCase{"EmptyFile", "", ""}, EdgeCase{"OnlyCrLf", "\r\n", ""},
        EdgeCase{"OnlyCrLfInside", "#SLPM-1\r\n\r\n", crlfLines({"#SLPM-1", ""})},
        EdgeCase{
            "InvalidShiftJisPassesUnchanged",
            "#SLPS-1 \x83Q\x81[\x83\x80\r\n" + kInvalidShiftJis + "\r\n;" + kInvalidShiftJis +
                "\r\n#SLUS-2\r\n" + kInvalidShiftJis + "\r\n",
            crlfLines({"#SLPS-1 \x83Q\x81[\x83\x80", kInvalidShiftJis, ";" + kInvalidShiftJis})},
        EdgeCase{"LeadByteBeforeTheMarkCharacters",
                 crlfLines({"\x82#SLPS-1", "\x81;x", "#SLPS-2\x82", "\x82"}),
                 crlfLines({"#SLPS-2\x82", "\x82"})}),
    [](const ::testing::TestParamInfo<EdgeCase>& info) { return std::string(info.param.name); });

TEST(ExtractJapaneseSections, TerminatorsSplitAcrossReadBlocks) {
    // A CR as the last byte of a read block, with or without the LF of its
    // terminator as the first byte of the next block.
    const std::string header = "#SLPS-1\r\n";
    for (const std::string& after : {std::string("\n;next\r\n"), std::string(";next\r\n"),
                                     std::string("\n"), std::string("\r\n"), std::string()}) {
        SCOPED_TRACE(::testing::PrintToString(after));
        std::string filler(kReadBlockSize - header.size() - 1, 'c');
        const std::string input = header + filler + "\r" + after;
        ASSERT_EQ(input[kReadBlockSize - 1], '\r');
        forEachFilterForm([&](const YieldHook& yield, std::chrono::nanoseconds interval) {
            EXPECT_TRUE(sameBytes(extracted(input, yield, interval), referenceFilter(input)));
        });
    }
    // An LF at the start of a block after one that did not end with a CR
    // stays an ordinary character of its line.
    std::string outside = "#SLUS-1\r\n" + std::string(kReadBlockSize - 9, 'x');
    const std::string input = outside + "\n;c\r\n";
    forEachFilterForm([&](const YieldHook& yield, std::chrono::nanoseconds interval) {
        EXPECT_TRUE(sameBytes(extracted(input, yield, interval), referenceFilter(input)));
    });
    EXPECT_EQ(referenceFilter(input), "");
}

TEST(ExtractJapaneseSections, LinesLongerThanTheReadBlock) {
    const std::string longCode(2 * kReadBlockSize + 123, 'L');
    // Decided only at their ends: a long header whose mark comes last, and
    // a long ordinary line outside whose ".end" comes last.
    const std::string lateHeader = "#" + std::string(kReadBlockSize + 5, 'h') + "#SCPS-1";
    const std::string lateEnd = std::string(3 * kReadBlockSize, 'e') + ".end";
    const std::string longSkipped = "#SLUS-1 " + std::string(kReadBlockSize, 's');
    const std::string input =
        crlfLines({lateHeader, longCode, "short", longSkipped, longCode, lateEnd, "#SLPM-2"}) +
        longCode;
    const std::string expected =
        crlfLines({lateHeader, longCode, "short", lateEnd, "#SLPM-2", longCode});
    forEachFilterForm([&](const YieldHook& yield, std::chrono::nanoseconds interval) {
        EXPECT_TRUE(sameBytes(extracted(input, yield, interval), expected));
    });
}

TEST(ExtractJapaneseSections, RandomListsAgreeWithTheReference) {
    // Several blocks of short lines drawn from the interesting pieces, so that
    // terminators and markers fall on every kind of block boundary.
    const std::vector<std::string> pieces = {
        "#SLPS-", "#SCPS-", "#SLPM-", "#SLUS-", "#slps-",   "#",
        ";",      ".end",   ".en",    "d",      "\r",       "\n",
        "\r\n",   "\r\n",   "\r\n",   "\x81",   "\x82\xA0", "80012345 0063"};
    std::mt19937 random(20240607);
    for (int round = 0; round < 3; ++round) {
        std::string input;
        while (input.size() < 2 * kReadBlockSize + 1000) {
            input += pieces[random() % pieces.size()];
        }
        SCOPED_TRACE(round);
        const std::string expected = referenceFilter(input);
        ASSERT_FALSE(expected.empty());
        forEachFilterForm([&](const YieldHook& yield, std::chrono::nanoseconds interval) {
            EXPECT_TRUE(sameBytes(extracted(input, yield, interval), expected));
        });
    }
}

TEST(ExtractJapaneseSections, ReplacesAnOldOutputAndKeepsItsPermissions) {
    TempDir dir;
    writeBytes(dir.file("list.inf"), crlfLines({"#SLPS-1", "a"}));
    writeBytes(dir.file("codelist_japan.inf"), std::string(5000, 'o'));
    fs::permissions(dir.path() / "codelist_japan.inf", fs::perms(0640));
    const auto result = extractJapaneseSections(dir.file("list.inf"));
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.failure, ExtractionFailure::None);
    EXPECT_EQ(readBytes(dir.file("codelist_japan.inf")), crlfLines({"#SLPS-1", "a"}));
    EXPECT_EQ(fs::status(dir.path() / "codelist_japan.inf").permissions() & fs::perms::all,
              fs::perms(0640));
    EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"codelist_japan.inf", "list.inf"}));
}

TEST(ExtractJapaneseSections, YieldRunsAfterEveryLineWhenTheIntervalIsZero) {
    TempDir dir;
    writeBytes(dir.file("list.inf"), "#SLPS-1\r\na\rb\n\r\n\r\nlast");
    int calls = 0;
    const auto result = extractJapaneseSections(
        dir.file("list.inf"), [&] { ++calls; }, std::chrono::milliseconds(0));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(calls, 5);
    // Without a hook, and with one that has not waited long enough, nothing runs.
    calls = 0;
    ASSERT_TRUE(extractJapaneseSections(
                    dir.file("list.inf"), [&] { ++calls; }, std::chrono::hours(1))
                    .ok);
    EXPECT_EQ(calls, 0);
}

TEST(ExtractJapaneseSections, YieldRunsBetweenBlocksOnceTheIntervalHasPassed) {
    TempDir dir;
    std::string input;
    while (input.size() < 4 * kReadBlockSize) {
        input += "#SLPS-00001 T\r\n80012345 0063\r\n";
    }
    writeBytes(dir.file("list.inf"), input);
    // Any block takes longer than a nanosecond: one run per block read
    // before the end (four whole blocks and the short rest), none per line.
    int calls = 0;
    const auto result = extractJapaneseSections(
        dir.file("list.inf"), [&] { ++calls; }, std::chrono::nanoseconds(1));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(calls, 5);
    EXPECT_TRUE(sameBytes(readBytes(result.outputPath), input));
}

TEST(ExtractJapaneseSections, AnotherExtractionFromInsideTheYieldHook) {
    // A window that processes events while it yields may start a second
    // extraction; each must keep its own buffers.
    TempDir dir;
    std::string outer;
    std::string inner;
    while (outer.size() < 2 * kReadBlockSize) {
        outer += "#SLPS-1 outer\r\n80012345 0063\r\n#SLUS-2\r\nx\r\n";
        inner += "#SCPS-3 inner\r\nFFFFFFFF 0000\r\n";
    }
    fs::create_directory(dir.path() / "a");
    fs::create_directory(dir.path() / "b");
    writeBytes(dir.file("a/list.inf"), outer);
    writeBytes(dir.file("b/list.inf"), inner);
    int nested = 0;
    const auto result = extractJapaneseSections(
        dir.file("a/list.inf"),
        [&] {
            if (nested++ == 0) {
                EXPECT_TRUE(extractJapaneseSections(dir.file("b/list.inf")).ok);
            }
        },
        std::chrono::nanoseconds(1));
    ASSERT_TRUE(result.ok);
    EXPECT_GT(nested, 0);
    EXPECT_TRUE(sameBytes(readBytes(dir.file("a/codelist_japan.inf")), referenceFilter(outer)));
    EXPECT_TRUE(sameBytes(readBytes(dir.file("b/codelist_japan.inf")), inner));
}

// Snapshot of every entry in a folder: a file's content, a link's target.
std::map<std::string, std::string> folderContents(const TempDir& dir) {
    std::map<std::string, std::string> contents;
    for (const auto& name : listFolder(dir.path())) {
        const auto path = dir.path() / name;
        if (fs::is_symlink(fs::symlink_status(path))) {
            contents[name] = "<link to " + fs::read_symlink(path).string() + ">";
        } else if (fs::is_directory(path)) {
            contents[name] = "<folder>";
        } else {
            contents[name] = readBytes(dir.file(name));
        }
    }
    return contents;
}

class ExtractFailures : public ::testing::Test {
protected:
    void SetUp() override {
        writeBytes(dir.file("list.inf"), crlfLines({"#SLPS-1", "new"}));
        writeBytes(dir.file("codelist_japan.inf"), "old output\r\n");
        before = folderContents(dir);
    }
    void expectFailure(const ExtractionResult& result, ExtractionFailure kind,
                       const std::string& messageStart) {
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.failure, kind);
        EXPECT_EQ(result.error.rfind(messageStart, 0), 0u) << result.error;
        EXPECT_EQ(folderContents(dir), before);
    }

    TempDir dir;
    std::map<std::string, std::string> before;
};

TEST_F(ExtractFailures, EmptyPath) {
    expectFailure(extractJapaneseSections(""), ExtractionFailure::EmptyPath,
                  "[pec]Codelistﾌｧｲﾙを指定して下さい。");
}

TEST_F(ExtractFailures, MissingInputLeavesTheOldOutput) {
    const auto result = extractJapaneseSections(dir.file("missing.inf"));
    expectFailure(result, ExtractionFailure::InputUnreadable,
                  "[pec]Codelistﾌｧｲﾙを読み込めません: ");
    EXPECT_NE(result.error.find(platform::describeError(ENOENT)), std::string::npos);
    EXPECT_EQ(result.outputPath, dir.file("codelist_japan.inf"));
}

TEST_F(ExtractFailures, FolderOrDeviceAsInput) {
    fs::create_directory(dir.path() / "folder.inf");
    before = folderContents(dir);
    const auto folder = extractJapaneseSections(dir.file("folder.inf"));
    expectFailure(folder, ExtractionFailure::InputUnreadable,
                  "[pec]Codelistﾌｧｲﾙを読み込めません: ");
    EXPECT_NE(folder.error.find(platform::describeError(EISDIR)), std::string::npos);
    fs::create_symlink("/dev/zero", dir.path() / "zero.inf");
    before = folderContents(dir);
    expectFailure(extractJapaneseSections(dir.file("zero.inf")), ExtractionFailure::InputUnreadable,
                  "[pec]Codelistﾌｧｲﾙを読み込めません: ");
}

TEST_F(ExtractFailures, TheOutputItselfAsInputIsRefused) {
    const std::string message = "codelist_japan.infは抽出結果のファイルです。";
    expectFailure(extractJapaneseSections(dir.file("codelist_japan.inf")),
                  ExtractionFailure::InputIsOutput, message);
    // The same name in other letter case names the same file on Windows.
    writeBytes(dir.file("CodeList_Japan.INF"), crlfLines({"#SLPS-1", "x"}));
    before = folderContents(dir);
    expectFailure(extractJapaneseSections(dir.file("CodeList_Japan.INF")),
                  ExtractionFailure::InputIsOutput, message);
    // Another name for the same file, by a symbolic or a hard link.
    fs::create_symlink("codelist_japan.inf", dir.path() / "link.inf");
    fs::create_hard_link(dir.path() / "codelist_japan.inf", dir.path() / "hard.inf");
    before = folderContents(dir);
    expectFailure(extractJapaneseSections(dir.file("link.inf")), ExtractionFailure::InputIsOutput,
                  message);
    expectFailure(extractJapaneseSections(dir.file("hard.inf")), ExtractionFailure::InputIsOutput,
                  message);
    // And when the output is a link to the list.
    fs::remove(dir.path() / "codelist_japan.inf");
    fs::create_symlink("list.inf", dir.path() / "codelist_japan.inf");
    before = folderContents(dir);
    expectFailure(extractJapaneseSections(dir.file("list.inf")), ExtractionFailure::InputIsOutput,
                  message);
}

TEST_F(ExtractFailures, FolderInTheOutputsPlace) {
    fs::remove(dir.path() / "codelist_japan.inf");
    fs::create_directory(dir.path() / "codelist_japan.inf");
    before = folderContents(dir);
    expectFailure(extractJapaneseSections(dir.file("list.inf")),
                  ExtractionFailure::OutputUnwritable, "codelist_japan.infを書き込めません: ");
}

TEST_F(ExtractFailures, FullDiskLeavesTheOldOutputWholeAndNoTemporaryFile) {
    std::string big = "#SLPM-1\r\n";
    while (big.size() < 3 * kReadBlockSize) {
        big += "80012345 0063 \x83Q\x81[\x83\x80\r\n";
    }
    writeBytes(dir.file("list.inf"), big);
    before = folderContents(dir);
    ExtractionResult result;
    {
        FileSizeLimit limit(kReadBlockSize + 100);
        result = extractJapaneseSections(dir.file("list.inf"));
    }
    expectFailure(result, ExtractionFailure::OutputUnwritable,
                  "codelist_japan.infを書き込めません: ");
    EXPECT_NE(result.error.find(platform::describeError(EFBIG)), std::string::npos);
}

TEST_F(ExtractFailures, ThrowingYieldLeavesTheOldOutputAndNoTemporaryFile) {
    EXPECT_THROW(extractJapaneseSections(
                     dir.file("list.inf"), [] { throw std::runtime_error("window closed"); },
                     std::chrono::milliseconds(0)),
                 std::runtime_error);
    EXPECT_EQ(folderContents(dir), before);
}

// Permission cases; run once more as an unprivileged user when the suite runs as root.
using ExtractReadOnlyFailures = ExtractFailures;

TEST_F(ExtractReadOnlyFailures, FolderKeepsTheOldOutput) {
    if (!permissionsAreEnforced()) {
        GTEST_SKIP() << "root ignores permissions";
    }
    fs::permissions(dir.path(), fs::perms::owner_write, fs::perm_options::remove);
    expectFailure(extractJapaneseSections(dir.file("list.inf")),
                  ExtractionFailure::OutputUnwritable, "codelist_japan.infを書き込めません: ");
}

TEST_F(ExtractReadOnlyFailures, OutputIsNotReplaced) {
    if (!permissionsAreEnforced()) {
        GTEST_SKIP() << "root ignores permissions";
    }
    fs::permissions(dir.path() / "codelist_japan.inf", fs::perms(0444));
    expectFailure(extractJapaneseSections(dir.file("list.inf")),
                  ExtractionFailure::OutputUnwritable, "codelist_japan.infを書き込めません: ");
}

TEST_F(ExtractReadOnlyFailures, UnreadableInputIsReportedAsSuch) {
    if (!permissionsAreEnforced()) {
        GTEST_SKIP() << "root ignores permissions";
    }
    fs::permissions(dir.path() / "list.inf", fs::perms::none);
    const auto result = extractJapaneseSections(dir.file("list.inf"));
    EXPECT_EQ(result.failure, ExtractionFailure::InputUnreadable);
    EXPECT_NE(result.error.find(platform::describeError(EACCES)), std::string::npos);
    fs::permissions(dir.path() / "list.inf", fs::perms::owner_read);
    EXPECT_EQ(folderContents(dir), before);
}

TEST(OutputPathFor, BesideTheInputInEitherPathForm) {
    const std::pair<const char*, const char*> cases[] = {
        {"/home/u/lists/pec.inf", "/home/u/lists/codelist_japan.inf"},
        {"C:\\GAME\\CODE.INF", "C:\\GAME\\codelist_japan.inf"},
        {"a\\b/c.inf", "a\\b/codelist_japan.inf"},
        {"a/b\\c.inf", "a/codelist_japan.inf"},
        {"/x/my\\list.inf", "/x/codelist_japan.inf"},
        {"my\\list.inf", "codelist_japan.inf"},
        {"d:/GAME\\CODE.INF", "d:/GAME\\codelist_japan.inf"},
        {"lists/", "lists/codelist_japan.inf"},
        {"/pec.inf", "/codelist_japan.inf"},
        {"pec.inf", "codelist_japan.inf"},
    };
    for (const auto& [input, output] : cases) {
        EXPECT_EQ(outputPathFor(input), output) << input;
    }
}

TEST(ExtractJapaneseSections, OutputThatIsALinkKeepsPointingAtTheRewrittenFile) {
    TempDir dir;
    writeBytes(dir.file("pec.inf"), crlfLines({";c", "#SLPS-1"}));
    fs::create_directory(dir.path() / "kept");
    writeBytes(dir.file("kept/japan.inf"), "old");
    fs::create_symlink("kept/japan.inf", dir.path() / "codelist_japan.inf");
    const auto result = extractJapaneseSections(dir.file("pec.inf"));
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(fs::is_symlink(dir.path() / "codelist_japan.inf"));
    EXPECT_EQ(readBytes(dir.file("kept/japan.inf")), crlfLines({";c", "#SLPS-1"}));
}

TEST(ExtractJapaneseSections, PathWithoutFolderWritesIntoTheCurrentFolder) {
    TempDir dir;
    writeBytes(dir.file("pec.inf"), crlfLines({";c", "#SLPS-1"}));
    const auto previous = fs::current_path();
    fs::current_path(dir.path());
    const auto result = extractJapaneseSections("pec.inf");
    fs::current_path(previous);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.outputPath, "codelist_japan.inf");
    EXPECT_EQ(readBytes(dir.file("codelist_japan.inf")), crlfLines({";c", "#SLPS-1"}));
}

} // namespace
} // namespace tobrel::codelist
