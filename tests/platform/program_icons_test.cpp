#include "platform/program_icons.h"
#include "tests/support/pe_image.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tobrel::platform {
namespace {

using namespace tobrel::testing;

// Opaque colours from a small set, every fifth pixel transparent.
IconPixels paletteImage(int size) {
    return makePixels(size, [](int x, int y) {
        const std::uint32_t rgb = 0x203040u * static_cast<std::uint32_t>((x * 3 + y) % 7);
        return (x + y) % 5 == 0 ? rgb : 0xFF000000u | rgb;
    });
}

// Every pixel different, alpha ramping across the row.
IconPixels alphaImage(int size) {
    return makePixels(size, [](int x, int y) {
        const auto u = [](int v) { return static_cast<std::uint32_t>(v); };
        return u(x * 8 % 256) << 24 | u(x) << 16 | u(y) << 8 | u(x ^ y);
    });
}

struct ReadCase {
    const char* name;
    PeLayout layout;
    int groupCount;
    int size;
    int bitCount;
    std::vector<std::uint32_t> argb; // empty for a PNG
};

TEST(ProgramIcons, ReadsTheBestImageOfTheFirstGroup) {
    const auto small8 = paletteImage(16), button8 = paletteImage(32);
    const auto button32 = alphaImage(32), large32 = alphaImage(48);
    const ReadCase cases[] = {
        {"one group, 8-bit", {{{1, makeDib(button8, 8)}}, {{1}}}, 1, 32, 8, button8.argb},
        {"32x32 at 32 bits wins over smaller, larger and shallower",
         {{{1, makeDib(small8, 8)},
           {2, makeDib(button8, 8)},
           {3, makeDib(button32, 32)},
           {4, makeDib(large32, 32)}},
          {{1, 2, 4, 3}}},
         1,
         32,
         32,
         button32.argb},
        {"nearest size without a 32x32 image",
         {{{1, makeDib(small8, 8)}, {4, makeDib(large32, 32)}}, {{1, 4}}},
         1,
         48,
         32,
         large32.argb},
        {"several groups: the first one's image",
         {{{1, makeDib(small8, 8)}, {2, makeDib(button32, 32)}}, {{1}, {2}, {2}}},
         3,
         16,
         8,
         small8.argb},
        {"alpha all zero: transparency from the mask",
         {{{1, makeDib(button8, 32, false)}}, {{1}}},
         1,
         32,
         32,
         button8.argb},
        {"PE32+", {{{1, makeDib(button32, 32)}}, {{1}}, true}, 1, 32, 32, button32.argb},
        {"PNG", {{{1, makePngHeader(256)}}, {{1}}}, 1, 256, 32, {}},
        {"PNG of the button's size wins over 8 bits",
         {{{1, makeDib(button8, 8)}, {2, makePngHeader(32)}}, {{1, 2}}},
         1,
         32,
         32,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto icons = readProgramIconsFromBytes(buildPe(c.layout).bytes);
        EXPECT_EQ(icons.groupCount, c.groupCount);
        ASSERT_TRUE(icons.firstIcon.has_value());
        EXPECT_EQ(icons.firstIcon->width, c.size);
        EXPECT_EQ(icons.firstIcon->height, c.size);
        EXPECT_EQ(icons.firstIcon->bitCount, c.bitCount);
        EXPECT_EQ(icons.firstIcon->argb, c.argb);
        EXPECT_EQ(icons.firstIcon->png, c.argb.empty());
        EXPECT_EQ(icons.firstIcon->pngData, c.argb.empty() ? makePngHeader(c.size) : "");
    }
}

TEST(ProgramIcons, FilesWithoutIconsHaveNone) {
    for (const std::string& bytes :
         {std::string(), std::string("MZ is how this line starts"), buildPe({}).bytes,
          buildPe({{{1, makeDib(paletteImage(16), 8)}}, {}}).bytes}) {
        const auto icons = readProgramIconsFromBytes(bytes);
        EXPECT_EQ(icons.groupCount, 0) << bytes.size();
        EXPECT_FALSE(icons.firstIcon.has_value()) << bytes.size();
    }
}

// A valid file with one group of one 32x32 image, to be damaged.
PeFile victim(int bits = 32) {
    return buildPe({{{1, makeDib(bits == 32 ? alphaImage(32) : paletteImage(32), bits)}}, {{1}}});
}

TEST(ProgramIcons, EveryTruncationIsSafeAndLosesTheIconOnceItCutsTheResources) {
    const PeFile pe = victim();
    const std::size_t groupEnd = pe.groupData + 6 + 14; // the last resource data
    for (std::size_t length = 0; length < pe.bytes.size(); ++length) {
        const auto icons = readProgramIconsFromBytes(std::string_view(pe.bytes).substr(0, length));
        ASSERT_EQ(icons.firstIcon.has_value(), length >= groupEnd) << "length " << length;
    }
}

TEST(ProgramIcons, CorruptStructuresGiveNoIcon) {
    const PeFile pe = victim();
    const std::size_t dib = pe.iconData.at(1), group = pe.groupDirectory + 16;
    // The image's data entry and sizes. More data (the group's) follows the
    // image inside the section, so a reader that ignored the image's own end
    // would find bytes there and show an icon.
    const std::size_t imageEntry = pe.iconDataEntry.at(1);
    const auto imageSize8 = getLe(victim(8).bytes, imageEntry + 4, 4);
    const auto toSectionEnd = static_cast<std::uint32_t>(pe.bytes.size() - dib);
    const std::uint32_t maskRow = 4; // a 32-pixel row of the one-bit mask
    const struct {
        const char* name;
        std::size_t at;
        std::uint32_t value;
        int size;
        int groupCount; // as counted despite the damage
        bool iconSurvives = false;
        int bits = 32; // of the damaged file's image
    } cases[] = {
        {"group entry loops back to the root", group + 4, 0x80000000u, 4, 1},
        {"language entry points at its own directory", pe.groupLanguages + 20,
         static_cast<std::uint32_t>(0x80000000u | (pe.groupLanguages - pe.rootDirectory)), 4, 1},
        {"type entry points at the root", pe.rootDirectory + 28, 0x80000000u, 4, 2},
        {"group directory past the end", group + 4, 0xFFFFFFFFu, 4, 1},
        {"group data past the end", pe.groupDataEntry, 0xFFFFFF00u, 4, 1},
        {"group data longer than the section", pe.groupDataEntry + 4, 0xFFFFFFFFu, 4, 1},
        {"group data before the section", pe.groupDataEntry, 0x10, 4, 1},
        {"PE header past the end", 0x3C, 0xFFFFFFF0u, 4, 0},
        {"section data past the end", pe.sectionHeader + 20, 0x7FFFFFF0u, 4, 0},
        {"huge section count", 64 + 6, 0xFFFF, 2, 0},
        {"huge root entry count", pe.rootDirectory + 14, 0xFFFF, 2, 0},
        {"huge group count", pe.groupDirectory + 12, 0xFFFF, 2, 0},
        {"huge image count in the group", pe.groupData + 4, 0xFFFF, 2, 1},
        {"absurd image width", dib + 4, 0x7FFFFFFFu, 4, 1},
        {"negative image height", dib + 8, 0x80000000u, 4, 1},
        {"image rows longer than its data", dib + 4, 64, 4, 1},
        {"unknown colour depth", dib + 14, 7, 2, 1},
        {"palette larger than the depth allows", dib + 32, 257, 4, 1, false, 8},
        {"palette past the image's end", dib + 32, 256, 4, 1, false, 8},
        {"image data one byte past the section", imageEntry + 4, toSectionEnd + 1, 4, 1},
        {"image data up to the section's end is read", imageEntry + 4, toSectionEnd, 4, 1, true},
        {"image ends inside its mask", imageEntry + 4, imageSize8 - 1, 4, 1, false, 8},
        {"image ends one mask row early", imageEntry + 4, imageSize8 - maskRow, 4, 1, false, 8},
        {"image whose mask is whole is read", imageEntry + 4, imageSize8, 4, 1, true, 8},
        {"section size beyond the file is cut to the file", pe.sectionHeader + 16, 0xFFFFFFFFu, 4,
         1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PeFile damaged = victim(c.bits);
        ASSERT_EQ(damaged.iconData.at(1), dib);
        putLe(damaged.bytes, c.at, c.value, c.size);
        const auto icons = readProgramIconsFromBytes(damaged.bytes);
        EXPECT_EQ(icons.groupCount, c.groupCount);
        EXPECT_EQ(icons.firstIcon.has_value(), c.iconSurvives);
    }
}

TEST(ProgramIcons, ReadsOnlyHeadersAndTheResourceSectionAndNothingAboveTheCap) {
    PeFile pe = victim();
    std::vector<std::pair<std::uint64_t, std::size_t>> requests;
    const ReadAt read = [&](std::uint64_t offset, std::size_t size, std::string& out) {
        requests.emplace_back(offset, size);
        out = pe.bytes.substr(std::min<std::size_t>(offset, pe.bytes.size()), size);
        return out.size() == size;
    };
    ASSERT_TRUE(readProgramIcons(pe.bytes.size(), read).firstIcon.has_value());
    for (const auto& [offset, size] : requests) {
        EXPECT_TRUE(offset + size <= pe.sectionHeader + 40 || offset >= 0x200) << offset;
    }
    // A section that claims more than the cap is not read, however large the file says it is.
    putLe(pe.bytes, pe.sectionHeader + 16, kMaxResourceBytes + 1, 4);
    requests.clear();
    EXPECT_FALSE(readProgramIcons(kMaxResourceBytes * 2, read).firstIcon.has_value());
    for (const auto& request : requests) {
        EXPECT_LE(request.second, 4096u);
    }
}

TEST(ProgramIcons, ReadsTheWayToTheIconNotTheWholeResourceSection) {
    PeFile pe = victim();
    // Other resources (dialogs, bitmaps) make the section a megabyte larger.
    constexpr std::size_t kOther = 1 << 20;
    pe.bytes.append(kOther, '\x5A');
    putLe(pe.bytes, pe.sectionHeader + 16, getLe(pe.bytes, pe.sectionHeader + 16, 4) + kOther, 4);
    std::size_t requested = 0;
    const ReadAt read = [&](std::uint64_t offset, std::size_t size, std::string& out) {
        requested += size;
        out = pe.bytes.substr(std::min<std::size_t>(offset, pe.bytes.size()), size);
        return out.size() == size;
    };
    const auto icons = readProgramIcons(pe.bytes.size(), read);
    ASSERT_TRUE(icons.firstIcon.has_value());
    EXPECT_EQ(icons.firstIcon->argb, alphaImage(32).argb);
    EXPECT_LT(requested, pe.bytes.size() - kOther);
}

TEST(ProgramIcons, FromAFile) {
    TempDir dir;
    writeBytes(dir.file("ｴﾐｭ.EXE"), victim().bytes);
    const auto icons = readProgramIcons(dir.file("ｴﾐｭ.EXE"));
    EXPECT_EQ(icons.groupCount, 1);
    ASSERT_TRUE(icons.firstIcon.has_value());
    EXPECT_EQ(icons.firstIcon->argb, alphaImage(32).argb);
    EXPECT_EQ(readProgramIcons(dir.file("missing.EXE")).groupCount, 0);
    EXPECT_EQ(readProgramIcons(dir.file("")).groupCount, 0); // a folder
}

} // namespace
} // namespace tobrel::platform
