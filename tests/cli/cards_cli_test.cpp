#include "tests/support/card_images.h"
#include "tests/support/cli_run.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tobrel::testing {
namespace {

TEST(CliUsage, BadUsageExitsTwoWithUsageText) {
    for (const auto& args : std::vector<std::vector<std::string>>{{},
                                                                  {"frobnicate"},
                                                                  {"convert"},
                                                                  {"convert", "9", "x.MEM"},
                                                                  {"saves"},
                                                                  {"saves", "--bogus", "x"},
                                                                  {"saves", "x", "--icons"},
                                                                  {"check"},
                                                                  {"check", "--bogus", "x"}}) {
        auto result = runCli(args);
        EXPECT_EQ(result.status, 2) << result.out;
        EXPECT_NE(result.out.find("usage:"), std::string::npos);
    }
    EXPECT_EQ(runCli({"--help"}).status, 0);
}

TEST(CliConvert, ConvertsBesideTheSourceAndPrintsTheLog) {
    TempDir dir;
    writeBytes(dir.file("A.MEM"), makeVgsImage(makeCardBody()));
    writeBytes(dir.file("B.MEM"), makeVgsImage(makeCardBody()));
    auto result = runCli({"convert", "vgs-bleem", dir.file("A.MEM"), dir.file("B.MEM")});
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out, "VGS→bleem!\n" + dir.file("A.MEM") + "→" + dir.file("A.MCD") +
                              " 変換終了\n" + dir.file("B.MEM") + "→" + dir.file("B.MCD") +
                              " 変換終了\n");
    EXPECT_EQ(readBytes(dir.file("A.MCD")), makeCardBody());

    auto numeric = runCli({"convert", "3", dir.file("A.MCD")});
    EXPECT_EQ(numeric.status, 0);
    EXPECT_EQ(readBytes(dir.file("A.MCR")), makeCardBody());
}

TEST(CliConvert, AnyFailedFileGivesStatusOneButTheRestAreDone) {
    TempDir dir;
    writeBytes(dir.file("OK.MCD"), makeCardBody());
    auto result = runCli({"convert", "bleem-vgs", dir.file("MISSING.MCD"), dir.file("OK.MCD")});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find(dir.file("MISSING.MCD") + ": "), std::string::npos) << result.out;
    EXPECT_EQ(readBytes(dir.file("OK.MEM")), makeVgsImage(makeCardBody()));
}

TEST(CliSaves, ListsTitleTabBlockCount) {
    TempDir dir;
    std::string body = makeCardBody();
    addSave(body, 2, "\x83\x51\x81\x5B\x83\x80", 2);
    addSave(body, 6, "SECOND", 1);
    writeBytes(dir.file("S.MEM"), makeVgsImage(body));
    // The layout is known from the file without --vgs too.
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"saves", "--vgs", dir.file("S.MEM")}, {"saves", dir.file("S.MEM")}}) {
        auto vgs = runCli(args);
        EXPECT_EQ(vgs.status, 0);
        EXPECT_EQ(vgs.out, "ゲーム\t2\nSECOND\t1\n") << args.size();
    }
    auto missing = runCli({"saves", dir.file("none.MCD")});
    EXPECT_EQ(missing.status, 1);
}

TEST(CliCheck, OneLinePerFindingAndStatusOneUnlessEveryCardIsSound) {
    TempDir dir;
    std::string sound = makeFormattedCard();
    addChainedSave(sound, {1, 2}, "OK", 1);
    std::string bad = sound;
    bad[3 * 128 + 50] ^= 1;          // directory checksum of block 3
    setDirEntry(bad, 2, 0x53, 0, 1); // the last block links back to block 2
    writeBytes(dir.file("sound.MCD"), sound);
    writeBytes(dir.file("sound.MEM"), makeVgsImage(sound));
    writeBytes(dir.file("bad.MCD"), bad);
    writeBytes(dir.file("vgs.bin"), makeVgsImage(sound));
    writeBytes(dir.file("vgs.MCD"), makeVgsImage(sound));
    writeBytes(dir.file("bare.mem"), sound);

    const struct {
        std::vector<std::string> args;
        int status;
        std::string out;
    } cases[] = {
        {{"check", dir.file("sound.MCD")}, 0, ""},
        {{"check", "--vgs", dir.file("sound.MEM")}, 0, ""},
        {{"check", dir.file("sound.MCD"), dir.file("bad.MCD")},
         1,
         dir.file("bad.MCD") + "\t2\t終端ﾏｰｸ不正\n" + dir.file("bad.MCD") + "\t3\tﾁｪｯｸｻﾑ不一致\n"},
        // Without --vgs the file's content ("VgsM", 131,136 bytes) or its
        // extension (.MEM in any case) decides the layout.
        {{"check", dir.file("sound.MEM"), dir.file("vgs.bin")}, 0, ""},
        {{"check", "--vgs", dir.file("sound.MCD")},
         1,
         dir.file("sound.MCD") + "\t0\tﾌｧｲﾙｻｲｽﾞ不正(131072 ﾊﾞｲﾄ)\n" + dir.file("sound.MCD") +
             "\t0\tVGS署名(VgsM)なし\n" + dir.file("sound.MCD") + "\t0\tｶｰﾄﾞ署名(MC)なし\n"},
        {{"check", dir.file("bare.mem")},
         1,
         dir.file("bare.mem") + "\t0\tﾌｧｲﾙｻｲｽﾞ不正(131072 ﾊﾞｲﾄ)\n" + dir.file("bare.mem") +
             "\t0\tVGS署名(VgsM)なし\n" + dir.file("bare.mem") + "\t0\tｶｰﾄﾞ署名(MC)なし\n"},
        {{"check", dir.file("vgs.MCD")}, 0, ""},
    };
    for (const auto& c : cases) {
        const auto result = runCli(c.args);
        EXPECT_EQ(result.status, c.status) << result.out;
        EXPECT_EQ(result.out, c.out);
    }
    // An unreadable card is reported and fails the run; the others are still checked.
    const auto missing = runCli({"check", dir.file("none.MCD"), dir.file("bad.MCD")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out.rfind(dir.file("none.MCD") + ": ", 0), 0u) << missing.out;
    EXPECT_NE(missing.out.find("ﾁｪｯｸｻﾑ不一致"), std::string::npos);
}

} // namespace
} // namespace tobrel::testing
