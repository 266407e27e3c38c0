#include "cards/save_icon.h"
#include "cli/png_writer.h"
#include "tests/support/card_images.h"
#include "tests/support/cli_run.h"
#include "tests/support/temp_dir.h"

#include <QImage>
#include <algorithm>
#include <gtest/gtest.h>

namespace tobrel::testing {
namespace {

// The picture's pixels as RGBA bytes, rows from the top; empty when it cannot be read.
std::vector<std::uint8_t> readPng(const QByteArray& png) {
    QImage image;
    if (!image.loadFromData(png, "PNG")) {
        return {};
    }
    image = image.convertToFormat(QImage::Format_RGBA8888);
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = image.constScanLine(y);
        pixels.insert(pixels.end(), row, row + image.width() * 4);
    }
    return pixels;
}

TEST(PngWriter, QtReadsBackEveryPixelExactly) {
    // The widest picture spans two stored deflate blocks.
    const struct { int width, height; } sizes[] = {{1, 1}, {16, 16}, {3, 7}, {200, 100}};
    for (const auto& size : sizes) {
        std::vector<std::uint8_t> rgba(static_cast<std::size_t>(size.width * size.height * 4));
        for (std::size_t i = 0; i < rgba.size(); ++i) {
            rgba[i] = static_cast<std::uint8_t>(i * 37 + i / 251);
            if (i % 4 == 3 && rgba[i] < 64) {
                rgba[i] = 255; // keep colours of see-through pixels out of the comparison
            }
        }
        const std::string png = cli::encodePng(size.width, size.height, rgba);
        EXPECT_EQ(readPng(QByteArray(png.data(), static_cast<qsizetype>(png.size()))), rgba)
            << size.width << "x" << size.height;
    }
}

TEST(CliSavesIcons, WritesEachSavesIconAndNamesItOnItsLine) {
    TempDir dir;
    std::string body = makeFormattedCard();
    addChainedSave(body, {2, 3}, "PICTURE", 2);
    addChainedSave(body, {5}, "NONE", 1);
    body[5 * cards::kBlockSize + 2] = 0x20; // no icon
    for (std::size_t i = 96; i < 256; ++i) {
        body[2 * cards::kBlockSize + i] = static_cast<char>(i * 11);
    }
    writeBytes(dir.file("CARD.MEM"), makeVgsImage(body));
    const std::string out = dir.file("icons");
    std::filesystem::create_directory(out);

    const auto result = runCli({"saves", "--vgs", "--icons", out, dir.file("CARD.MEM")});
    const std::string png = out + "/CARD_02.png";
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out, "PICTURE\t2\t" + png + "\nNONE\t1\t\n");
    EXPECT_EQ(listFolder(out), std::vector<std::string>{"CARD_02.png"});

    const auto icon = cards::decodeSaveIcon(
        std::span(reinterpret_cast<const unsigned char*>(body.data()) + 2 * cards::kBlockSize,
                  cards::kBlockSize));
    ASSERT_TRUE(icon.has_value());
    const std::string written = readBytes(png);
    auto pixels = readPng(QByteArray(written.data(), static_cast<qsizetype>(written.size())));
    ASSERT_EQ(pixels.size(), icon->rgba.size());
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        if (icon->rgba[i + 3] == 0) { // a see-through pixel's colour does not matter
            std::fill_n(pixels.begin() + static_cast<long>(i), 3, 0);
        }
    }
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), icon->rgba.begin()));

    // A folder that does not exist is made, parents included; one that cannot
    // be made fails the run at once with one message.
    const std::string made = dir.file("new/icons");
    const auto created = runCli({"saves", "--icons", made, dir.file("CARD.MEM")});
    EXPECT_EQ(created.status, 0) << created.out;
    EXPECT_EQ(listFolder(made), std::vector<std::string>{"CARD_02.png"});
    writeBytes(dir.file("plain"), "x");
    const auto blocked =
        runCli({"saves", "--icons", dir.file("plain/icons"), dir.file("CARD.MEM")});
    EXPECT_EQ(blocked.status, 1);
    EXPECT_EQ(blocked.out.rfind(dir.file("plain/icons") + ": ", 0), 0u) << blocked.out;
    EXPECT_EQ(std::count(blocked.out.begin(), blocked.out.end(), '\n'), 1) << blocked.out;
}

} // namespace
} // namespace tobrel::testing
