#pragma once
// Test helper: small Windows program files (PE32 or PE32+) with an icon
// resource tree, and icon images to put in them. The builder notes where
// the parts lie, so tests can damage them on purpose.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tobrel::testing {

struct PeLayout {
    std::map<std::uint16_t, std::string> icons;     // RT_ICON data (DIB or PNG) by ID
    std::vector<std::vector<std::uint16_t>> groups; // icon IDs of groups 1, 2, ...
    bool pe32Plus = false;
};

struct PeFile {
    std::string bytes;
    std::size_t sectionHeader = 0;  // file offsets: the resource section's header,
    std::size_t rootDirectory = 0;  // the resource tree's root,
    std::size_t groupDirectory = 0; // RT_GROUP_ICON's directory,
    std::size_t groupLanguages = 0; // the first group's language directory,
    std::size_t groupDataEntry = 0; // its data entry and its GRPICONDIR
    std::size_t groupData = 0;
    std::map<std::uint16_t, std::size_t> iconData;      // each icon's data
    std::map<std::uint16_t, std::size_t> iconDataEntry; // and its data entry
};

inline void putLe(std::string& bytes, std::size_t at, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

inline std::uint32_t getLe(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

// Pixels as 0xAARRGGBB, rows top-down.
struct IconPixels {
    int width;
    int height;
    std::vector<std::uint32_t> argb;
};

inline IconPixels makePixels(int size, const std::function<std::uint32_t(int, int)>& pixel) {
    IconPixels image{size, size, {}};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            image.argb.push_back(pixel(x, y));
        }
    }
    return image;
}

// An icon DIB of 8 bits (palette; alpha 0 goes into the mask, any other alpha
// must be 255) or 32 bits (alpha channel; withAlpha false zeroes it, as older
// icons have it, leaving the transparency to the mask alone).
inline std::string makeDib(const IconPixels& image, int bits, bool withAlpha = true) {
    std::vector<std::uint32_t> palette;
    for (std::uint32_t pixel : image.argb) {
        if (bits == 8 &&
            std::find(palette.begin(), palette.end(), pixel & 0xFFFFFF) == palette.end()) {
            palette.push_back(pixel & 0xFFFFFF);
        }
    }
    const std::size_t colourStride = (static_cast<std::size_t>(image.width) * bits + 31) / 32 * 4;
    const std::size_t maskStride = (static_cast<std::size_t>(image.width) + 31) / 32 * 4;
    const std::size_t colourAt = 40 + palette.size() * 4;
    const std::size_t maskAt = colourAt + colourStride * image.height;
    std::string dib(maskAt + maskStride * image.height, '\0');
    putLe(dib, 0, 40, 4);
    putLe(dib, 4, image.width, 4);
    putLe(dib, 8, image.height * 2, 4);
    putLe(dib, 12, 1, 2);
    putLe(dib, 14, bits, 2);
    putLe(dib, 32, palette.size(), 4);
    for (std::size_t i = 0; i < palette.size(); ++i) {
        putLe(dib, 40 + i * 4, palette[i], 4);
    }
    for (int y = 0; y < image.height; ++y) {
        const std::size_t row = static_cast<std::size_t>(image.height - 1 - y); // bottom-up
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t pixel = image.argb[static_cast<std::size_t>(y * image.width + x)];
            if (bits == 8) {
                const auto index = std::find(palette.begin(), palette.end(), pixel & 0xFFFFFF);
                dib[colourAt + row * colourStride + x] = static_cast<char>(index - palette.begin());
            } else {
                putLe(dib, colourAt + row * colourStride + x * 4u,
                      withAlpha ? pixel : pixel & 0xFFFFFF, 4);
            }
            if ((pixel >> 24) == 0) {
                dib[maskAt + row * maskStride + x / 8] |= static_cast<char>(0x80 >> (x % 8));
            }
        }
    }
    return dib;
}

// The start of a PNG file: signature and IHDR (8-bit RGBA), then IEND.
inline std::string makePngHeader(int size) {
    std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\0\0\0\0\0\x08\x06\0\0\0\0\0\0\0", 33);
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = png[20 + i] =
            static_cast<char>(static_cast<std::uint32_t>(size) >> (24 - 8 * i));
    }
    return png + std::string("\0\0\0\0IEND\xae\x42\x60\x82", 12);
}

inline PeFile buildPe(const PeLayout& layout) {
    constexpr std::size_t kPeAt = 64, kSectionAt = 0x200;
    constexpr std::uint32_t kSectionRva = 0x1000, kDir = 0x80000000u;
    const std::size_t optionalSize = layout.pe32Plus ? 240 : 224;
    const std::size_t directoriesAt = kPeAt + 24 + (layout.pe32Plus ? 112 : 96);

    // The icons, then the groups' GRPICONDIRs, sizes and depths taken from the images.
    struct Resource {
        bool group;
        std::uint16_t id;
        std::string data;
    };
    std::vector<Resource> resources;
    for (const auto& [id, data] : layout.icons) {
        resources.push_back({false, id, data});
    }
    for (std::size_t g = 0; g < layout.groups.size(); ++g) {
        std::string dir(6 + 14 * layout.groups[g].size(), '\0');
        putLe(dir, 2, 1, 2);
        putLe(dir, 4, layout.groups[g].size(), 2);
        for (std::size_t i = 0; i < layout.groups[g].size(); ++i) {
            const std::uint16_t id = layout.groups[g][i];
            const std::string& icon =
                layout.icons.count(id) ? layout.icons.at(id) : std::string(40, '\0');
            const bool png = icon[0] == '\x89';
            const std::uint32_t side =
                png ? getLe(icon, 19, 1) | getLe(icon, 18, 1) << 8 : getLe(icon, 4, 4);
            dir[6 + i * 14] = dir[7 + i * 14] = static_cast<char>(side & 0xFF);
            putLe(dir, 12 + i * 14, png ? 32 : getLe(icon, 14, 2), 2);
            putLe(dir, 14 + i * 14, icon.size(), 4);
            putLe(dir, 18 + i * 14, id, 2);
        }
        resources.push_back({true, static_cast<std::uint16_t>(g + 1), dir});
    }

    // Root, the two type directories, then a language directory and a data
    // entry per resource, then the data.
    const std::size_t types = (layout.icons.empty() ? 0 : 1) + (layout.groups.empty() ? 0 : 1);
    const std::size_t iconDir = 16 + 8 * types;
    const std::size_t groupDir =
        iconDir + (layout.icons.empty() ? 0 : 16 + 8 * layout.icons.size());
    const std::size_t languagesAt =
        groupDir + (layout.groups.empty() ? 0 : 16 + 8 * layout.groups.size());
    const std::size_t entriesAt = languagesAt + 24 * resources.size();
    std::size_t end = entriesAt + 16 * resources.size();
    std::vector<std::size_t> dataAt;
    for (const auto& resource : resources) {
        dataAt.push_back(end);
        end += (resource.data.size() + 3) / 4 * 4;
    }
    const std::size_t sectionSize = (end + 0x1FF) / 0x200 * 0x200;

    PeFile pe;
    std::string& b = pe.bytes;
    b.assign(kSectionAt + sectionSize, '\0');
    b.replace(0, 2, "MZ");
    putLe(b, 0x3C, kPeAt, 4);
    b.replace(kPeAt, 4, std::string("PE\0\0", 4));
    putLe(b, kPeAt + 4, layout.pe32Plus ? 0x8664 : 0x14c, 2);
    putLe(b, kPeAt + 6, 1, 2);
    putLe(b, kPeAt + 20, optionalSize, 2);
    putLe(b, kPeAt + 24, layout.pe32Plus ? 0x20b : 0x10b, 2);
    putLe(b, directoriesAt - 4, 16, 4);
    putLe(b, directoriesAt + 16, kSectionRva, 4);
    putLe(b, directoriesAt + 20, end, 4);
    pe.sectionHeader = kPeAt + 24 + optionalSize;
    putLe(b, pe.sectionHeader + 8, end, 4);
    putLe(b, pe.sectionHeader + 12, kSectionRva, 4);
    putLe(b, pe.sectionHeader + 16, sectionSize, 4);
    putLe(b, pe.sectionHeader + 20, kSectionAt, 4);

    std::map<std::size_t, std::size_t> filled; // entries written per directory
    const auto entry = [&](std::size_t dir, std::uint32_t name, std::uint32_t target) {
        const std::size_t at = kSectionAt + dir + 16 + 8 * filled[dir]++;
        putLe(b, kSectionAt + dir + 14, filled[dir], 2);
        putLe(b, at, name, 4);
        putLe(b, at + 4, target, 4);
    };
    if (!layout.icons.empty()) {
        entry(0, 3, kDir | static_cast<std::uint32_t>(iconDir));
    }
    if (!layout.groups.empty()) {
        entry(0, 14, kDir | static_cast<std::uint32_t>(groupDir));
    }
    for (std::size_t r = 0; r < resources.size(); ++r) {
        const std::size_t languages = languagesAt + 24 * r, dataEntry = entriesAt + 16 * r;
        entry(resources[r].group ? groupDir : iconDir, resources[r].id,
              kDir | static_cast<std::uint32_t>(languages));
        entry(languages, 0x411, static_cast<std::uint32_t>(dataEntry)); // Japanese
        putLe(b, kSectionAt + dataEntry, kSectionRva + dataAt[r], 4);
        putLe(b, kSectionAt + dataEntry + 4, resources[r].data.size(), 4);
        b.replace(kSectionAt + dataAt[r], resources[r].data.size(), resources[r].data);
        if (!resources[r].group) {
            pe.iconData[resources[r].id] = kSectionAt + dataAt[r];
            pe.iconDataEntry[resources[r].id] = kSectionAt + dataEntry;
        } else if (resources[r].id == 1) {
            pe.groupLanguages = kSectionAt + languages;
            pe.groupDataEntry = kSectionAt + dataEntry;
            pe.groupData = kSectionAt + dataAt[r];
        }
    }
    pe.rootDirectory = kSectionAt;
    pe.groupDirectory = kSectionAt + groupDir;
    return pe;
}

} // namespace tobrel::testing
