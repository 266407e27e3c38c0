// The memory-card slots: reading and applying the four registry values, and
// the checks a card image must pass for a slot.

#include "emulator/card_slots.h"
#include "emulator/modCard_Key.h"
#include "tests/support/card_images.h"
#include "tests/support/registry_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tobrel::emulator {
namespace {

namespace fs = std::filesystem;
using platform::RegistryLocation;
using platform::RegistryStoreKind;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

class CardSlots : public ::testing::Test {
protected:
    std::string file() const { return dir_.file("user.reg"); }
    TempDir dir_;
    RegistryLocation location_{RegistryStoreKind::OwnFile, dir_.file("user.reg"), {}};
    platform::WineRegistryStore store_{location_};
};

TEST_F(CardSlots, MissingKeysLeaveThePathsAsTheyAreAndCreateNothing) {
    CardSlotPaths paths;
    readCardSlots(store_, paths);
    EXPECT_EQ(paths.bleem, (std::array<std::string, 2>{"", ""}));
    EXPECT_EQ(paths.vgs, (std::array<std::string, 2>{"", ""}));
    EXPECT_FALSE(fs::exists(file()));

    // Only VGS slot 1 is in the registry: an unapplied choice survives for the others.
    ASSERT_TRUE(writeRegString(store_, kCurrentUser, kVgsCardKeyPath, "Bank 00 Slot 00",
                               std::string("C:\\V1.MEM") + '\0'));
    const std::string before = readBytes(file());
    paths = {{"chosen b1", "chosen b2"}, {"chosen v1", "chosen v2"}};
    readCardSlots(store_, paths);
    EXPECT_EQ(paths.bleem, (std::array<std::string, 2>{"chosen b1", "chosen b2"}));
    EXPECT_EQ(paths.vgs, (std::array<std::string, 2>{"C:\\V1.MEM", "chosen v2"}));
    EXPECT_EQ(readBytes(file()), before);
}

TEST_F(CardSlots, ApplyWithEmptyPathsStoresFourLoneTerminators) {
    ASSERT_TRUE(applyCardSlots(store_, CardSlotPaths{}));
    const std::string content = readBytes(file());
    for (const char* line :
         {"[Software\\\\bleem\\\\bleem!\\\\1.0\\\\CARD] ",
          "\n\"Card0PathName\"=\"\"\n\"Card1PathName\"=\"\"\n",
          "[Software\\\\Connectix\\\\Connectix Virtual Game Station\\\\Memory Cards] ",
          "\n\"Bank 00 Slot 00\"=\"\"\n\"Bank 01 Slot 00\"=\"\"\n"}) {
        EXPECT_NE(content.find(line), std::string::npos) << line << "\n" << content;
    }
    // Each value holds exactly one zero byte: an empty text, not a missing value.
    auto key = store_.openKey(kCurrentUser, kBleemCardKeyPath);
    ASSERT_TRUE(key);
    std::array<std::uint8_t, 4> buffer;
    buffer.fill(0xEE);
    std::size_t delivered = 0;
    EXPECT_TRUE(store_.queryValue(*key, "Card1PathName", buffer, &delivered));
    store_.closeKey(*key);
    EXPECT_EQ(delivered, 1u);
    EXPECT_EQ(buffer[0], 0);
    CardSlotPaths paths{{"x", "x"}, {"x", "x"}};
    readCardSlots(store_, paths);
    EXPECT_EQ(paths.bleem, (std::array<std::string, 2>{"", ""}));
    EXPECT_EQ(paths.vgs, (std::array<std::string, 2>{"", ""}));
}

TEST_F(CardSlots, EachSlotHasItsOwnValue) {
    const CardSlotPaths paths{{"C:\\B1.MCD", "C:\\ｶｰﾄﾞ\\B2.MCD"}, {"C:\\V1.MEM", "C:\\V2.MEM"}};
    ASSERT_TRUE(applyCardSlots(store_, paths));
    const struct {
        std::string_view key;
        const char* value;
        std::string path;
    } expected[] = {
        {kBleemCardKeyPath, "Card0PathName", "C:\\B1.MCD"},
        {kBleemCardKeyPath, "Card1PathName", "C:\\ｶｰﾄﾞ\\B2.MCD"},
        {kVgsCardKeyPath, "Bank 00 Slot 00", "C:\\V1.MEM"},
        {kVgsCardKeyPath, "Bank 01 Slot 00", "C:\\V2.MEM"},
    };
    for (const auto& item : expected) {
        std::string text;
        EXPECT_TRUE(readRegString(store_, kCurrentUser, item.key, item.value, text)) << item.value;
        EXPECT_EQ(text, item.path) << item.value;
    }
    CardSlotPaths back;
    readCardSlots(store_, back);
    EXPECT_EQ(back.bleem, paths.bleem);
    EXPECT_EQ(back.vgs, paths.vgs);
    EXPECT_EQ(back.of(SlotEmulator::Vgs, 1), "C:\\V2.MEM");
    EXPECT_THROW(back.of(SlotEmulator::Bleem, 2), std::out_of_range);
}

TEST_F(CardSlots, ApplyReportsWhenTheStoreRefuses) {
    writeBytes(file(), "REGEDIT4\n");
    EXPECT_FALSE(applyCardSlots(store_, CardSlotPaths{}));
    EXPECT_EQ(readBytes(file()), "REGEDIT4\n");
}

TEST(CardForSlot, SignatureThenExactLength) {
    TempDir dir;
    const std::string body = testing::makeCardBody();
    const std::string vgs = testing::makeVgsImage(body);
    const struct {
        const char* name;
        std::string content;
        bool bleem;
        bool vgs;
    } cases[] = {
        {"GOOD.MCD", body, true, false},
        {"GOOD.MEM", vgs, false, true},
        {"LONG.MCD", body + "x", false, false},
        {"SHORT.MCD", body.substr(0, body.size() - 1), false, false},
        {"LONG.MEM", vgs + "x", false, false},
        {"NOSIG.MCD", "XX" + body.substr(2), false, false},
        {"BODYSIZE.MEM", vgs.substr(0, body.size()), false, false},
        {"VGSSIZE.MCD", body + std::string(64, '\0'), false, false},
        {"EMPTY.MCD", "", false, false},
        {"M.MCD", "M", false, false},
        {"VGS.MEM", "Vgs", false, false},
    };
    for (const auto& item : cases) {
        writeBytes(dir.file(item.name), item.content);
        EXPECT_EQ(checkCardForSlot(SlotEmulator::Bleem, dir.file(item.name)), item.bleem)
            << item.name;
        EXPECT_EQ(checkCardForSlot(SlotEmulator::Vgs, dir.file(item.name)), item.vgs) << item.name;
    }
    // Files that cannot be opened or measured are turned away.
    EXPECT_FALSE(checkCardForSlot(SlotEmulator::Bleem, dir.file("MISSING.MCD")));
    fs::create_directory(dir.path() / "FOLDER.MCD");
    EXPECT_FALSE(checkCardForSlot(SlotEmulator::Bleem, dir.file("FOLDER.MCD")));
    EXPECT_FALSE(checkCardForSlot(SlotEmulator::Vgs, ""));
}

TEST(CardForSlotReadOnly, UnreadableCardIsRejected) {
    if (!testing::permissionsAreEnforced()) {
        GTEST_SKIP() << "permissions are not enforced for this user";
    }
    TempDir dir;
    writeBytes(dir.file("LOCKED.MCD"), testing::makeCardBody());
    fs::permissions(dir.file("LOCKED.MCD"), fs::perms::none);
    EXPECT_FALSE(checkCardForSlot(SlotEmulator::Bleem, dir.file("LOCKED.MCD")));
    fs::permissions(dir.file("LOCKED.MCD"), fs::perms::owner_all);
}

TEST(ChooseCardForSlot, OwnFileKeepsLinuxPathsAndRejectsWithTheEmulatorsMessage) {
    TempDir dir;
    writeBytes(dir.file("A.MCD"), testing::makeCardBody());
    const RegistryLocation own{RegistryStoreKind::OwnFile, dir.file("user.reg"), {}};
    auto accepted = chooseCardForSlot(SlotEmulator::Bleem, own, "  " + dir.file("A.MCD") + " ");
    EXPECT_TRUE(accepted.accepted);
    EXPECT_EQ(accepted.slotText, dir.file("A.MCD"));
    EXPECT_TRUE(accepted.message.empty());

    auto wrongLayout = chooseCardForSlot(SlotEmulator::Vgs, own, dir.file("A.MCD"));
    EXPECT_FALSE(wrongLayout.accepted);
    EXPECT_TRUE(wrongLayout.slotText.empty());
    EXPECT_EQ(wrongLayout.message, "VGSﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(131,136ﾊﾞｲﾄ)を指定して下さい。");
    EXPECT_EQ(chooseCardForSlot(SlotEmulator::Bleem, own, dir.file("B.MCD")).message,
              "bleem!ﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(131,072ﾊﾞｲﾄ)を指定して下さい。");

    // A sound card whose path code page 932 would turn into another path.
    writeBytes(dir.file("wave\u301C.MCD"), testing::makeCardBody());
    auto wave = chooseCardForSlot(SlotEmulator::Bleem, own, dir.file("wave\u301C.MCD"));
    EXPECT_FALSE(wave.accepted);
    EXPECT_EQ(wave.message, kPathNotForEmulator);
}

TEST(ChooseCardForSlot, WinePrefixStoresDriveLetterPaths) {
    TempDir dir;
    const std::string prefix = testing::makeFakePrefix(dir.path() / "pfx");
    fs::create_directories(prefix + "/drive_c/CARDS");
    writeBytes(prefix + "/drive_c/CARDS/A.MEM", testing::makeVgsImage(testing::makeCardBody()));
    writeBytes(dir.file("OUT.MEM"), testing::makeVgsImage(testing::makeCardBody()));
    const RegistryLocation wine{RegistryStoreKind::WinePrefix, prefix + "/user.reg", prefix};

    auto choice = chooseCardForSlot(SlotEmulator::Vgs, wine, prefix + "/drive_c/CARDS/A.MEM");
    EXPECT_TRUE(choice.accepted);
    EXPECT_EQ(choice.slotText, "C:\\CARDS\\A.MEM");
    EXPECT_EQ(slotTextToLocalPath(wine, "c:\\cards\\a.mem"), prefix + "/dosdevices/c:/CARDS/A.MEM");
    // Outside every drive of the prefix (it has no z:), the emulators could not
    // open it: the path is what is wrong, not the card.
    const auto outside = chooseCardForSlot(SlotEmulator::Vgs, wine, dir.file("OUT.MEM"));
    EXPECT_FALSE(outside.accepted);
    EXPECT_EQ(outside.message, kPathOutsideDrives);
}

} // namespace
} // namespace tobrel::emulator
