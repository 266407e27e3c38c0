#include "cards/card_saves.h"
#include "tests/support/card_images.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tobrel::cards {
namespace {

using namespace tobrel::testing;

TEST(ListCardSaves, EmptyCardListsNothing) {
    TempDir dir;
    writeBytes(dir.file("E.MCD"), makeCardBody());
    auto saves = listCardSaves(dir.file("E.MCD"), false);
    EXPECT_TRUE(saves.readable);
    EXPECT_TRUE(saves.rows.empty());
}

TEST(ListCardSaves, SavesAppearInDirectoryOrderWithDecodedTitles) {
    TempDir dir;
    std::string body = makeCardBody();
    addSave(body, 5, "\x83\x51\x81\x5B\x83\x80 2", 3); // ゲーム 2
    addSave(body, 2, "\xBB\xB0\xCC\xDE ONE", 1);       // ｻｰﾌﾞ ONE
    addSave(body, 3, "continued", 1, 0x52);            // continuation block: never listed
    addSave(body, 7, "no count", 0);                   // block count 0
    addSave(body, 9, "no sc", 2);
    body[9 * kBlockSize] = 'S';
    body[9 * kBlockSize + 1] = 'c';
    writeBytes(dir.file("S.MCD"), body);

    auto saves = listCardSaves(dir.file("S.MCD"), false);
    ASSERT_EQ(saves.rows.size(), 2u);
    EXPECT_EQ(saves.rows[0].block, 2);
    EXPECT_EQ(saves.rows[0].title, "ｻｰﾌﾞ ONE");
    EXPECT_EQ(saves.rows[0].blockCount, 1);
    EXPECT_EQ(saves.rows[1].block, 5);
    EXPECT_EQ(saves.rows[1].title, "ゲーム 2");
    EXPECT_EQ(saves.rows[1].blockCount, 3);
}

TEST(ListCardSaves, VgsImageIsReadSixtyFourBytesFurtherOn) {
    TempDir dir;
    std::string body = makeCardBody();
    addSave(body, 15, "LAST", 15);
    std::string image = makeVgsImage(body);
    image[30] = '\x44'; // a foreign header changes nothing
    writeBytes(dir.file("V.MEM"), image);
    auto saves = listCardSaves(dir.file("V.MEM"), true);
    ASSERT_EQ(saves.rows.size(), 1u);
    EXPECT_EQ(saves.rows[0].title, "LAST");
    EXPECT_EQ(saves.rows[0].blockCount, 15);
    // Read without the header offset, the same file shows nothing.
    EXPECT_TRUE(listCardSaves(dir.file("V.MEM"), false).rows.empty());
}

TEST(ListCardSaves, TitleUsesAllSeventyTwoBytes) {
    TempDir dir;
    std::string body = makeCardBody();
    std::string title(64, 'T');
    title += "EXTRA123"; // the 8 bytes after the title proper
    addSave(body, 1, title, 1);
    writeBytes(dir.file("T.MCD"), body);
    auto saves = listCardSaves(dir.file("T.MCD"), false);
    ASSERT_EQ(saves.rows.size(), 1u);
    EXPECT_EQ(saves.rows[0].title, title);
}

TEST(ListCardSaves, ShortFileCountsMissingBytesAsZero) {
    TempDir dir;
    std::string body = makeCardBody();
    addSave(body, 1, "KEPT", 1);
    addSave(body, 4, "CUT OFF", 1);
    writeBytes(dir.file("SHORT.MCD"), body.substr(0, 4 * kBlockSize + 2)); // block 4 has only "SC"
    auto saves = listCardSaves(dir.file("SHORT.MCD"), false);
    ASSERT_EQ(saves.rows.size(), 1u);
    EXPECT_EQ(saves.rows[0].title, "KEPT");
    writeBytes(dir.file("EMPTY.MCD"), "");
    EXPECT_TRUE(listCardSaves(dir.file("EMPTY.MCD"), false).readable);
}

TEST(ListCardSaves, InvalidTitleBytesDoNotBreakTheListing) {
    TempDir dir;
    std::string body = makeCardBody();
    addSave(body, 1, "A\x81", 1); // lead byte cut off by the NUL
    writeBytes(dir.file("I.MCD"), body);
    auto saves = listCardSaves(dir.file("I.MCD"), false);
    ASSERT_EQ(saves.rows.size(), 1u);
    EXPECT_EQ(saves.rows[0].title, "A\uFFFD");
}

TEST(ListCardSaves, UnreadableFileIsReported) {
    TempDir dir;
    auto saves = listCardSaves(dir.file("nothing.MCD"), false);
    EXPECT_FALSE(saves.readable);
    EXPECT_FALSE(saves.error.empty());
    EXPECT_TRUE(saves.rows.empty());
}

} // namespace
} // namespace tobrel::cards
