#include "platform/files.h"
#include "platform/profile_file.h"
#include "tests/support/settings_file.h"
#include "tests/support/temp_dir.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tobrel::platform {
namespace {

using namespace std::string_literals;
using tobrel::testing::listFolder;
using tobrel::testing::readBytes;
using tobrel::testing::TempDir;
using tobrel::testing::writeBytes;

// ソ in code page 932: its trail byte is '\\'.
const std::string kSo = "\x83\x5C";

struct ReadCase {
    const char* name;
    std::string file;
    std::string section;
    std::string key;
    std::optional<std::string> expected;
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const ReadCase& c, std::ostream* out) {
    *out << c.name;
}

class ProfileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, FindsTheValueTheWindowsReaderFinds) {
    const auto& c = GetParam();
    EXPECT_EQ(ProfileDocument::parse(c.file).get(c.section, c.key), c.expected);
}

const std::optional<std::string> kMissing;

INSTANTIATE_TEST_SUITE_P(
    Semantics, ProfileRead,
    ::testing::Values(
        ReadCase{"PlainValue", "[FORM]\r\nPOSTOP=600\r\n", "FORM", "POSTOP", "600"},
        ReadCase{"SectionAndKeyIgnoreCase", "[form]\r\nPosTop=1\r\n", "FORM", "postop", "1"},
        // Both ends of the folded letters, and their neighbours, which stay apart.
        ReadCase{"FoldingReachesAAndZ", "[az]\r\nzA=1\r\n", "AZ", "Za", "1"},
        ReadCase{"AtSignIsNoUpperCaseBacktick", "[S]\r\n@=1\r\n", "S", "`", kMissing},
        ReadCase{"OpeningBracketIsNoUpperCaseBrace", "[S]\r\nk[=1\r\n", "S", "k{", kMissing},
        ReadCase{"SectionBracketIsNoUpperCaseBrace", "[s[]\r\nK=1\r\n", "S{", "K", kMissing},
        ReadCase{"BlanksInsideBracketsTrimmed", "[ Spaced Section ]\r\nk=v\r\n", "Spaced Section",
                 "k", "v"},
        ReadCase{"BlanksAndTabsAroundKeyAndValue", "[S]\r\n \tKEY \t=\t value  x \t \r\n", "S",
                 "KEY", "value  x"},
        ReadCase{"DoubleQuotesRemovedInsideKept", "[S]\r\nK=\"  inner  \"\r\n", "S", "K",
                 "  inner  "},
        ReadCase{"QuotesAfterTrimming", "[S]\r\nK=  \"q\"  \r\n", "S", "K", "q"},
        ReadCase{"SingleQuotesRemoved", "[S]\r\nK='x'\r\n", "S", "K", "x"},
        ReadCase{"EmptyQuotesGiveEmpty", "[S]\r\nK=\"\"\r\n", "S", "K", ""},
        ReadCase{"LoneQuoteKept", "[S]\r\nK=\"\r\n", "S", "K", "\""},
        ReadCase{"UnmatchedQuoteKept", "[S]\r\nK=\"open\r\n", "S", "K", "\"open"},
        ReadCase{"MixedQuotesKept", "[S]\r\nK=\"mixed'\r\n", "S", "K", "\"mixed'"},
        ReadCase{"InnerQuotesKept", "[S]\r\nK=a\"b\"c\r\n", "S", "K", "a\"b\"c"},
        ReadCase{"EmptyValueIsNotMissing", "[S]\r\nK=\r\n", "S", "K", ""},
        ReadCase{"CommentLineIgnored", "[S]\r\n;K=1\r\nK=2\r\n", "S", "K", "2"},
        ReadCase{"IndentedCommentIgnored", "[S]\r\n  ;K=1\r\nK=2\r\n", "S", "K", "2"},
        ReadCase{"SemicolonInsideValueKept", "[S]\r\nK=a;b\r\n", "S", "K", "a;b"},
        ReadCase{"LineWithoutEqualsOfAnotherKeyIgnored", "[S]\r\nX\r\nK=2\r\n", "S", "K", "2"},
        ReadCase{"LineWithoutEqualsHidesLaterLinesOfItsKey", "[S]\r\n k \r\nK=2\r\n", "S", "K",
                 kMissing},
        ReadCase{"LoneCrEndsALine", "[S]\rK=1\rL=2\r\n", "S", "L", "2"},
        ReadCase{"FirstDuplicateKeyWins", "[S]\r\nK=1\r\nk=2\r\n", "S", "K", "1"},
        ReadCase{"OnlyFirstDuplicateSectionSearched", "[S]\r\na=1\r\n[T]\r\n[s]\r\nb=2\r\n", "S",
                 "b", kMissing},
        ReadCase{"FirstDuplicateSectionWins", "[S]\r\na=1\r\n[T]\r\n[S]\r\na=2\r\n", "S", "a", "1"},
        ReadCase{"KeyOfAnotherSectionNotFound", "[S]\r\na=1\r\n[T]\r\nb=2\r\n", "S", "b", kMissing},
        ReadCase{"MissingSection", "[S]\r\na=1\r\n", "FORM", "a", kMissing},
        ReadCase{"MissingKey", "[S]\r\na=1\r\n", "S", "b", kMissing},
        ReadCase{"KeyBeforeAnySectionUnreachable", "a=1\r\n[S]\r\n", "S", "a", kMissing},
        ReadCase{"EmptyFile", "", "S", "a", kMissing},
        ReadCase{"LineFeedEndings", "[S]\na=1\nb=2\n", "S", "b", "2"},
        ReadCase{"NoFinalNewline", "[S]\r\nK=last", "S", "K", "last"},
        ReadCase{"CarriageReturnNotPartOfValue", "[S]\r\nK=v \r\n", "S", "K", "v"},
        ReadCase{"HeaderEndsAtLastBracket", "[a]b] ; note\r\nK=1\r\n", "a]b", "K", "1"},
        ReadCase{"BracketLineWithoutCloseIsAKey", "[S]\r\n[odd=1\r\nK=2\r\n", "S", "[odd", "1"},
        ReadCase{"BracketLineWithoutCloseKeepsSection", "[S]\r\n[odd=1\r\nK=2\r\n", "S", "K", "2"},
        ReadCase{"ShiftJisTrailBackslashValue", "[S]\r\nK=C:\\" + kSo + "\\x\r\n", "S", "K",
                 "C:\\" + kSo + "\\x"},
        // 83 5D is ゾ: its trail byte is no closing bracket.
        ReadCase{"TrailByteIsNoClosingBracket", "[S]\r\n[\x83\x5D\r\nK=1\r\n", "S", "K", "1"},
        ReadCase{"DoubleByteSectionName", "[\x83\x5D]\r\nK=1\r\n", "\x83\x5D", "K", "1"},
        // 83 41 is ア and 83 61 is ヂ: letter case folding must not touch trail bytes.
        ReadCase{"TrailBytesNotCaseFolded", "[S]\r\n\x83\x41=1\r\n", "S", "\x83\x61", kMissing},
        ReadCase{"DoubleByteKey", "[S]\r\n\x83\x41=1\r\n", "S", "\x83\x41", "1"},
        // 83 3D is no character: the '=' stays a delimiter.
        ReadCase{"LeadByteWithoutTrailDoesNotSwallowEquals", "[S]\r\nK\x83=1\r\n", "S", "K\x83",
                 "1"},
        ReadCase{"EmptyKeyNeverMatches", "[S]\r\n=1\r\n", "S", "", kMissing},
        // A NUL ends a name or value as it ends a C string; '=' and ']' after it still count.
        ReadCase{"NulEndsValue", "[S]\r\nK=ab \0cd\r\n"s, "S", "K", "ab"},
        ReadCase{"NulEndsQuotedValue", "[S]\r\nK='q'\0x'\r\n"s, "S", "K", "q"},
        ReadCase{"NulEndsSectionName", "[S\0T]\r\nK=1\r\n"s, "S", "K", "1"},
        ReadCase{"NulEndsKeyName", "[S]\r\nK\0X=1\r\n"s, "S", "K", "1"},
        ReadCase{"NameCutAtNulHidesLaterLines", "[S]\r\nK\0X\r\nK=2\r\n"s, "S", "K", kMissing},
        // A byte-order mark makes the file UTF-8: ソ (E3 82 BD) arrives as 83 5C.
        ReadCase{"Utf8FileConvertedToCodePage", "\xEF\xBB\xBF[S]\r\nK=\xE3\x82\xBD\r\n", "S", "K",
                 kSo}),
    [](const auto& info) { return std::string(info.param.name); });

struct WriteCase {
    const char* name;
    std::string before;
    std::string section;
    std::string key;
    std::string value;
    std::string after;
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const WriteCase& c, std::ostream* out) {
    *out << c.name;
}

class ProfileWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(ProfileWrite, ChangesOnlyWhatTheWriteNeeds) {
    const auto& c = GetParam();
    auto document = ProfileDocument::parse(c.before);
    ASSERT_TRUE(document.set(c.section, c.key, c.value));
    EXPECT_EQ(document.serialize(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Semantics, ProfileWrite,
    ::testing::Values(
        WriteCase{"NewFile", "", "FORM", "KEY", "value", "[FORM]\r\nKEY=value\r\n"},
        WriteCase{"UpdateKeepsKeySpelling", "[S]\r\nfirst = 1\r\n", "s", "FIRST", "one",
                  "[S]\r\nfirst=one\r\n"},
        WriteCase{"UpdateKeepsIndentedSpelling", "[S]\r\n  MixedCase\t=  1  \r\n", "S", "mixedcase",
                  "2", "[S]\r\nMixedCase=2\r\n"},
        WriteCase{"UpdateKeepsLineFeedOfThatLine", "[S]\r\nK=1\nL=2\r\n", "S", "K", "9",
                  "[S]\r\nK=9\nL=2\r\n"},
        WriteCase{"UpdateOfLastLineWithoutNewline", "[S]\r\nK=1", "S", "K", "2", "[S]\r\nK=2"},
        WriteCase{"LineWithoutEqualsGetsTheValue", "[S]\r\n k \r\nK=1\r\n", "S", "K", "2",
                  "[S]\r\nk=2\r\nK=1\r\n"},
        WriteCase{"LoneCrLineKeepsItsEnd", "[S]\rK=1\rL=2\r\n", "S", "K", "9", "[S]\rK=9\rL=2\r\n"},
        WriteCase{"SameValueLeavesLineAlone", "[S]\r\nfirst = 1 \r\n", "S", "FIRST", "1",
                  "[S]\r\nfirst = 1 \r\n"},
        WriteCase{"LeadingBlanksOfValueDropped", "", "S", "K", " \t padded  ",
                  "[S]\r\nK=padded  \r\n"},
        WriteCase{"EmptyValueWrittenAsKeyEquals", "[S]\r\nK=old\r\n", "S", "K", "",
                  "[S]\r\nK=\r\n"},
        WriteCase{"ValueEndsAtNul", "", "S", "K", "ab\0cd"s, "[S]\r\nK=ab\r\n"},
        // Lines holding a NUL keep every byte unless the write replaces them.
        WriteCase{"ValueAsReadBeforeNulKeepsTheLine", "[S\0T]\r\nK=ab\0cd\r\n"s, "S", "K", "ab",
                  "[S\0T]\r\nK=ab\0cd\r\n"s},
        WriteCase{"NewKeyBesideNulLines", "[S\0T]\r\nX=1\0\r\nY\0=2\r\n"s, "S", "Z", "3",
                  "[S\0T]\r\nX=1\0\r\nY\0=2\r\nZ=3\r\n"s},
        WriteCase{"UpdateReplacesOnlyItsLine", "[S]\r\nK\0x=ab\0cd\r\nL=y\0z\r\n"s, "S", "k", "n",
                  "[S]\r\nK=n\r\nL=y\0z\r\n"s},
        WriteCase{"QuotedValueStoredAsGiven", "", "S", "K", "\"q\"", "[S]\r\nK=\"q\"\r\n"},
        WriteCase{"ShiftJisValueStoredAsBytes", "", "S", "K", kSo, "[S]\r\nK=" + kSo + "\r\n"},
        WriteCase{"OnlyFirstDuplicateKeyUpdated", "[S]\r\nK=1\r\nK=2\r\n", "S", "k", "3",
                  "[S]\r\nK=3\r\nK=2\r\n"},
        WriteCase{"NewKeyGoesToFirstDuplicateSection", "[S]\r\na=1\r\n[T]\r\n[S]\r\nb=2\r\n", "S",
                  "b", "3", "[S]\r\na=1\r\nb=3\r\n[T]\r\n[S]\r\nb=2\r\n"},
        WriteCase{"NewKeyAfterLastKeyBeforeBlankAndComment",
                  "[A]\r\nx=1\r\n\r\n; about B\r\n[B]\r\ny=2\r\n", "A", "z", "3",
                  "[A]\r\nx=1\r\nz=3\r\n\r\n; about B\r\n[B]\r\ny=2\r\n"},
        WriteCase{"NewKeyInSectionWithoutKeys", "[A]\r\n; note\r\n[B]\r\n", "A", "z", "3",
                  "[A]\r\nz=3\r\n; note\r\n[B]\r\n"},
        WriteCase{"NewKeyAfterOddLineStaysBeforeIt", "[A]\r\nx=1\r\nodd line\r\n", "A", "z", "3",
                  "[A]\r\nx=1\r\nz=3\r\nodd line\r\n"},
        WriteCase{"NewSectionAtEnd", "[A]\r\nx=1\r\n\r\n", "B", "k", "v",
                  "[A]\r\nx=1\r\n\r\n[B]\r\nk=v\r\n"},
        WriteCase{"NewKeyAfterLastLineWithoutNewline", "[A]\r\nx=1", "A", "y", "2",
                  "[A]\r\nx=1\r\ny=2\r\n"},
        WriteCase{"NewSectionAfterLastLineWithoutNewline", "[A]\r\nx=1", "B", "k", "v",
                  "[A]\r\nx=1\r\n[B]\r\nk=v\r\n"},
        // A blank first line decides too.
        WriteCase{"BlankFirstLineDecidesLineFeed", "\n[A]\r\nx=1\r\n", "A", "y", "2",
                  "\n[A]\r\nx=1\r\ny=2\n"},
        WriteCase{"BlankFirstLineDecidesCrLf", "\r\n[A]\nx=1", "B", "k", "v",
                  "\r\n[A]\nx=1\r\n[B]\r\nk=v\r\n"},
        WriteCase{"LineFeedFileGetsLineFeedLines", "[A]\nx=1\n", "A", "y", "2", "[A]\nx=1\ny=2\n"},
        WriteCase{"LineFeedFileGetsLineFeedSection", "[A]\nx=1", "B", "k", "v",
                  "[A]\nx=1\n[B]\nk=v\n"},
        WriteCase{"NamesTrimmed", "", " S ", " K ", "v", "[S]\r\nK=v\r\n"},
        WriteCase{"Utf8FileStoresUtf8", "\xEF\xBB\xBF[S]\r\n", "S", "K", kSo,
                  "\xEF\xBB\xBF[S]\r\nK=\xE3\x82\xBD\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileWrite, UpdatedValueReadsBack) {
    auto document = ProfileDocument::parse("[S]\r\nK=1\r\n");
    ASSERT_TRUE(document.set("S", "K", "  padded  "));
    EXPECT_EQ(document.get("S", "K"), "padded");
    ASSERT_TRUE(document.set("S", "K", "\"  kept  \""));
    EXPECT_EQ(document.get("S", "K"), "  kept  ");
}

struct RefusedCase {
    const char* name;
    std::string section;
    std::string key;
    std::string value;
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const RefusedCase& c, std::ostream* out) {
    *out << c.name;
}

class ProfileRefusedWrite : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(ProfileRefusedWrite, LeavesTheDocumentUnchanged) {
    const auto& c = GetParam();
    const std::string before = "[S]\r\nK=1\r\n; end";
    auto document = ProfileDocument::parse(before);
    EXPECT_FALSE(document.set(c.section, c.key, c.value));
    EXPECT_EQ(document.serialize(), before);
}

INSTANTIATE_TEST_SUITE_P(NamesAndValuesThatCannotReadBack, ProfileRefusedWrite,
                         ::testing::Values(RefusedCase{"EmptyKey", "S", "", "v"},
                                           RefusedCase{"BlankKey", "S", " \t", "v"},
                                           RefusedCase{"EmptySection", "", "K", "v"},
                                           RefusedCase{"KeyWithEquals", "S", "A=B", "v"},
                                           RefusedCase{"KeyStartingComment", "S", ";K", "v"},
                                           RefusedCase{"KeyStartingBracket", "S", "[K", "v"},
                                           RefusedCase{"SectionEndingInLoneLeadByte", "S\x83", "K",
                                                       "v"},
                                           RefusedCase{"LineFeedInValue", "S", "K", "a\nL=2"},
                                           RefusedCase{"CarriageReturnInValue", "S", "K", "a\rb"},
                                           RefusedCase{"LineFeedInSection", "S\n[T", "K", "v"},
                                           RefusedCase{"LineFeedInKey", "S", "K\nL", "v"},
                                           RefusedCase{"NulInKey", "S", "K\0L"s, "v"},
                                           RefusedCase{"NulInSection", "S\0T"s, "K", "v"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A file as a user might have edited it: comments, blank lines, odd lines,
// another program's section, keys in other letter cases, mixed line ends,
// trailing blanks and no final newline.
const std::string kEditedFile = "; Tobrel settings\r\n"
                                "\r\n"
                                "[Other]\r\n"
                                "postop=keep me\r\n"
                                "\r\n"
                                "[ form ]   ; the program's section\r\n"
                                "  lastdir = C:\\" +
                                kSo +
                                "\\CARDS  \r\n"
                                "PosTop=600\n"
                                "this line has no equals sign\r\n"
                                "UNKNOWN=kept as is \t\r\n"
                                "\r\n"
                                "; the next section belongs to someone else\r\n"
                                "[Tail]\r\n"
                                "x=1";

TEST(ProfileWrite, UntouchedLinesStayByteIdentical) {
    auto document = ProfileDocument::parse(kEditedFile);
    ASSERT_TRUE(document.set("FORM", "LASTDIR", "D:\\EMU"));
    ASSERT_TRUE(document.set("FORM", "POSTOP", "-150"));
    ASSERT_TRUE(document.set("FORM", "WAKU", "0"));
    ASSERT_TRUE(document.set("NEW", "K", ""));
    EXPECT_EQ(document.serialize(), "; Tobrel settings\r\n"
                                    "\r\n"
                                    "[Other]\r\n"
                                    "postop=keep me\r\n"
                                    "\r\n"
                                    "[ form ]   ; the program's section\r\n"
                                    "lastdir=D:\\EMU\r\n"
                                    "PosTop=-150\n"
                                    "this line has no equals sign\r\n"
                                    "UNKNOWN=kept as is \t\r\n"
                                    "WAKU=0\r\n"
                                    "\r\n"
                                    "; the next section belongs to someone else\r\n"
                                    "[Tail]\r\n"
                                    "x=1\r\n"
                                    "[NEW]\r\n"
                                    "K=\r\n");
}

TEST(ProfileDocument, ParseThenSerializeIsIdentity) {
    for (const std::string& bytes :
         {kEditedFile, std::string(), "\r\n\r\n"s, "\n"s, "no newline"s, "\r"s, "a\r\r\nb\n\r"s,
          "\xEF\xBB\xBF[S]\r\n"s, "\0binary\xFF\r\n"s}) {
        EXPECT_EQ(ProfileDocument::parse(bytes).serialize(), bytes);
    }
}

// Reading through a file, with the receive buffer of the settings reader.
class ProfileFile : public tobrel::testing::SettingsFileTest {
protected:
    std::string read(std::string_view key, std::size_t bufferSize = 250) {
        return readProfileString(path, "FORM", key, "Error", bufferSize);
    }
};

TEST_F(ProfileFile, LongValuesArriveCutToBufferSizeLessOne) {
    const std::string value(300, 'v');
    writeBytes(path, "[FORM]\r\nA=" + value.substr(0, 249) + "\r\nB=" + value.substr(0, 250) +
                         "\r\nC=" + value + "\r\nD=" + value.substr(0, 248) + "\r\n");
    EXPECT_EQ(read("A"), value.substr(0, 249));
    EXPECT_EQ(read("B"), value.substr(0, 249));
    EXPECT_EQ(read("C"), value.substr(0, 249));
    EXPECT_EQ(read("D"), value.substr(0, 248));
    EXPECT_EQ(read("C", 10), value.substr(0, 9));
    EXPECT_EQ(read("C", 1), "");
    EXPECT_EQ(read("C", 0), "");
}

TEST_F(ProfileFile, CutInsideDoubleByteCharacterKeepsOnlyItsLeadByte) {
    // 248 ASCII bytes, then ソ: the 249th byte is its lead byte.
    const std::string value = std::string(248, 'a') + kSo + "b";
    writeBytes(path, "[FORM]\r\nK=" + value + "\r\n");
    const std::string got = read("K");
    ASSERT_EQ(got.size(), 249u);
    EXPECT_EQ(got, std::string(248, 'a') + "\x83");
}

TEST_F(ProfileFile, CutOfQuotedValueCountsTheUnquotedText) {
    const std::string inner(249, 'q');
    writeBytes(path, "[FORM]\r\nK=\"" + inner + "\"\r\nL=\"" + inner.substr(0, 248) + "\"\r\n");
    EXPECT_EQ(read("K"), inner);
    EXPECT_EQ(read("L"), inner.substr(0, 248));
}

TEST_F(ProfileFile, DefaultTextForMissingOrUnreadableFile) {
    EXPECT_EQ(read("K"), "Error");
    EXPECT_EQ(read("K", 3), "Er");
    std::filesystem::create_directory(toFsPath(path));
    EXPECT_EQ(read("K"), "Error");
}

TEST_F(ProfileFile, DefaultTextOnlyForMissingEntries) {
    writeBytes(path, "[FORM]\r\nEMPTY=\r\nWORD=Error\r\n");
    EXPECT_EQ(read("EMPTY"), "");
    EXPECT_EQ(read("WORD"), "Error");
    EXPECT_EQ(read("NONE"), "Error");
    EXPECT_EQ(readProfileString(path, "OTHER", "EMPTY", "dflt", 250), "dflt");
}

TEST_F(ProfileFile, WriteCreatesFileInWindowsLayout) {
    ASSERT_TRUE(writeProfileString(path, "FORM", "LASTDIR", "C:\\" + kSo));
    ASSERT_TRUE(writeProfileString(path, "FORM", "POSTOP", "600"));
    EXPECT_EQ(readBytes(path), "[FORM]\r\nLASTDIR=C:\\" + kSo + "\r\nPOSTOP=600\r\n");
    EXPECT_EQ(read("lastdir"), "C:\\" + kSo);
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"TOBREL.INI"});
}

TEST_F(ProfileFile, UnchangedValueDoesNotRewriteTheFile) {
    writeBytes(path, "[FORM]\r\nK = v\r\n");
    const auto before = std::filesystem::last_write_time(toFsPath(path));
    std::filesystem::last_write_time(toFsPath(path), before - std::chrono::hours(1));
    ASSERT_TRUE(writeProfileString(path, "FORM", "K", "v"));
    EXPECT_EQ(std::filesystem::last_write_time(toFsPath(path)), before - std::chrono::hours(1));
    EXPECT_EQ(readBytes(path), "[FORM]\r\nK = v\r\n");
}

TEST_F(ProfileFile, MissingDirectoryFails) {
    const std::string missing = dir.file("no-such-folder/TOBREL.INI");
    EXPECT_FALSE(writeProfileString(missing, "FORM", "K", "v"));
    EXPECT_TRUE(listFolder(dir.path()).empty());
    EXPECT_FALSE(writeProfileString("", "FORM", "K", "v"));
}

TEST_F(ProfileFile, FullDiskLeavesTheOldFileWhole) {
    const std::string old = "[FORM]\r\nLASTDIR=C:\\OLD\r\n";
    writeBytes(path, old);
    {
        tobrel::testing::FileSizeLimit limit(old.size());
        EXPECT_FALSE(writeProfileString(path, "FORM", "LASTDIR", std::string(4096, 'x')));
    }
    EXPECT_EQ(readBytes(path), old);
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"TOBREL.INI"});
}

TEST_F(ProfileFile, SymbolicLinkKeepsPointingAtTheRewrittenFile) {
    std::filesystem::create_directory(dir.path() / "real");
    writeBytes(dir.file("real/TOBREL.INI"), "[FORM]\r\nK=old\r\n");
    std::filesystem::create_symlink("real/TOBREL.INI", toFsPath(path));
    ASSERT_TRUE(writeProfileString(path, "FORM", "K", "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(toFsPath(path)));
    EXPECT_EQ(readBytes(dir.file("real/TOBREL.INI")), "[FORM]\r\nK=new\r\n");
}

TEST_F(ProfileFile, ReadOnlyFolderFailsAndKeepsTheFile) {
    TOBREL_SKIP_WITHOUT_ENFORCED_PERMISSIONS();
    writeBytes(path, "[FORM]\r\nK=old\r\n");
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0555));
    EXPECT_FALSE(writeProfileString(path, "FORM", "K", "new"));
    ProfileWriteBatch batch(path);
    EXPECT_TRUE(batch.set("FORM", "K", "new"));
    EXPECT_FALSE(batch.commit());
    EXPECT_EQ(readBytes(path), "[FORM]\r\nK=old\r\n");
    EXPECT_EQ(readProfileString(path, "FORM", "K", "Error", 250), "old");
}

TEST_F(ProfileFile, ReadOnlyUnreadableFileIsNeverReplaced) {
    TOBREL_SKIP_WITHOUT_ENFORCED_PERMISSIONS();
    writeBytes(path, "[FORM]\r\nK=secret\r\n");
    std::filesystem::permissions(toFsPath(path), std::filesystem::perms::none);
    EXPECT_EQ(read("K"), "Error");
    EXPECT_FALSE(writeProfileString(path, "FORM", "K", "new"));
    std::filesystem::permissions(toFsPath(path), std::filesystem::perms(0600));
    EXPECT_EQ(readBytes(path), "[FORM]\r\nK=secret\r\n");
}

// The unload step's writes, in its order, with some keys refused or unchanged.
const std::vector<std::pair<std::string, std::string>> kUnloadWrites = {
    {"LASTDIR", "C:\\EMU\\" + kSo},
    {"POSTOP", "600"},
    {"POSLEFT", "-90"},
    {"CONVTYPE", "2"},
    {"LASTTAB", "0"},
    {"CTRLTAB", "1"},
    {"LAUNCHPATH0", "C:\\VGS.EXE"},
    {"LAUNCHPATH1", ""},
    {"LAUNCHPATH2", "bad\npath"},
    {"LAUNCHPATH3", ""},
    {"LAUNCHPATH4", "  x "},
    {"LAUNCHPATH5", ""},
    {"ICONPATH", ""},
    {"CODEPATH", ""},
    {"WAKU", "0"}};

TEST_F(ProfileFile, BatchEqualsSingleWrites) {
    const std::vector<std::optional<std::string>> starts = {
        std::nullopt,
        std::string(""),
        kEditedFile,
        std::string("[FORM]\nWAKU=2\nlastdir=old"),
        std::string("[Other]\r\nPOSTOP=1\r\n"),
        std::string("[FORM]\r\nPOSTOP=600\r\n"),
    };
    for (const auto& start : starts) {
        const std::string single = dir.file("single.INI");
        const std::string batched = dir.file("batch.INI");
        std::filesystem::remove(toFsPath(single));
        std::filesystem::remove(toFsPath(batched));
        if (start) {
            writeBytes(single, *start);
            writeBytes(batched, *start);
        }
        ProfileWriteBatch batch(batched);
        for (const auto& [key, value] : kUnloadWrites) {
            const bool singleResult = writeProfileString(single, "FORM", key, value);
            EXPECT_EQ(batch.set("FORM", key, value), singleResult) << key;
        }
        ASSERT_TRUE(batch.commit());
        EXPECT_EQ(readBytes(batched), readBytes(single)) << start.value_or("(no file)");
        EXPECT_TRUE(batch.commit()) << "a second commit has nothing to do";
    }
}

TEST_F(ProfileFile, BatchWithoutChangesCreatesNoFile) {
    ProfileWriteBatch batch(path);
    EXPECT_TRUE(batch.commit());
    EXPECT_TRUE(listFolder(dir.path()).empty());
}

} // namespace
} // namespace tobrel::platform
