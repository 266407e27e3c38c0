// tobrel-cli slots --found / --emulator: today's emulators' card slots.

#include "tests/support/card_images.h"
#include "tests/support/cli_run.h"
#include "tests/support/registry_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tobrel::testing {
namespace {

namespace fs = std::filesystem;

void put(const std::string& path, std::string_view content) {
    fs::create_directories(fs::path(path).parent_path());
    writeBytes(path, content);
}

class CliModernSlots : public ::testing::Test {
protected:
    void SetUp() override {
        put(home_ + "/.pcsxr/pcsxr.cfg", "Bios = scph1001.bin\nMcd1 = /a.mcd\nMcd2 = /b.mcd\n");
        put(dir_.file("ｶｰﾄﾞ.mcr"), makeFormattedCard());
        put(dir_.file("card.mem"), makeVgsImage(makeFormattedCard()));
    }
    CliResult run(const std::vector<std::string>& args) const {
        return runCli(args, "HOME=" + shellQuote(home_) +
                                " WINEPREFIX=" + shellQuote(dir_.file("none")) +
                                " XDG_CONFIG_HOME= TOBREL_REGISTRY=");
    }
    TempDir dir_;
    std::string home_ = dir_.file("home");
};

TEST_F(CliModernSlots, ListsShowsSetsAndSwaps) {
    EXPECT_EQ(run({"slots", "--found"}).out, "pcsxr\tlinux\t" + home_ + "/.pcsxr/pcsxr.cfg\n");
    EXPECT_EQ(run({"slots", "--emulator", "pcsxr"}).out,
              "PCSX-R Slot1\t/a.mcd\nPCSX-R Slot2\t/b.mcd\n");

    const auto set = run({"slots", "set", "--emulator", "pcsxr", "2", dir_.file("ｶｰﾄﾞ.mcr")});
    EXPECT_EQ(set.status, 0) << set.out;
    EXPECT_EQ(set.out, "PCSX-R Slot2\t" + dir_.file("ｶｰﾄﾞ.mcr") + "\n");
    const auto swap = run({"slots", "swap", "--emulator", "pcsxr"});
    EXPECT_EQ(swap.status, 0) << swap.out;
    EXPECT_EQ(readBytes(home_ + "/.pcsxr/pcsxr.cfg"),
              "Bios = scph1001.bin\nMcd1 = " + dir_.file("ｶｰﾄﾞ.mcr") + "\nMcd2 = /a.mcd\n");
}

TEST_F(CliModernSlots, RefusalsAndBadUsage) {
    const auto before = readBytes(home_ + "/.pcsxr/pcsxr.cfg");
    const auto vgs = run({"slots", "set", "--emulator", "pcsxr", "1", dir_.file("card.mem")});
    EXPECT_EQ(vgs.status, 1);
    EXPECT_NE(vgs.out.find("tobrel-cli convert --to mcr " + dir_.file("card.mem")),
              std::string::npos)
        << vgs.out;
    EXPECT_EQ(run({"slots", "--emulator", "duckstation"}).status, 1); // not found
    EXPECT_EQ(run({"slots", "--emulator", "mednafen"}).status, 2);
    EXPECT_EQ(run({"slots", "set", "--emulator", "pcsxr", "3", dir_.file("ｶｰﾄﾞ.mcr")}).status, 2);
    EXPECT_EQ(run({"slots", "--emulator"}).status, 2);
    EXPECT_EQ(readBytes(home_ + "/.pcsxr/pcsxr.cfg"), before);
}

} // namespace
} // namespace tobrel::testing
