#include "cards/card_format.h"
#include "cards/save_manager.h"
#include "tests/support/card_images.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace tobrel::cards {
namespace {

using namespace tobrel::testing;
using Bytes = std::vector<std::uint8_t>;

Bytes formattedCard() {
    const std::string body = makeFormattedCard();
    return Bytes(body.begin(), body.end());
}

SaveData makeSave(const std::string& name, int blocks, std::uint8_t fill) {
    SaveData save{name, Bytes(static_cast<std::size_t>(blocks) * kBlockSize, fill)};
    save.blocks[0] = 'S';
    save.blocks[1] = 'C';
    save.blocks[2] = 0x11;
    save.blocks[3] = static_cast<std::uint8_t>(blocks);
    for (int b = 0; b < blocks; ++b) {
        save.blocks[static_cast<std::size_t>(b) * kBlockSize + 100] = static_cast<std::uint8_t>(b);
    }
    return save;
}

std::vector<int> chainOf(const Bytes& card, int block) {
    for (const auto& save : listAllSaves(card)) {
        if (save.block == block) {
            return save.chain;
        }
    }
    return {};
}

TEST(SaveManager, ImportFillsFreeBlocksFirstFitAndExportGivesTheSaveBack) {
    Bytes card = formattedCard();
    ASSERT_TRUE(importSave(card, makeSave("BISLPS-00001A", 2, 1)).ok); // blocks 1, 2
    ASSERT_TRUE(importSave(card, makeSave("BISLPS-00002B", 1, 2)).ok); // block 3
    ASSERT_TRUE(deleteSave(card, 1).ok);
    const SaveData big = makeSave("BISLPS-00003C", 14, 3);
    const SaveEdit edit = importSave(card, big); // needs the deleted save's blocks too
    ASSERT_TRUE(edit.ok) << edit.error;
    EXPECT_EQ(edit.givenUp, std::vector<std::string>{"BISLPS-00001A"});
    EXPECT_EQ(edit.block, 1);
    std::vector<int> expected = {1, 2};
    for (int n = 4; n <= 15; ++n) {
        expected.push_back(n);
    }
    EXPECT_EQ(chainOf(card, 1), expected);
    EXPECT_TRUE(checkCardBody(card).empty());
    EXPECT_EQ(exportSave(card, 1), big);
    EXPECT_EQ(exportSave(card, 3), makeSave("BISLPS-00002B", 1, 2));
}

TEST(SaveManager, RefusalsChangeNothing) {
    Bytes card = formattedCard();
    ASSERT_TRUE(importSave(card, makeSave("BISLPS-00001A", 10, 1)).ok);
    const Bytes before = card;
    const struct {
        const char* what;
        SaveEdit edit;
    } cases[] = {
        {"no room", importSave(card, makeSave("BISLPS-00002B", 6, 2))},
        {"same name", importSave(card, makeSave("BISLPS-00001A", 1, 2))},
        {"bad name", importSave(card, makeSave("", 1, 2))},
        {"delete a middle block", deleteSave(card, 2)},
        {"delete a free block", deleteSave(card, 12)},
        {"undelete a live save", undeleteSave(card, 1)},
        {"block out of range", deleteSave(card, 16)},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(c.edit.ok) << c.what;
        EXPECT_FALSE(c.edit.error.empty()) << c.what;
    }
    EXPECT_EQ(card, before);
}

TEST(SaveManager, DeleteKeepsTheChainAndUndeleteBringsItBackUnlessReused) {
    std::string body = makeFormattedCard();
    addChainedSave(body, {5, 2, 9}, "SCATTERED");
    Bytes card(body.begin(), body.end());
    const Bytes original = card;
    ASSERT_TRUE(deleteSave(card, 5).ok);
    auto saves = listAllSaves(card);
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_TRUE(saves[0].deleted);
    EXPECT_TRUE(saves[0].restorable);
    EXPECT_EQ(saves[0].chain, (std::vector<int>{5, 2, 9}));
    EXPECT_EQ(saves[0].title, "SCATTERED");
    EXPECT_EQ(card[2 * kFrameSize], 0xA2);
    EXPECT_EQ(card[9 * kFrameSize], 0xA3);
    EXPECT_TRUE(checkCardBody(card).empty());
    ASSERT_TRUE(undeleteSave(card, 5).ok);
    EXPECT_EQ(card, original);

    ASSERT_TRUE(deleteSave(card, 5).ok);
    // 13 free blocks: 12 of them free, one (block 2) taken from the deleted save.
    const SaveEdit edit = importSave(card, makeSave("BISLPS-00009Z", 13, 7));
    ASSERT_TRUE(edit.ok);
    EXPECT_EQ(edit.givenUp.size(), 1u);
    EXPECT_EQ(listAllSaves(card).size(), 1u);
    EXPECT_FALSE(undeleteSave(card, 5).ok);
}

TEST(SaveManager, UndeleteRefusedWhenABlockWasTakenOrTheNameIsLive) {
    Bytes card = formattedCard();
    ASSERT_TRUE(importSave(card, makeSave("BISLPS-00001A", 2, 1)).ok); // 1, 2
    ASSERT_TRUE(deleteSave(card, 1).ok);
    ASSERT_TRUE(importSave(card, makeSave("BISLPS-00001A", 1, 2)).ok); // block 3: same name
    auto saves = listAllSaves(card);
    ASSERT_EQ(saves.size(), 2u);
    EXPECT_FALSE(saves[0].restorable);
    EXPECT_FALSE(undeleteSave(card, 1).ok);
    ASSERT_TRUE(deleteSave(card, 3).ok);
    EXPECT_TRUE(undeleteSave(card, 1).ok);
    EXPECT_FALSE(undeleteSave(card, 3).ok); // the name is live again
}

// A thousand random imports, deletes and undeletes: the card stays sound and
// every live save keeps its data. The generator's seed is fixed.
TEST(SaveManager, RandomOperationsKeepTheCardSoundAndLoseNoLiveSave) {
    Bytes card = formattedCard();
    std::mt19937 random(20261207);
    std::map<std::string, SaveData> live;
    int serial = 0;
    for (int step = 0; step < 1000; ++step) {
        const auto saves = listAllSaves(card);
        const int op = static_cast<int>(random() % 3);
        if (op == 0 || saves.empty()) {
            ++serial;
            const SaveData save =
                makeSave("BISLPS-" + std::to_string(serial), 1 + static_cast<int>(random() % 5),
                         static_cast<std::uint8_t>(serial));
            if (importSave(card, save).ok) {
                live[save.name] = save;
            }
        } else {
            const auto& target = saves[random() % saves.size()];
            if (op == 1 && !target.deleted) {
                ASSERT_TRUE(deleteSave(card, target.block).ok);
                live.erase(target.name);
            } else if (op == 2 && target.deleted) {
                const bool ok = undeleteSave(card, target.block).ok;
                ASSERT_EQ(ok, target.restorable);
                if (ok) {
                    live[target.name] = *exportSave(card, target.block);
                }
            }
        }
        ASSERT_TRUE(checkCardBody(card).empty()) << "step " << step;
        std::size_t liveCount = 0;
        for (const auto& save : listAllSaves(card)) {
            if (!save.deleted) {
                ++liveCount;
                ASSERT_EQ(exportSave(card, save.block), live.at(save.name)) << "step " << step;
            }
        }
        ASSERT_EQ(liveCount, live.size()) << "step " << step;
    }
}

TEST(SaveManager, FileEditsKeepTheContainer) {
    TempDir dir;
    const Bytes card = formattedCard();
    for (const auto container : {CardContainer::Vgs, CardContainer::Gme, CardContainer::Vmp}) {
        SCOPED_TRACE(static_cast<int>(container));
        CardFile file = makeCardFile(card, container);
        if (container == CardContainer::Gme) {
            file.header[0x40] = 'c'; // a comment
        } else if (container == CardContainer::Vgs) {
            file.header[30] = 0x44; // a foreign header byte
        }
        const Bytes original = *serializeCardFile(file);
        const std::string path = dir.file("card." + std::string(containerExtension(container)));
        writeBytes(path, std::string(original.begin(), original.end()));

        ASSERT_TRUE(importSaveFile(path, makeSave("BISLPS-00001A", 2, 1)).ok);
        const auto read = readCardFile(path, false);
        ASSERT_TRUE(read.readable);
        EXPECT_EQ(read.file.container, container);
        EXPECT_TRUE(checkCardFileContent(read.file).empty());
        if (container == CardContainer::Gme) {
            EXPECT_EQ(read.file.header[0x16], 0x51); // the directory copy follows the card
        }
        if (container != CardContainer::Vmp) { // the .vmp signature is renewed
            const auto header = std::span(original).first(read.file.header.size());
            EXPECT_TRUE(
                std::equal(header.begin(), header.begin() + 0x15, read.file.header.begin()));
            EXPECT_TRUE(
                std::equal(header.begin() + 0x35, header.end(), read.file.header.begin() + 0x35));
        }

        ASSERT_TRUE(copySaveFile(path, 1, dir.file("other.mcr")).ok == false); // no such file
        writeBytes(dir.file("other.mcr"), std::string(card.begin(), card.end()));
        ASSERT_TRUE(copySaveFile(path, 1, dir.file("other.mcr")).ok);
        const std::string copied = readBytes(dir.file("other.mcr"));
        EXPECT_EQ(exportSave(Bytes(copied.begin(), copied.end()), 1),
                  makeSave("BISLPS-00001A", 2, 1));

        ASSERT_TRUE(deleteSaveFile(path, 1).ok);
        ASSERT_TRUE(undeleteSaveFile(path, 1).ok);
        const std::string before = readBytes(path);
        EXPECT_FALSE(undeleteSaveFile(path, 1).ok);
        EXPECT_EQ(readBytes(path), before);
        ASSERT_TRUE(deleteSaveFile(path, 1).ok);
    }
}

} // namespace
} // namespace tobrel::cards
