#include "cards/card_format.h"
#include "cards/save_file.h"

#include <gtest/gtest.h>

namespace tobrel::cards {
namespace {

using Bytes = std::vector<std::uint8_t>;

SaveData makeSave(std::string name, int blocks) {
    SaveData save;
    save.name = std::move(name);
    save.blocks.assign(static_cast<std::size_t>(blocks) * kBlockSize, 0);
    for (std::size_t i = 0; i < save.blocks.size(); ++i) {
        save.blocks[i] = static_cast<std::uint8_t>(i * 13 + 5);
    }
    const std::string_view title = "\x82\x60\x82\x81\x81\x40\x82\x50 x\x88\x9f"; // Ａａ　１ x亜
    save.blocks[0] = 'S';
    save.blocks[1] = 'C';
    save.blocks[2] = 0x11;
    save.blocks[3] = static_cast<std::uint8_t>(blocks);
    std::fill(save.blocks.begin() + 4, save.blocks.begin() + 68, 0);
    std::copy(title.begin(), title.end(), save.blocks.begin() + 4);
    return save;
}

TEST(SaveFile, EveryFormatRoundTripsAndIsToldByContent) {
    const struct {
        SaveFormat format;
        std::size_t header;
    } cases[] = {{SaveFormat::Mcs, 128},
                 {SaveFormat::Psx, 54},
                 {SaveFormat::Psv, 0x84},
                 {SaveFormat::Raw, 0}};
    for (const auto& c : cases) {
        for (const int blocks : {1, 3, 15}) {
            SCOPED_TRACE(saveFormatExtension(c.format));
            const SaveData save = makeSave("BISLPS-01234GAME", blocks);
            const auto bytes = packSaveFile(save, c.format);
            ASSERT_TRUE(bytes.has_value());
            EXPECT_EQ(bytes->size(), c.header + save.blocks.size());
            const auto read = parseSaveFile(*bytes, "BISLPS-01234GAME");
            ASSERT_TRUE(read.ok) << read.error;
            EXPECT_EQ(read.format, c.format);
            EXPECT_EQ(read.save, save);
            EXPECT_TRUE(read.signatureValid);
            EXPECT_EQ(packSaveFile(read.save, c.format), bytes);
        }
    }
}

TEST(SaveFile, HeadersHoldTheirFields) {
    const SaveData save = makeSave("BASLUS-00001AB", 2);
    const Bytes mcs = *packSaveFile(save, SaveFormat::Mcs);
    EXPECT_EQ(mcs[0], 0x51);
    EXPECT_EQ(mcs[5], 0x40); // 16,384 bytes
    EXPECT_EQ(mcs[8], 0xFF);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&mcs[10])), "BASLUS-00001AB");
    std::uint8_t sum = 0;
    for (int i = 0; i < 127; ++i) {
        sum ^= mcs[static_cast<std::size_t>(i)];
    }
    EXPECT_EQ(mcs[127], sum);
    const Bytes psx = *packSaveFile(save, SaveFormat::Psx);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&psx[0x15])), "Aa 1 x");
}

// One block "SC" 11h 01h and zeros, named BISLPS-00000TEST, zero seed; the
// signature worked out with the openssl command line tool.
TEST(SaveFile, PsvSignatureMatchesKnownAnswerAndNameFollowsThePs3) {
    SaveData save{"BISLPS-00000TEST", Bytes(kBlockSize, 0)};
    save.blocks[0] = 'S';
    save.blocks[1] = 'C';
    save.blocks[2] = 0x11;
    save.blocks[3] = 1;
    Bytes psv = *packSaveFile(save, SaveFormat::Psv);
    const Bytes expected = {0xaa, 0xfd, 0x84, 0x10, 0xad, 0xc1, 0x16, 0x43, 0xfb, 0x8d,
                            0x6e, 0x47, 0xd9, 0x96, 0xca, 0x76, 0xd6, 0xb3, 0xc5, 0xa5};
    EXPECT_EQ(Bytes(psv.begin() + 0x1C, psv.begin() + 0x30), expected);
    EXPECT_EQ(saveFileName(save, SaveFormat::Psv), "BISLPS-0000054455354.PSV");
    EXPECT_EQ(saveFileName(save, SaveFormat::Mcs), "BISLPS-00000TEST.mcs");

    psv[0x84 + 100] ^= 1;
    const auto read = parseSaveFile(psv, "x");
    EXPECT_TRUE(read.ok);
    EXPECT_FALSE(read.signatureValid);
}

TEST(SaveFile, UntrustworthyFilesAreRefused) {
    const SaveData save = makeSave("BISLPS-01234GAME", 2);
    const Bytes psv = *packSaveFile(save, SaveFormat::Psv);
    const auto patched = [&](std::size_t offset, std::uint8_t value) {
        Bytes copy = psv;
        copy[offset] = value;
        return copy;
    };
    Bytes sixteen = makeSave("X", 15).blocks;
    sixteen.resize(16 * kBlockSize);
    const struct {
        const char* what;
        Bytes bytes;
        std::string_view name;
    } cases[] = {
        {"psv of another console", patched(0x3C, 2), "x"},
        {"psv size beyond the file", patched(0x42, 0x01), "x"},
        {"psv size not whole blocks", patched(0x40, 1), "x"},
        {"psv data elsewhere", patched(0x44, 0x85), "x"},
        {"psv cut short", Bytes(psv.begin(), psv.end() - 1), "x"},
        {"raw save without a name", Bytes(save.blocks), ""},
        {"raw save with a long name", Bytes(save.blocks), "ABCDEFGHIJKLMNOPQRSTU"},
        {"sixteen blocks", sixteen, "x"},
        {"no title frame", Bytes(kBlockSize, 0), "x"},
        {"nothing", Bytes{}, "x"},
    };
    for (const auto& c : cases) {
        const auto read = parseSaveFile(c.bytes, c.name);
        EXPECT_FALSE(read.ok) << c.what;
        EXPECT_FALSE(read.error.empty()) << c.what;
    }
    EXPECT_FALSE(packSaveFile(SaveData{"", save.blocks}, SaveFormat::Mcs));
    EXPECT_FALSE(packSaveFile(SaveData{"A", Bytes(100)}, SaveFormat::Raw));
}

} // namespace
} // namespace tobrel::cards
