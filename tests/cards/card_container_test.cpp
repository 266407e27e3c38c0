#include "cards/card_container.h"
#include "cards/card_format.h"
#include "tests/support/card_images.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tobrel::cards {
namespace {

using namespace tobrel::testing;
using Bytes = std::vector<std::uint8_t>;

Bytes toBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes serialized(const CardFile& file, std::span<const std::uint8_t> before = {}) {
    auto bytes = serializeCardFile(file, before);
    EXPECT_TRUE(bytes.has_value());
    return bytes.value_or(Bytes{});
}

Bytes hex(std::string_view text) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        out.push_back(
            static_cast<std::uint8_t>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
    }
    return out;
}

TEST(CardContainer, EveryContainerRoundTripsByteForByteAndIsToldByContent) {
    std::string body = makeFormattedCard();
    addChainedSave(body, {3, 7, 4}, "RT", 2);
    const Bytes card = toBytes(body);
    for (const auto container :
         {CardContainer::Raw, CardContainer::Vgs, CardContainer::Gme, CardContainer::Vmp}) {
        SCOPED_TRACE(static_cast<int>(container));
        const Bytes file = serialized(makeCardFile(card, container));
        EXPECT_EQ(file.size(), containerHeaderSize(container) + kCardBodySize);
        ASSERT_EQ(detectCardContainer(file), container);
        const CardFile read = parseCardFile(file, container);
        EXPECT_EQ(read.card, card);
        EXPECT_TRUE(read.signatureValid);
        EXPECT_TRUE(checkCardFileContent(read).empty());
        EXPECT_EQ(serialized(read), file);
    }
    EXPECT_EQ(detectCardContainer(toBytes("SC")), std::nullopt);
}

TEST(CardContainer, FreshHeadersHoldTheirFixedFields) {
    const Bytes card = toBytes(makeFormattedCard());
    const Bytes vgs = serialized(makeCardFile(card, CardContainer::Vgs));
    EXPECT_TRUE(std::equal(vgsHeader.begin(), vgsHeader.end(), vgs.begin()));

    const Bytes gme = serialized(makeCardFile(card, CardContainer::Gme));
    EXPECT_EQ(std::string(gme.begin(), gme.begin() + 12), std::string("123-456-STD\0", 12));
    EXPECT_EQ(Bytes(gme.begin() + 0x10, gme.begin() + 0x15), (Bytes{0, 0, 1, 0, 1}));
    EXPECT_EQ(gme[0x15], 'M');
    EXPECT_EQ(gme[0x16], 0xA0); // frame 1's state
    EXPECT_EQ(gme[0x26], 0xFF); // frame 1's link, low byte
    EXPECT_EQ(gme[0x35], 0);
}

// A blank card "MC" (checksum 0x0E) behind the .vmp header; signatures worked
// out with the openssl command line tool from the published key, mask and
// derivation, independently of this program.
TEST(CardContainer, VmpSignatureMatchesKnownAnswers) {
    Bytes card(kCardBodySize, 0);
    card[0] = 'M';
    card[1] = 'C';
    card[0x7F] = 0x0E;
    CardFile file = makeCardFile(card, CardContainer::Vmp);
    Bytes bytes = serialized(file);
    EXPECT_EQ(Bytes(bytes.begin() + 0x20, bytes.begin() + 0x34),
              hex("f2010e8c40bc5c0d5111bec10f95cfc63149ce6d"));
    for (std::uint8_t i = 0; i < 20; ++i) {
        file.header[0x0C + i] = i; // seed 00 01 .. 13
    }
    bytes = serialized(file);
    EXPECT_EQ(Bytes(bytes.begin() + 0x20, bytes.begin() + 0x34),
              hex("a70a1f1294d7a81ad659be35714e00bf9b660a9e"));

    bytes[0x80 + 5000] ^= 1; // the data changed behind the signature's back
    const CardFile tampered = parseCardFile(bytes, CardContainer::Vmp);
    EXPECT_FALSE(tampered.signatureValid);
    const auto findings = checkCardFileContent(tampered);
    ASSERT_FALSE(findings.empty());
    EXPECT_EQ(findingLine(findings[0]), "ﾌｧｲﾙ: ﾌｧｲﾙ署名不一致");
    EXPECT_TRUE(parseCardFile(serialized(tampered), CardContainer::Vmp).signatureValid);
}

TEST(CardContainer, ShortGmeIsPaddedAndLongFileKeepsItsTail) {
    std::string body = makeFormattedCard();
    addChainedSave(body, {1}, "KEEP");
    Bytes gme = serialized(makeCardFile(toBytes(body), CardContainer::Gme));
    gme.resize(gme.size() - 10 * kBlockSize); // blocks 6..15 missing
    const CardFile shortFile = parseCardFile(gme, CardContainer::Gme);
    EXPECT_EQ(shortFile.card.size(), kCardBodySize);
    EXPECT_EQ(shortFile.card[6 * kBlockSize], 0);
    EXPECT_EQ(checkCardFileContent(shortFile).front().kind, FindingKind::FileSize);

    Bytes raw = toBytes(body);
    raw.insert(raw.end(), {'T', 'A', 'I', 'L'});
    EXPECT_EQ(serialized(parseCardFile(raw, CardContainer::Raw)), raw);
}

TEST(CardContainer, GmeCopiesAreRefreshedOnlyForChangedFrames) {
    const Bytes card = toBytes(makeFormattedCard());
    CardFile file = makeCardFile(card, CardContainer::Gme);
    Bytes bytes = serialized(file);
    bytes[0x15 + 2] = 0x77;  // a stale copy of frame 2's state
    bytes[0x40 + 256] = 'c'; // a comment
    file = parseCardFile(bytes, CardContainer::Gme);
    const Bytes before = file.card;
    file.card[3 * kFrameSize] = 0x51; // frame 3 changes
    const Bytes after = serialized(file, before);
    EXPECT_EQ(after[0x15 + 3], 0x51);
    EXPECT_EQ(after[0x15 + 2], 0x77);
    EXPECT_EQ(after[0x40 + 256], 'c');
}

TEST(CardContainer, FilesAreReadInTheirContainerAndRawOnlyOnRequest) {
    TempDir dir;
    const std::string body = makeFormattedCard();
    writeBytes(dir.file("raw.gme"), body); // a raw card under a .gme name
    const auto raw = readCardFile(dir.file("raw.gme"), false);
    ASSERT_TRUE(raw.readable);
    EXPECT_EQ(raw.file.container, CardContainer::Raw);

    writeBytes(dir.file("junk.mcr"), "not a card");
    EXPECT_FALSE(readCardFile(dir.file("junk.mcr"), false).readable);
    EXPECT_TRUE(readCardFile(dir.file("junk.mcr"), true).readable);
    EXPECT_FALSE(readCardFile(dir.file("missing.mcr"), true).readable);
}

} // namespace
} // namespace tobrel::cards
