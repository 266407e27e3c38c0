#include "cards/card_check.h"
#include "cards/card_saves.h"
#include "tests/support/card_images.h"
#include "tests/support/temp_dir.h"

#include <functional>
#include <gtest/gtest.h>

namespace tobrel::cards {
namespace {

using namespace tobrel::testing;
using K = FindingKind;

// Saves of one, two and three blocks (and icon frames); the last chain runs 4, 6, 5.
std::string soundCard() {
    std::string body = makeFormattedCard();
    addChainedSave(body, {1}, "ONE", 1);
    addChainedSave(body, {2, 3}, "TWO", 2);
    addChainedSave(body, {4, 6, 5}, "THREE", 3);
    return body;
}

struct CheckCase {
    const char* name;
    std::function<void(std::string&)> damage;
    std::vector<CardFinding> findings;
    std::vector<int> listed;
};

std::vector<int> listedBlocks(const CardSaves& saves) {
    std::vector<int> blocks;
    for (const auto& row : saves.rows) {
        blocks.push_back(row.block);
    }
    return blocks;
}

TEST(CheckCard, EachFaultIsNamedWithItsBlockAndTheListingFollowsItsOwnRule) {
    const std::vector<int> all = {1, 2, 4};
    const CheckCase cases[] = {
        {"sound", [](std::string&) {}, {}, all},
        {"directory checksum",
         [](std::string& b) { b[3 * 128 + 40] ^= 1; },
         {{3, K::Checksum}},
         all},
        {"header checksum", [](std::string& b) { b[127] ^= 1; }, {{0, K::Checksum}}, all},
        {"not a card", [](std::string& b) { b[1] = 'c'; }, {{0, K::CardSignature}}, all},
        {"broken chain",
         [](std::string& b) { setDirEntry(b, 4, 0x51, 3 * 8192, 8); },
         {{4, K::LinkToUnusedBlock, 9}, {5, K::Orphan}, {6, K::Orphan}},
         all},
        {"link out of range",
         [](std::string& b) { setDirEntry(b, 4, 0x51, 3 * 8192, 0x20); },
         {{4, K::LinkOutOfRange, 0x20}, {5, K::Orphan}, {6, K::Orphan}},
         all},
        {"loop", [](std::string& b) { setDirEntry(b, 5, 0x52, 0, 5); }, {{5, K::Loop, 6}}, all},
        {"loop to first block",
         [](std::string& b) { setDirEntry(b, 5, 0x52, 0, 3); },
         {{5, K::Loop, 4}},
         all},
        {"block used by two saves",
         [](std::string& b) {
             addSave(b, 7, "SEVEN", 2);
             setDirEntry(b, 7, 0x51, 2 * 8192, 2);
         },
         {{3, K::UsedTwice}},
         {1, 2, 4, 7}},
        {"chain into another save's first block",
         [](std::string& b) { setDirEntry(b, 3, 0x52, 0, 0); },
         {{1, K::UsedTwice}},
         all},
        {"length mismatch",
         [](std::string& b) { setDirEntry(b, 2, 0x51, 3 * 8192, 2); },
         {{2, K::LengthMismatch, 3 * 8192}},
         all},
        {"last block links on",
         [](std::string& b) { setDirEntry(b, 5, 0x53, 0, 8); },
         {{5, K::EndMark}},
         all},
        {"middle block ends the chain",
         [](std::string& b) { setDirEntry(b, 6, 0x52, 0, 0xFFFF); },
         {{5, K::Orphan}, {6, K::EndMark}},
         all},
        {"unknown state",
         [](std::string& b) { setDirEntry(b, 10, 0x00, 0, 0xFFFF); },
         {{10, K::UnknownState, 0}},
         all},
        {"first block without SC",
         [](std::string& b) { b[kBlockSize + 1] = 'X'; },
         {{1, K::NoSaveHeader}},
         {2, 4}},
        {"deleted save",
         [](std::string& b) {
             setDirEntry(b, 2, 0xA1, 2 * 8192, 2);
             setDirEntry(b, 3, 0xA3, 0, 0xFFFF);
         },
         {},
         {1, 4}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        std::string body = soundCard();
        c.damage(body);
        writeBytes(dir.file("C.MCD"), body);
        const auto saves = listCardSaves(dir.file("C.MCD"), false);
        EXPECT_EQ(saves.findings, c.findings) << c.name;
        EXPECT_EQ(listedBlocks(saves), c.listed) << c.name;
    }
}

// A link names block link + 1: 0 is block 1, 14 is block 15 (the last); 15
// and everything above up to 0xFFFE lie past the card, 0xFFFF ends the chain.
TEST(CheckCard, LinksAreInRangeExactlyFromBlockOneToBlockFifteen) {
    const struct {
        int block; // the save's first block, whose link is set
        unsigned link;
        std::vector<CardFinding> findings;
    } cases[] = {
        {2, 0x0000, {}},
        {14, 0x000E, {}},
        {14, 0x000F, {{14, K::LinkOutOfRange, 0x0F}, {15, K::Orphan}}},
        {14, 0x010E, {{14, K::LinkOutOfRange, 0x010E}, {15, K::Orphan}}},
        {14, 0x8000, {{14, K::LinkOutOfRange, 0x8000}, {15, K::Orphan}}},
        {14, 0xFFFE, {{14, K::LinkOutOfRange, 0xFFFE}, {15, K::Orphan}}},
        {2, 0xFFFE, {{1, K::Orphan}, {2, K::LinkOutOfRange, 0xFFFE}}},
    };
    for (const auto& c : cases) {
        std::string body = makeFormattedCard();
        addChainedSave(body, {2, 1}, "LOW");
        addChainedSave(body, {14, 15}, "HIGH");
        setDirEntry(body, c.block, 0x51, 2 * 8192, c.link);
        const auto findings = checkCardBody(
            std::span(reinterpret_cast<const unsigned char*>(body.data()), body.size()));
        EXPECT_EQ(findings, c.findings) << c.block << " links " << c.link;
    }
}

TEST(CheckCard, FileSizeAndVgsSignatureAreCheckedWithTheLayout) {
    const std::string body = soundCard();
    const struct {
        const char* name;
        std::string file;
        bool vgs;
        std::vector<CardFinding> findings;
    } cases[] = {
        {"vgs image", makeVgsImage(body), true, {}},
        {"vgs image, foreign header bytes", makeVgsImage(body).replace(20, 4, "abcd"), true, {}},
        {"vgs image without VgsM",
         "vgsm" + makeVgsImage(body).substr(4),
         true,
         {{0, K::VgsSignature}}},
        {"card read as vgs",
         body + std::string(64, '\0'),
         true,
         {{0, K::VgsSignature}, {0, K::CardSignature}}},
        {"one byte long", body + "x", false, {{0, K::FileSize, kCardBodySize + 1}}},
        {"cut in block 5",
         body.substr(0, 5 * kBlockSize),
         false,
         {{0, K::FileSize, 5 * kBlockSize}}},
        {"empty", "", false, {{0, K::FileSize, 0}, {0, K::CardSignature}}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        writeBytes(dir.file("F"), c.file);
        const auto check = checkCardFile(dir.file("F"), c.vgs);
        EXPECT_TRUE(check.readable) << c.name;
        EXPECT_EQ(check.findings, c.findings) << c.name;
    }
    EXPECT_FALSE(checkCardFile(dir.file("missing"), false).readable);
}

TEST(CheckCard, FindingLinesNameTheBlockInJapanese) {
    const struct {
        CardFinding finding;
        const char* line;
    } cases[] = {
        {{3, K::Checksum}, "ﾌﾞﾛｯｸ3: ﾁｪｯｸｻﾑ不一致"},
        {{0, K::Checksum}, "ﾍｯﾀﾞｰ: ﾁｪｯｸｻﾑ不一致"},
        {{0, K::FileSize, 1000}, "ﾌｧｲﾙ: ﾌｧｲﾙｻｲｽﾞ不正(1000 ﾊﾞｲﾄ)"},
        {{5, K::Loop, 4}, "ﾌﾞﾛｯｸ5: ﾙｰﾌﾟ(ﾌﾞﾛｯｸ4へ戻る)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(findingLine(c.finding), c.line);
    }
}

} // namespace
} // namespace tobrel::cards
