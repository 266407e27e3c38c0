#include "platform/program_icons.h"
#include "tests/support/pe_image.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tobrel::platform {
namespace {

using namespace tobrel::testing;

// Opaque colours from a small set, with every fifth pixel transparent.
IconPixels paletteImage(int size) {
    return makePixels(size, size, [](int x, int y) {
        const std::uint32_t rgb = 0x203040u * static_cast<std::uint32_t>((x * 3 + y) % 7);
        return (x + y) % 5 == 0 ? rgb : 0xFF000000u | rgb;
    });
}

// Every pixel different, alpha ramping across the row.
IconPixels alphaImage(int size) {
    return makePixels(size, size, [](int x, int y) {
        return static_cast<std::uint32_t>(x * 8 % 256) << 24 | static_cast<std::uint32_t>(x) << 16 |
               static_cast<std::uint32_t>(y) << 8 | static_cast<std::uint32_t>(x ^ y);
    });
}

PeIcon dibIcon(std::uint16_t id, const IconPixels& image, int bits) {
    return {id, image.width, image.height, bits, makeDib(image, bits)};
}

PeIcon pngIcon(std::uint16_t id, int size) {
    return {id, size % 256, size % 256, 32, makePngHeader(size, size)};
}

struct Expected {
    int groupCount;
    int width;
    int height;
    int bitCount;
    bool png;
    std::vector<std::uint32_t> argb; // for DIBs
    std::string pngData;             // for PNGs
};

void expectIcon(const ProgramIcons& icons, const Expected& expected) {
    EXPECT_EQ(icons.groupCount, expected.groupCount);
    ASSERT_TRUE(icons.firstIcon.has_value());
    EXPECT_EQ(icons.firstIcon->width, expected.width);
    EXPECT_EQ(icons.firstIcon->height, expected.height);
    EXPECT_EQ(icons.firstIcon->bitCount, expected.bitCount);
    EXPECT_EQ(icons.firstIcon->png, expected.png);
    EXPECT_EQ(icons.firstIcon->argb, expected.argb);
    EXPECT_EQ(icons.firstIcon->pngData, expected.pngData);
}

struct ReadCase {
    const char* name;
    PeSpec spec;
    Expected expected;
};

TEST(ProgramIcons, ReadsTheBestImageOfTheFirstGroup) {
    const auto small8 = paletteImage(16);
    const auto button8 = paletteImage(32);
    const auto button32 = alphaImage(32);
    const auto large32 = alphaImage(48);
    const std::string png256 = makePngHeader(256, 256);
    const std::string png32 = makePngHeader(32, 32);
    const ReadCase cases[] = {
        {"one group, 8-bit",
         {{dibIcon(1, button8, 8)}, {{1, {1}}}},
         {1, 32, 32, 8, false, button8.argb, {}}},
        {"32x32 at 32 bits wins over smaller, larger and shallower",
         {{dibIcon(1, small8, 8), dibIcon(2, button8, 8), dibIcon(3, button32, 32),
           dibIcon(4, large32, 32)},
          {{7, {1, 2, 4, 3}}}},
         {1, 32, 32, 32, false, button32.argb, {}}},
        {"without a 32x32 image the nearest size",
         {{dibIcon(1, small8, 8), dibIcon(4, large32, 32)}, {{7, {1, 4}}}},
         {1, 48, 48, 32, false, large32.argb, {}}},
        {"several groups: the first one's image",
         {{dibIcon(1, small8, 8), dibIcon(2, button32, 32)}, {{3, {1}}, {5, {2}}, {9, {2}}}},
         {3, 16, 16, 8, false, small8.argb, {}}},
        {"PNG image", {{pngIcon(1, 256)}, {{1, {1}}}}, {1, 256, 256, 32, true, {}, png256}},
        {"PNG at the button's size wins over an 8-bit one",
         {{dibIcon(1, button8, 8), pngIcon(2, 32)}, {{1, {1, 2}}}},
         {1, 32, 32, 32, true, {}, png32}},
        {"PE32+ file",
         {{dibIcon(1, button32, 32)}, {{1, {1}}}, true},
         {1, 32, 32, 32, false, button32.argb, {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectIcon(readProgramIconsFromBytes(buildPe(c.spec).bytes), c.expected);
    }
}

TEST(ProgramIcons, ThirtyTwoBitImageWithoutAlphaTakesItsTransparencyFromTheMask) {
    const auto image = paletteImage(32);
    const PeFile pe = buildPe({{{1, 32, 32, 32, makeDib(image, 32, false)}}, {{1, {1}}}});
    expectIcon(readProgramIconsFromBytes(pe.bytes), {1, 32, 32, 32, false, image.argb, {}});
}

TEST(ProgramIcons, FilesWithoutIconsHaveNone) {
    const std::pair<const char*, std::string> cases[] = {
        {"empty file", ""},
        {"text file", "MZ is how this line starts, but it is no program"},
        {"PE without resources", buildPe({}).bytes},
        {"icon images but no group", buildPe({{dibIcon(1, paletteImage(16), 8)}, {}}).bytes},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        const auto icons = readProgramIconsFromBytes(bytes);
        EXPECT_EQ(icons.groupCount, 0);
        EXPECT_FALSE(icons.firstIcon.has_value());
    }
}

// A valid file with one group of one 32x32 image, to be damaged.
PeFile victim(int bits = 32) {
    return buildPe(
        {{dibIcon(1, bits == 32 ? alphaImage(32) : paletteImage(32), bits)}, {{1, {1}}}});
}

TEST(ProgramIcons, EveryTruncationIsSafeAndLosesTheIconOnceItCutsTheResources) {
    const PeFile pe = victim();
    const std::size_t groupEnd = pe.groupData + 6 + 14; // the last resource data
    for (std::size_t length = 0; length < pe.bytes.size(); ++length) {
        const auto icons = readProgramIconsFromBytes(std::string_view(pe.bytes).substr(0, length));
        ASSERT_EQ(icons.firstIcon.has_value(), length >= groupEnd) << "length " << length;
    }
}

struct Damage {
    const char* name;
    std::function<void(PeFile&)> apply;
    int groupCount; // as counted despite the damage
    bool iconSurvives;
    int bits = 32; // of the damaged file's image
};

TEST(ProgramIcons, CorruptStructuresGiveNoIcon) {
    const auto put = [](std::size_t at, std::uint64_t value, int size) {
        return [at, value, size](PeFile& pe) { putLe(pe.bytes, at, value, size); };
    };
    const PeFile pe = victim();
    const std::size_t dib = pe.iconData.at(1);
    const std::size_t groupEntry = pe.groupDirectory + 16;
    const Damage cases[] = {
        {"group entry loops back to the root", put(groupEntry + 4, 0x80000000u, 4), 1, false},
        {"language entry points at its own directory",
         put(pe.groupLanguages + 20, 0x80000000u | (pe.groupLanguages - pe.rootDirectory), 4), 1,
         false},
        {"type entry points at the root", put(pe.rootDirectory + 16 + 8 + 4, 0x80000000u, 4), 2,
         false},
        {"group directory past the end", put(groupEntry + 4, 0xFFFFFFFFu, 4), 1, false},
        {"group data past the end", put(pe.groupDataEntry, 0xFFFFFF00u, 4), 1, false},
        {"group data longer than the section", put(pe.groupDataEntry + 4, 0xFFFFFFFFu, 4), 1,
         false},
        {"group data before the section", put(pe.groupDataEntry, 0x10, 4), 1, false},
        {"PE header past the end", put(0x3C, 0xFFFFFFF0u, 4), 0, false},
        {"section data past the end", put(pe.sectionHeader + 20, 0x7FFFFFF0u, 4), 0, false},
        {"huge section count", put(64 + 6, 0xFFFF, 2), 0, false},
        {"huge root entry count", put(pe.rootDirectory + 14, 0xFFFF, 2), 0, false},
        {"huge group count", put(pe.groupDirectory + 12, 0xFFFF, 2), 0, false},
        {"huge image count in the group", put(pe.groupData + 4, 0xFFFF, 2), 1, false},
        {"absurd image width", put(dib + 4, 0x7FFFFFFFu, 4), 1, false},
        {"absurd image height", put(dib + 8, 0x80000000u, 4), 1, false},
        {"unknown colour depth", put(dib + 14, 7, 2), 1, false},
        {"palette larger than the depth allows", put(dib + 32, 257, 4), 1, false, 8},
        {"palette past the image's end", put(dib + 32, 256, 4), 1, false, 8},
        {"image data shorter than its rows", [dib](PeFile& p) { putLe(p.bytes, dib + 4, 64, 4); },
         1, false},
        {"section size beyond the file is cut to the file",
         put(pe.sectionHeader + 16, 0xFFFFFFFFu, 4), 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PeFile damaged = victim(c.bits);
        ASSERT_EQ(damaged.iconData.at(1), dib);
        c.apply(damaged);
        const auto icons = readProgramIconsFromBytes(damaged.bytes);
        EXPECT_EQ(icons.groupCount, c.groupCount);
        EXPECT_EQ(icons.firstIcon.has_value(), c.iconSurvives);
    }
}

TEST(ProgramIcons, ReadsOnlyHeadersAndTheResourceSectionAndNothingAboveTheCap) {
    const PeFile pe = victim();
    std::vector<std::pair<std::uint64_t, std::size_t>> requests;
    const ReadAt read = [&](std::uint64_t offset, std::size_t size, std::string& out) {
        requests.emplace_back(offset, size);
        if (offset >= pe.bytes.size()) {
            return false;
        }
        out = pe.bytes.substr(static_cast<std::size_t>(offset), size);
        return out.size() == size;
    };
    ASSERT_TRUE(readProgramIcons(pe.bytes.size(), read).firstIcon.has_value());
    for (const auto& [offset, size] : requests) {
        const bool header = offset + size <= pe.sectionHeader + 40;
        const bool resources = offset >= 0x200 && offset + size <= pe.bytes.size();
        EXPECT_TRUE(header || resources) << offset << "+" << size;
    }

    // A section that claims more than the cap is not read, however large the file says it is.
    PeFile huge = pe;
    putLe(huge.bytes, huge.sectionHeader + 16, kMaxResourceBytes + 1, 4);
    requests.clear();
    const auto icons = readProgramIcons(
        kMaxResourceBytes * 2, [&](std::uint64_t offset, std::size_t size, std::string& out) {
            requests.emplace_back(offset, size);
            if (offset + size > huge.bytes.size()) {
                return false;
            }
            out = huge.bytes.substr(static_cast<std::size_t>(offset), size);
            return true;
        });
    EXPECT_FALSE(icons.firstIcon.has_value());
    for (const auto& request : requests) {
        EXPECT_LE(request.second, kMaxResourceBytes);
    }
}

TEST(ProgramIcons, FromAFile) {
    TempDir dir;
    const PeFile pe = victim();
    writeBytes(dir.file("ｴﾐｭ.EXE"), pe.bytes);
    const auto fromFile = readProgramIcons(dir.file("ｴﾐｭ.EXE"));
    EXPECT_EQ(fromFile.groupCount, 1);
    ASSERT_TRUE(fromFile.firstIcon.has_value());
    EXPECT_EQ(fromFile.firstIcon->argb, alphaImage(32).argb);
    for (const std::string& path : {dir.file("missing.EXE"), dir.file("")}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(readProgramIcons(path).groupCount, 0);
    }
}

} // namespace
} // namespace tobrel::platform
