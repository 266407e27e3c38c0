// tobrel-cli slots: printing and setting the memory-card slots.

#include "tests/support/card_images.h"
#include "tests/support/cli_run.h"
#include "tests/support/registry_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tobrel::testing {
namespace {

std::string registryEnv(const std::string& file) {
    return "TOBREL_REGISTRY=" + shellQuote(file);
}

TEST(CliSlots, PrintsFourLabelledSlots) {
    TempDir dir;
    const std::string env = registryEnv(dir.file("user.reg"));
    auto empty = runCli({"slots"}, env);
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "bleem! Slot1\t\nbleem! Slot2\t\nVGS Slot1\t\nVGS Slot2\t\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("user.reg")));

    writeBytes(dir.file("A.MCD"), makeCardBody());
    writeBytes(dir.file("B.MEM"), makeVgsImage(makeCardBody()));
    EXPECT_EQ(runCli({"slots", "set", "bleem", "2", dir.file("A.MCD")}, env).status, 0);
    auto set = runCli({"slots", "set", "vgs", "1", " " + dir.file("B.MEM") + " "}, env);
    EXPECT_EQ(set.status, 0) << set.out;
    EXPECT_EQ(set.out, "VGS Slot1\t" + dir.file("B.MEM") + "\n");
    auto listed = runCli({"slots"}, env);
    EXPECT_EQ(listed.out, "bleem! Slot1\t\nbleem! Slot2\t" + dir.file("A.MCD") + "\nVGS Slot1\t" +
                              dir.file("B.MEM") + "\nVGS Slot2\t\n");
    EXPECT_NE(readBytes(dir.file("user.reg")).find("\"Card1PathName\"=\"" + dir.file("A.MCD")),
              std::string::npos);

    // An empty path empties the slot.
    EXPECT_EQ(runCli({"slots", "set", "bleem", "2", ""}, env).status, 0);
    EXPECT_EQ(runCli({"slots"}, env).out.find(dir.file("A.MCD")), std::string::npos);
}

TEST(CliSlots, RejectedCardsExitOneAndChangeNothing) {
    TempDir dir;
    const std::string env = registryEnv(dir.file("user.reg"));
    writeBytes(dir.file("A.MCD"), makeCardBody());
    writeBytes(dir.file("LONG.MCD"), makeCardBody() + "x");
    ASSERT_EQ(runCli({"slots", "set", "vgs", "2", dir.file("B.MEM")}, env).status, 1);
    auto wrong = runCli({"slots", "set", "vgs", "2", dir.file("A.MCD")}, env);
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.out.find("VGSﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(131,136ﾊﾞｲﾄ)を指定して下さい。"), std::string::npos);
    auto longer = runCli({"slots", "set", "bleem", "1", dir.file("LONG.MCD")}, env);
    EXPECT_EQ(longer.status, 1);
    EXPECT_NE(longer.out.find("bleem!ﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(131,072ﾊﾞｲﾄ)を指定して下さい。"),
              std::string::npos);
    writeBytes(dir.file("wave\u301C.MCD"), makeCardBody());
    auto wave = runCli({"slots", "set", "bleem", "2", dir.file("wave\u301C.MCD")}, env);
    EXPECT_EQ(wave.status, 1);
    EXPECT_NE(wave.out.find("Shift-JIS"), std::string::npos) << wave.out;
    EXPECT_FALSE(std::filesystem::exists(dir.file("user.reg")));

    writeBytes(dir.file("user.reg"), "REGEDIT4\n");
    auto foreign = runCli({"slots", "set", "bleem", "1", dir.file("A.MCD")}, env);
    EXPECT_EQ(foreign.status, 1);
    EXPECT_NE(foreign.out.find("not a Wine registry file"), std::string::npos) << foreign.out;
    EXPECT_EQ(readBytes(dir.file("user.reg")), "REGEDIT4\n");
}

TEST(CliSlots, BadUsageExitsTwo) {
    TempDir dir;
    const std::string env = registryEnv(dir.file("user.reg"));
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"slots", "bogus"},
                                               {"slots", "set"},
                                               {"slots", "set", "bleem", "1"},
                                               {"slots", "set", "epsxe", "1", "x"},
                                               {"slots", "set", "vgs", "3", "x"},
                                               {"slots", "set", "vgs", "0", "x"},
                                               {"slots", "set", "vgs", "1", "x", "y"}}) {
        auto result = runCli(args, env);
        EXPECT_EQ(result.status, 2) << args.back();
        EXPECT_NE(result.out.find("usage:"), std::string::npos);
    }
}

TEST(CliSlots, WinePrefixSlotsHoldDriveLetterPaths) {
    TempDir dir;
    const std::string prefix = makeFakePrefix(dir.path() / "pfx");
    std::filesystem::create_directories(prefix + "/drive_c/Cards");
    writeBytes(prefix + "/drive_c/Cards/A.MCD", makeCardBody());
    const std::string env = registryEnv(prefix + "/user.reg") + " WINEPREFIX=" + shellQuote(prefix);

    auto fromUnix = runCli({"slots", "set", "bleem", "1", prefix + "/drive_c/Cards/A.MCD"}, env);
    EXPECT_EQ(fromUnix.status, 0) << fromUnix.out;
    EXPECT_EQ(fromUnix.out, "bleem! Slot1\tC:\\Cards\\A.MCD\n");
    auto fromWindows = runCli({"slots", "set", "bleem", "2", "c:\\cards\\a.mcd"}, env);
    EXPECT_EQ(fromWindows.status, 0) << fromWindows.out;
    EXPECT_EQ(runCli({"slots"}, env).out, "bleem! Slot1\tC:\\Cards\\A.MCD\nbleem! "
                                          "Slot2\tc:\\cards\\a.mcd\nVGS Slot1\t\nVGS Slot2\t\n");
    EXPECT_EQ(runCli({"slots", "set", "vgs", "1", "q:\\a.mem"}, env).status, 1);
}

} // namespace
} // namespace tobrel::testing
