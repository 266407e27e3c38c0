#include "cards/conversion.h"
#include "tests/support/card_images.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tobrel::cards {
namespace {

using namespace tobrel::testing;

const Direction& direction(int index) {
    return directions[static_cast<std::size_t>(index)];
}

ConversionResult convert(const std::string& path, int index) {
    return convertCardFile(path, direction(index).kind, direction(index).targetExtension);
}

TEST(ConversionDirections, TableMatchesTheSixButtons) {
    const char* captions[] = {"VGS→bleem!",         "VGS→PSEmuPro,ePSXe",
                              "bleem!→VGS",         "bleem!→PSEmuPro,ePSXe",
                              "PSEmuPro,ePSXe→VGS", "PSEmuPro,ePSXe→bleem!"};
    const char* filters[] = {"*.MEM", "*.MEM", "*.MCD", "*.MCD", "*.MCR", "*.MCR"};
    const char* extensions[] = {"MCD", "MCR", "MEM", "MCR", "MEM", "MCD"};
    const ConvKind kinds[] = {ConvKind::StripVgsHeader, ConvKind::StripVgsHeader,
                              ConvKind::AddVgsHeader,   ConvKind::CopyBody,
                              ConvKind::AddVgsHeader,   ConvKind::CopyBody};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(direction(i).caption, captions[i]);
        EXPECT_EQ(direction(i).sourceFilter, filters[i]);
        EXPECT_EQ(direction(i).targetExtension, extensions[i]);
        EXPECT_EQ(direction(i).kind, kinds[i]);
        EXPECT_EQ(directionFromName(std::to_string(i)), i);
        EXPECT_EQ(directionFromName(direction(i).cliName), i);
    }
    EXPECT_EQ(direction(4).noSelectionMessage,
              "PSEmuProﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(131,072ﾊﾞｲﾄ)を指定して下さい。");
    EXPECT_EQ(directionFromName("6"), -1);
    EXPECT_EQ(directionFromName("VGS-BLEEM"), -1);
}

TEST(ConvertCardFile, NamesPlainThenNumberedWithCapitalExtension) {
    TempDir dir;
    const auto source = dir.file("GAME.MEM");
    writeBytes(source, makeVgsImage(makeCardBody()));

    auto first = convert(source, 0);
    ASSERT_TRUE(first.ok) << first.error;
    EXPECT_EQ(first.outputPath, dir.file("GAME.MCD"));
    auto second = convert(source, 0);
    EXPECT_EQ(second.outputPath, dir.file("GAME_000.MCD"));
    auto third = convert(source, 0);
    EXPECT_EQ(third.outputPath, dir.file("GAME_001.MCD"));

    const auto lower = dir.file("game.mem");
    writeBytes(lower, makeVgsImage(makeCardBody()));
    EXPECT_EQ(convert(lower, 1).outputPath, dir.file("game.MCR"));
}

TEST(ConvertCardFile, NumberedSearchRestartsAtZeroAndSkipsTakenNumbers) {
    TempDir dir;
    const auto source = dir.file("A.MCD");
    writeBytes(source, makeCardBody());
    writeBytes(dir.file("A.MEM"), "old");
    writeBytes(dir.file("A_000.MEM"), "old");
    writeBytes(dir.file("A_002.MEM"), "old");
    EXPECT_EQ(convert(source, 2).outputPath, dir.file("A_001.MEM"));
    EXPECT_EQ(convert(source, 2).outputPath, dir.file("A_003.MEM"));
    // A folder or a dangling link at a candidate also counts as taken.
    std::filesystem::create_directory(dir.path() / "A_004.MEM");
    std::filesystem::create_symlink(dir.path() / "nowhere", dir.path() / "A_005.MEM");
    EXPECT_EQ(convert(source, 2).outputPath, dir.file("A_006.MEM"));
    EXPECT_EQ(readBytes(dir.file("A_002.MEM")), "old");
}

TEST(ConvertCardFile, AllThousandNumbersTakenWritesNothing) {
    TempDir dir;
    const auto source = dir.file("FULL.MCR");
    writeBytes(source, makeCardBody());
    writeBytes(dir.file("FULL.MCD"), "taken");
    for (int n = 0; n < 1000; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "FULL_%03d.MCD", n);
        writeBytes(dir.file(name), "taken");
    }
    auto result = convert(source, 5);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(listFolder(dir.path()).size(), 1002u);
    EXPECT_EQ(readBytes(dir.file("FULL_999.MCD")), "taken");
}

TEST(ConvertCardFile, LastNumberedNameIsUsedWhenOnlyItIsFree) {
    TempDir dir;
    const auto source = dir.file("LAST.MCR");
    writeBytes(source, makeCardBody());
    writeBytes(dir.file("LAST.MCD"), "taken");
    for (int n = 0; n < 999; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "last_%03d.mcd", n); // taken in any letter case
        writeBytes(dir.file(name), "taken");
    }
    auto result = convert(source, 5);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.outputPath, dir.file("LAST_999.MCD"));
    EXPECT_EQ(readBytes(result.outputPath), makeCardBody());
    EXPECT_EQ(readBytes(dir.file("last_998.mcd")), "taken");
}

TEST(ConvertCardFile, RoundTripsAreByteIdentical) {
    TempDir dir;
    const std::string body = makeCardBody();
    writeBytes(dir.file("B.MCD"), body);
    auto toPsEmu = convert(dir.file("B.MCD"), 3);
    ASSERT_TRUE(toPsEmu.ok);
    EXPECT_EQ(readBytes(toPsEmu.outputPath), body);
    std::filesystem::remove(dir.path() / "B.MCD");
    auto back = convert(toPsEmu.outputPath, 5);
    EXPECT_EQ(back.outputPath, dir.file("B.MCD"));
    EXPECT_EQ(readBytes(back.outputPath), body);

    auto toVgs = convert(toPsEmu.outputPath, 4);
    EXPECT_EQ(readBytes(toVgs.outputPath), makeVgsImage(body));
    std::filesystem::remove(dir.path() / "B.MCR");
    auto fromVgs = convert(toVgs.outputPath, 1);
    EXPECT_EQ(fromVgs.outputPath, dir.file("B.MCR"));
    EXPECT_EQ(readBytes(fromVgs.outputPath), body);
}

// Each job lists the folder afresh: a name removed since the last job is free,
// even when the folder's time stamp did not change (a removal within one tick
// of a coarse clock looks just like that).
TEST(ConversionJob, NameRemovedSinceTheLastJobIsFreeAgain) {
    TempDir dir;
    writeBytes(dir.file("B.MCR"), makeCardBody());
    writeBytes(dir.file("B.MCD"), "old");
    const std::vector<std::string> sources = {dir.file("B.MCR")};
    std::vector<std::string> lines;
    auto log = [&](const std::string& line) { lines.push_back(line); };
    runConversionJob(sources, direction(5), log);
    const auto stamp = std::filesystem::last_write_time(dir.path());
    std::filesystem::remove(dir.path() / "B.MCD");
    // As if the removal fell within the clock tick of the last output. Wine
    // cannot set a folder's time; the outcome must not depend on it anyway.
    std::error_code ignored;
    std::filesystem::last_write_time(dir.path(), stamp, ignored);
    runConversionJob(sources, direction(5), log);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], dir.file("B.MCR") + "→" + dir.file("B_000.MCD") + " 変換終了");
    EXPECT_EQ(lines[1], dir.file("B.MCR") + "→" + dir.file("B.MCD") + " 変換終了");
}

TEST(ConvertCardFile, ForeignVgsHeaderComesBackAsTheStandardOne) {
    TempDir dir;
    const std::string body = makeCardBody();
    std::string foreign = makeVgsImage(body);
    for (int i = 4; i < 64; ++i) {
        foreign[static_cast<std::size_t>(i)] = static_cast<char>(0xA0 + i);
    }
    writeBytes(dir.file("F.MEM"), foreign);
    auto bleem = convert(dir.file("F.MEM"), 0);
    EXPECT_EQ(readBytes(bleem.outputPath), body);
    auto vgs = convert(bleem.outputPath, 2);
    EXPECT_EQ(vgs.outputPath, dir.file("F_000.MEM"));
    EXPECT_EQ(readBytes(vgs.outputPath), makeVgsImage(body));
}

TEST(ConvertCardFile, TrailingPartialUnitIsDropped) {
    TempDir dir;
    struct Case {
        const char* name;
        std::size_t sourceSize;
        int directionIndex;
        std::size_t expectedSize;
    } cases[] = {
        {"S1.MEM", 127, 0, 0},   {"S2.MEM", 128, 0, 64}, {"S3.MEM", 200, 0, 128},
        {"S4.MEM", 0, 0, 0},     {"S5.MCD", 63, 2, 64},  {"S6.MCD", 65, 2, 128},
        {"S7.MCR", 130, 5, 128}, {"S8.MCR", 0, 4, 64},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string source(c.sourceSize, '\0');
        for (std::size_t i = 0; i < source.size(); ++i) {
            source[i] = static_cast<char>(i);
        }
        writeBytes(dir.file(c.name), source);
        auto result = convert(dir.file(c.name), c.directionIndex);
        ASSERT_TRUE(result.ok) << result.error;
        const std::string out = readBytes(result.outputPath);
        ASSERT_EQ(out.size(), c.expectedSize);
        const auto kind = direction(c.directionIndex).kind;
        if (kind == ConvKind::StripVgsHeader) {
            EXPECT_EQ(out, source.size() > 64 ? source.substr(64, c.expectedSize) : "");
        } else if (kind == ConvKind::AddVgsHeader) {
            EXPECT_EQ(out, vgsHeaderBytes() + source.substr(0, c.expectedSize - 64));
        } else {
            EXPECT_EQ(out, source.substr(0, c.expectedSize));
        }
    }
}

TEST(ConvertCardFile, LargeSourceIsCopiedWholeAcrossChunks) {
    TempDir dir;
    std::string big(3 * 65536 + 64 * 5 + 17, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>(i * 31);
    }
    writeBytes(dir.file("BIG.MEM"), big);
    auto result = convert(dir.file("BIG.MEM"), 0);
    const std::size_t expected = (big.size() - 64) / 64 * 64;
    EXPECT_EQ(readBytes(result.outputPath), big.substr(64, expected));
}

TEST(ConvertCardFile, UnreadableSourceCreatesNoOutput) {
    TempDir dir;
    auto missing = convert(dir.file("GONE.MEM"), 0);
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error.find("見つかりません"), std::string::npos) << missing.error;
    std::filesystem::create_directory(dir.path() / "DIR.MEM");
    EXPECT_FALSE(convert(dir.file("DIR.MEM"), 0).ok);
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"DIR.MEM"});
}

#ifndef _WIN32 // named pipes, devices and links as POSIX has them
// A listed card replaced before the conversion reaches it by something that
// is no card file: a named pipe must not hang the job, a device must not be
// read without end, and nothing is written for any of them.
TEST(ConvertCardFile, SourceReplacedByNoRegularFileWritesNothing) {
    const struct {
        const char* name;
        void (*replace)(const std::string& path);
    } cases[] = {
        {"named pipe", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
        {"device", [](const std::string& p) { std::filesystem::create_symlink("/dev/zero", p); }},
        {"dangling link",
         [](const std::string& p) { std::filesystem::create_symlink("gone.mem", p); }},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        TempDir dir;
        const std::string source = dir.file("CARD.MEM");
        writeBytes(source, makeVgsImage(makeCardBody()));
        std::filesystem::remove(source);
        item.replace(source);
        const auto result = convert(source, 0);
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.error.empty());
        EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"CARD.MEM"});
    }
}
#endif

TEST(ConvertCardFile, NameWithoutRoomForAnExtensionIsRefused) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "sub");
    writeBytes(dir.file("sub/ab"), makeCardBody());
    auto result = convert(dir.file("sub/ab"), 3);
    EXPECT_FALSE(result.ok);
    // Nothing may appear in the parent folder from cutting into the folder name.
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"sub"});
    EXPECT_EQ(listFolder(dir.path() / "sub"), std::vector<std::string>{"ab"});
}

TEST(ConvertCardFile, FourCharacterNameUsesTheRuleAndThreeIsRefused) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "sub");
    writeBytes(dir.file("sub/.MEM"), makeVgsImage(makeCardBody()));
    EXPECT_EQ(convert(dir.file("sub/.MEM"), 0).outputPath, dir.file("sub/.MCD"));
    EXPECT_EQ(convert(dir.file("sub/.MEM"), 0).outputPath, dir.file("sub/_000.MCD"));
    writeBytes(dir.file("sub/MEM"), makeVgsImage(makeCardBody()));
    EXPECT_FALSE(convert(dir.file("sub/MEM"), 0).ok); // "_000" would cut into "sub"
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"sub"});
}

struct TakenNamesCase {
    const char* name;
    std::vector<std::string> present;
    const char* expected;
};

class OutputNameIgnoresCase : public ::testing::TestWithParam<TakenNamesCase> {};

TEST_P(OutputNameIgnoresCase, AnyEntryMatchingWithoutRegardToCaseIsTaken) {
    TempDir dir;
    writeBytes(dir.file("GAME.MEM"), makeVgsImage(makeCardBody()));
    for (const auto& name : GetParam().present) {
        writeBytes(dir.file(name), "old");
    }
    auto result = convert(dir.file("GAME.MEM"), 0);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.outputPath, dir.file(GetParam().expected));
    for (const auto& name : GetParam().present) {
        EXPECT_EQ(readBytes(dir.file(name)), "old");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputNameIgnoresCase,
    ::testing::Values(TakenNamesCase{"PlainInSmallLetters", {"GAME.mcd"}, "GAME_000.MCD"},
                      TakenNamesCase{
                          "NumberedInMixedCase", {"game.MCD", "Game_000.Mcd"}, "GAME_001.MCD"},
                      TakenNamesCase{"LongerNameIsNoMatch", {"GAMES.mcd", "GAM.MCD"}, "GAME.MCD"}),
    [](const auto& info) { return info.param.name; });

TEST(ConvertCardFile, FullDiskLeavesNoPartialOutput) {
    TempDir dir;
    writeBytes(dir.file("D.MCD"), makeCardBody());
    ConversionResult result;
    {
        FileSizeLimit limit(100000); // less than one card
        result = convert(dir.file("D.MCD"), 2);
    }
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("書き込めません"), std::string::npos) << result.error;
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"D.MCD"});
}

TEST(ConvertCardFile, ReadOnlyFolderReportsAndWritesNothing) {
    if (!permissionsAreEnforced()) {
        GTEST_SKIP() << "root ignores file permissions; run again as an ordinary user";
    }
    TempDir dir;
    writeBytes(dir.file("R.MCD"), makeCardBody());
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0555));
    auto result = convert(dir.file("R.MCD"), 3);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("拒否"), std::string::npos) << result.error;
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"R.MCD"});
}

TEST(ConversionJob, FailingFileDoesNotStopTheJob) {
    TempDir dir;
    writeBytes(dir.file("ONE.MEM"), makeVgsImage(makeCardBody()));
    writeBytes(dir.file("THREE.MEM"), makeVgsImage(makeCardBody()));
    const std::vector<std::string> sources = {dir.file("ONE.MEM"), dir.file("TWO.MEM"),
                                              dir.file("THREE.MEM")};
    std::vector<std::string> lines;
    int failures = runConversionJob(sources, direction(0),
                                    [&](const std::string& line) { lines.push_back(line); });
    EXPECT_EQ(failures, 1);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], dir.file("ONE.MEM") + "→" + dir.file("ONE.MCD") + " 変換終了");
    EXPECT_EQ(lines[1].rfind(dir.file("TWO.MEM") + ": ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], dir.file("THREE.MEM") + "→" + dir.file("THREE.MCD") + " 変換終了");
}

} // namespace
} // namespace tobrel::cards
