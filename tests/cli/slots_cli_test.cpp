// tobrel-cli slots: printing and setting the memory-card slots.

#include "emulator/card_slots.h"
#include "tests/support/card_images.h"
#include "tests/support/cli_run.h"
#include "tests/support/registry_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <optional>

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

// Every way slots set refuses: its exit status, its reason, and the registry
// file left byte for byte as it was.
TEST(CliSlots, EveryRefusalHasItsExitStatusAndWritesNothing) {
    TempDir dir;
    const std::string prefix = makeFakePrefix(dir.path() / "pfx");
    const std::string userReg = prefix + "/user.reg";
    const std::string cards = prefix + "/drive_c/";
    writeBytes(cards + "A.MCD", makeCardBody());
    writeBytes(cards + "LONG.MCD", makeCardBody() + "x");
    writeBytes(cards + "B.MEM", makeVgsImage(makeCardBody()));
    writeBytes(cards + "wave\u301C.MCD", makeCardBody());
    writeBytes(dir.file("OUT.MCD"), makeCardBody()); // outside every drive (no z:)
    const std::string env = registryEnv(userReg) + " WINEPREFIX=" + shellQuote(prefix);
    ASSERT_EQ(runCli({"slots", "set", "vgs", "1", cards + "B.MEM"}, env).status, 0);
    const std::string wineFile = readBytes(userReg);

    const std::string bleemCard = "bleem!ﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(131,072ﾊﾞｲﾄ)を指定して下さい。";
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string reason;
        std::string store = ""; // "foreign", "wineserver" or a plain Wine file
    } cases[] = {
        {"slot 0", {"slots", "set", "bleem", "0", cards + "A.MCD"}, 2, "usage:"},
        {"slot 3", {"slots", "set", "bleem", "3", cards + "A.MCD"}, 2, "usage:"},
        {"emulator", {"slots", "set", "epsxe", "1", cards + "A.MCD"}, 2, "usage:"},
        {"no path", {"slots", "set", "bleem", "1"}, 2, "usage:"},
        {"missing card", {"slots", "set", "bleem", "1", cards + "NONE.MCD"}, 1, bleemCard},
        {"wrong size", {"slots", "set", "bleem", "1", cards + "LONG.MCD"}, 1, bleemCard},
        {"wrong layout", {"slots", "set", "bleem", "1", cards + "B.MEM"}, 1, bleemCard},
        {"outside the drives",
         {"slots", "set", "bleem", "1", dir.file("OUT.MCD")},
         1,
         std::string(emulator::kPathOutsideDrives)},
        {"not Shift-JIS",
         {"slots", "set", "bleem", "1", cards + "wave\u301C.MCD"},
         1,
         std::string(emulator::kPathNotForEmulator)},
        {"no such drive", {"slots", "set", "bleem", "1", "q:\\A.MCD"}, 1, "no such drive"},
        {"wineserver",
         {"slots", "set", "bleem", "1", cards + "A.MCD"},
         1,
         "wineserver -k",
         "wineserver"},
        {"foreign file",
         {"slots", "set", "bleem", "1", cards + "A.MCD"},
         1,
         "not a Wine registry file",
         "foreign"},
    };
    for (const auto& c : cases) {
        const std::string before = c.store == "foreign" ? "REGEDIT4\n" : wineFile;
        writeBytes(userReg, before);
        std::optional<LockHolder> wineserver;
        const std::string lock = serverLockPath(prefix, "/tmp");
        if (c.store == "wineserver") {
            wineserver.emplace(lock);
            ASSERT_TRUE(wineserver->locked());
        }
        const auto result = runCli(c.args, env);
        if (wineserver) {
            wineserver->release();
        }
        std::filesystem::remove_all(lock.substr(0, lock.rfind('/')));
        EXPECT_EQ(result.status, c.status) << c.name << ": " << result.out;
        EXPECT_NE(result.out.find(c.reason), std::string::npos) << c.name << ": " << result.out;
        EXPECT_EQ(readBytes(userReg), before) << c.name;
    }
}

// An empty ~/.wine is no Wine prefix: Tobrel's own store takes the slot.
TEST(CliSlots, EmptyWineFolderIsNotAPrefix) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("home/.wine"));
    writeBytes(dir.file("A.MCD"), makeCardBody());
    const std::string env =
        "env -u TOBREL_REGISTRY -u WINEPREFIX HOME=" + shellQuote(dir.file("home")) +
        " XDG_CONFIG_HOME=" + shellQuote(dir.file("config"));
    const auto set = runCli({"slots", "set", "bleem", "1", dir.file("A.MCD")}, env);
    EXPECT_EQ(set.status, 0) << set.out;
    EXPECT_EQ(set.out, "bleem! Slot1\t" + dir.file("A.MCD") + "\n");
    EXPECT_NE(readBytes(dir.file("config/tobrel/user.reg")).find(dir.file("A.MCD")),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("home/.wine/user.reg")));
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
