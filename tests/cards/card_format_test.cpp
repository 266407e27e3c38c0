#include "cards/card_format.h"
#include "tests/support/card_images.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tobrel::cards {
namespace {

using namespace tobrel::testing;

TEST(VgsHeader, IsTheDocumentedSixtyFourBytes) {
    const std::string header = vgsHeaderBytes();
    ASSERT_EQ(header.size(), 64u);
    EXPECT_EQ(header.substr(0, 4), "VgsM");
    EXPECT_EQ(header.substr(4, 16), std::string("\1\0\0\0\1\0\0\0\1\0\0\0\0\2\0\0", 16));
    EXPECT_EQ(header.substr(20), std::string(44, '\0'));
}

TEST(CardSignature, ComparesExactlyAndIgnoresSize) {
    TempDir dir;
    const auto card = dir.file("a.mcd");
    writeBytes(card, makeCardBody());
    EXPECT_TRUE(hasCardSignature(card, false));
    EXPECT_FALSE(hasCardSignature(card, true));

    const auto lower = dir.file("b");
    writeBytes(lower, "mc" + std::string(100, '\0'));
    EXPECT_FALSE(hasCardSignature(lower, false));
    writeBytes(lower, "vgsm");
    EXPECT_FALSE(hasCardSignature(lower, true));

    const auto shortFile = dir.file("c");
    writeBytes(shortFile, "Vgs");
    EXPECT_FALSE(hasCardSignature(shortFile, true));
    writeBytes(shortFile, "M");
    EXPECT_FALSE(hasCardSignature(shortFile, false));
    EXPECT_FALSE(hasCardSignature(dir.file("missing"), false));
}

TEST(CardSignature, SlotValidityNeedsSignatureAndExactSize) {
    TempDir dir;
    const auto vgsButCardSized = dir.file("x.MEM");
    writeBytes(vgsButCardSized, "VgsM" + std::string(kCardBodySize - 4, '\0'));
    EXPECT_TRUE(hasCardSignature(vgsButCardSized, true));
    EXPECT_FALSE(isValidVgsImage(vgsButCardSized));

    const auto foreignHeader = dir.file("y.MEM");
    std::string image = makeVgsImage(makeCardBody());
    image[10] = '\x55';
    image[40] = '\x7F';
    writeBytes(foreignHeader, image);
    EXPECT_TRUE(isValidVgsImage(foreignHeader));

    const auto longCard = dir.file("z.MCD");
    writeBytes(longCard, makeCardBody() + "!");
    EXPECT_FALSE(isValidBleemImage(longCard));
    writeBytes(longCard, makeCardBody());
    EXPECT_TRUE(isValidBleemImage(longCard));
}

} // namespace
} // namespace tobrel::cards
