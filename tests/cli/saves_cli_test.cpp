#include "cards/card_container.h"
#include "cards/save_file.h"
#include "tests/support/card_images.h"
#include "tests/support/cli_run.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tobrel::testing {
namespace {

std::string asText(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::string inContainer(const std::string& body, cards::CardContainer container) {
    const std::vector<std::uint8_t> card(body.begin(), body.end());
    return asText(*cards::serializeCardFile(cards::makeCardFile(card, container)));
}

// A 2-block save named BISLPS-00001GAME as a .mcs file.
std::string mcsFile() {
    cards::SaveData save{"BISLPS-00001GAME", std::vector<std::uint8_t>(2 * 8192, 0x5A)};
    save.blocks[0] = 'S';
    save.blocks[1] = 'C';
    save.blocks[2] = 0x11;
    save.blocks[3] = 2;
    save.blocks[4] = 'T';
    for (std::size_t i = 5; i < 72; ++i) {
        save.blocks[i] = 0;
    }
    return asText(*cards::packSaveFile(save, cards::SaveFormat::Mcs));
}

TEST(CliSaveCommands, BadUsageExitsTwo) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"convert", "--to", "zip", "x.mcr"},
                                               {"convert", "--to", "gme"},
                                               {"export", "x.mcr"},
                                               {"export", "x.mcr", "16"},
                                               {"export", "x.mcr", "1", "out.txt"},
                                               {"import", "x.mcr"},
                                               {"delete", "x.mcr", "0"},
                                               {"undelete", "x.mcr"},
                                               {"copy", "a.mcr", "x", "b.mcr"},
                                               {"saves", "--all", "--icons", "d", "x.mcr"}}) {
        const auto result = runCli(args);
        EXPECT_EQ(result.status, 2) << args[0] << result.out;
    }
}

TEST(CliSaveCommands, ImportListDeleteUndeleteExportAndCopyOnAGme) {
    TempDir dir;
    const std::string card = dir.file("CARD.gme");
    writeBytes(card, inContainer(makeFormattedCard(), cards::CardContainer::Gme));
    writeBytes(dir.file("GAME.mcs"), mcsFile());

    auto result = runCli({"import", card, dir.file("GAME.mcs")});
    ASSERT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out, "1\tBISLPS-00001GAME\n");
    EXPECT_EQ(runCli({"import", card, dir.file("GAME.mcs")}).status, 1); // the name is taken

    EXPECT_EQ(runCli({"saves", card}).out, "T\t2\n");
    EXPECT_EQ(runCli({"delete", card, "1"}).status, 0);
    EXPECT_EQ(runCli({"saves", card}).out, "");
    EXPECT_EQ(runCli({"saves", "--all", card}).out, "1\tdeleted\tBISLPS-00001GAME\tT\t2\n");
    EXPECT_EQ(runCli({"check", card}).status, 0);
    EXPECT_EQ(runCli({"undelete", card, "1"}).status, 0);
    EXPECT_EQ(runCli({"undelete", card, "1"}).status, 1);

    result = runCli({"export", card, "1"});
    ASSERT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out, dir.file("BISLPS-00001GAME.mcs") + "\n");
    EXPECT_EQ(readBytes(dir.file("BISLPS-00001GAME.mcs")), mcsFile());
    EXPECT_EQ(runCli({"export", card, "1"}).status, 1); // never overwrites

    writeBytes(dir.file("OTHER.vmp"), inContainer(makeFormattedCard(), cards::CardContainer::Vmp));
    result = runCli({"copy", card, "1", dir.file("OTHER.vmp")});
    ASSERT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(runCli({"check", dir.file("OTHER.vmp")}).status, 0);
    EXPECT_EQ(runCli({"saves", "--all", dir.file("OTHER.vmp")}).out,
              "1\tlive\tBISLPS-00001GAME\tT\t2\n");
}

TEST(CliSaveCommands, ConvertToEveryContainerKeepsTheCard) {
    TempDir dir;
    std::string body = makeFormattedCard();
    addChainedSave(body, {4, 2}, "X");
    writeBytes(dir.file("A.mcr"), body);
    for (const std::string format : {"gme", "vmp", "mem", "mcd"}) {
        const auto result = runCli({"convert", "--to", format, dir.file("A.mcr")});
        ASSERT_EQ(result.status, 0) << result.out;
        std::string upper = format;
        for (char& c : upper) {
            c = static_cast<char>(c - 'a' + 'A');
        }
        const std::string out = dir.file("A." + upper);
        EXPECT_EQ(result.out, dir.file("A.mcr") + "→" + out + " 変換終了\n");
        const auto read = cards::readCardFile(out, false);
        ASSERT_TRUE(read.readable);
        EXPECT_EQ(asText(read.file.card), body);
        const auto check = format == "mem" ? std::vector<std::string>{"check", "--vgs", out}
                                           : std::vector<std::string>{"check", out};
        EXPECT_EQ(runCli(check).status, 0) << format;
    }
    writeBytes(dir.file("NOT.mcr"), "no card");
    EXPECT_EQ(runCli({"convert", "--to", "gme", dir.file("NOT.mcr")}).status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "NOT.GME"));
}

} // namespace
} // namespace tobrel::testing
