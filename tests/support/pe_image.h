#pragma once
// Test helper: small Windows program files (PE32 or PE32+) with an icon
// resource tree, built byte by byte, and icon images to put in them. The
// builder notes where each structure lies, so tests can damage it on purpose.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tobrel::testing {

struct PeIcon {
    std::uint16_t id;
    int width;
    int height;
    int bitCount;
    std::string data; // the RT_ICON resource: a DIB or a PNG
};

struct PeGroup {
    std::uint16_t id;
    std::vector<std::uint16_t> iconIds;
};

struct PeSpec {
    std::vector<PeIcon> icons;
    std::vector<PeGroup> groups;
    bool pe32Plus = false;
};

struct PeFile {
    std::string bytes;
    std::size_t sectionHeader = 0;                 // the resource section's header
    std::size_t rootDirectory = 0;                 // file offsets of the resource tree's parts
    std::size_t groupDirectory = 0;                // RT_GROUP_ICON's name directory
    std::size_t groupLanguages = 0;                // language directory of the first group
    std::size_t groupDataEntry = 0;                // data entry of the first group
    std::size_t groupData = 0;                     // GRPICONDIR of the first group
    std::map<std::uint16_t, std::size_t> iconData; // by icon ID
};

inline void putLe(std::string& bytes, std::size_t at, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

// An image of an icon: pixels as 0xAARRGGBB, rows top-down.
struct IconPixels {
    int width;
    int height;
    std::vector<std::uint32_t> argb;
};

inline IconPixels makePixels(int width, int height,
                             const std::function<std::uint32_t(int, int)>& pixel) {
    IconPixels image{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.argb.push_back(pixel(x, y));
        }
    }
    return image;
}

// The image as an icon DIB of 8 bits (palette; alpha 0 goes into the mask,
// every other alpha must be 255) or 32 bits (alpha channel, mask from alpha 0).
// withAlpha false writes a 32-bit image whose alpha bytes are all zero, as
// older icons do, with the transparency in the mask alone.
inline std::string makeDib(const IconPixels& image, int bitCount, bool withAlpha = true) {
    std::vector<std::uint32_t> palette;
    std::vector<std::uint8_t> indices;
    if (bitCount == 8) {
        for (std::uint32_t pixel : image.argb) {
            const std::uint32_t rgb = pixel & 0xFFFFFF;
            std::size_t i = 0;
            while (i < palette.size() && palette[i] != rgb) {
                ++i;
            }
            if (i == palette.size()) {
                palette.push_back(rgb);
            }
            indices.push_back(static_cast<std::uint8_t>(i));
        }
    }
    const std::size_t colourStride =
        (static_cast<std::size_t>(image.width) * bitCount + 31) / 32 * 4;
    const std::size_t maskStride = (static_cast<std::size_t>(image.width) + 31) / 32 * 4;
    std::string dib(40 + palette.size() * 4 + (colourStride + maskStride) * image.height, '\0');
    putLe(dib, 0, 40, 4);
    putLe(dib, 4, static_cast<std::uint32_t>(image.width), 4);
    putLe(dib, 8, static_cast<std::uint32_t>(image.height * 2), 4);
    putLe(dib, 12, 1, 2);
    putLe(dib, 14, static_cast<std::uint32_t>(bitCount), 2);
    putLe(dib, 32, palette.size(), 4);
    for (std::size_t i = 0; i < palette.size(); ++i) {
        putLe(dib, 40 + i * 4, palette[i], 4);
    }
    const std::size_t colourAt = 40 + palette.size() * 4;
    const std::size_t maskAt = colourAt + colourStride * image.height;
    for (int y = 0; y < image.height; ++y) {
        const std::size_t row = static_cast<std::size_t>(image.height - 1 - y); // bottom-up
        for (int x = 0; x < image.width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * image.width + x;
            const std::uint32_t pixel = image.argb[i];
            if (bitCount == 8) {
                dib[colourAt + row * colourStride + x] = static_cast<char>(indices[i]);
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
inline std::string makePngHeader(int width, int height) {
    std::string png("\x89PNG\r\n\x1a\n", 8);
    std::string ihdr("\0\0\0\x0dIHDR\0\0\0\0\0\0\0\0\x08\x06\0\0\0\0\0\0\0", 25);
    for (int i = 0; i < 4; ++i) {
        ihdr[8 + i] = static_cast<char>(static_cast<std::uint32_t>(width) >> (24 - 8 * i));
        ihdr[12 + i] = static_cast<char>(static_cast<std::uint32_t>(height) >> (24 - 8 * i));
    }
    return png + ihdr + std::string("\0\0\0\0IEND\xae\x42\x60\x82", 12);
}

inline PeFile buildPe(const PeSpec& spec) {
    constexpr std::size_t kPeAt = 64;
    constexpr std::uint32_t kSectionRva = 0x1000;
    constexpr std::size_t kSectionAt = 0x200;
    const std::size_t optionalSize = spec.pe32Plus ? 240 : 224;
    const std::size_t directoriesAt = spec.pe32Plus ? 112 : 96;

    // The resource tree: root, two type directories, one language directory
    // and one data entry per resource, then the resources' data.
    const bool anyIcons = !spec.icons.empty();
    const bool anyGroups = !spec.groups.empty();
    const std::size_t typeCount = (anyIcons ? 1 : 0) + (anyGroups ? 1 : 0);
    std::size_t cursor = 16 + 8 * typeCount;
    const std::size_t iconDirectory = cursor;
    cursor += anyIcons ? 16 + 8 * spec.icons.size() : 0;
    const std::size_t groupDirectory = cursor;
    cursor += anyGroups ? 16 + 8 * spec.groups.size() : 0;
    const std::size_t resourceCount = spec.icons.size() + spec.groups.size();
    const std::size_t languagesAt = cursor;
    cursor += resourceCount * 24;
    const std::size_t entriesAt = cursor;
    cursor += resourceCount * 16;

    std::vector<std::string> blobs;
    for (const auto& icon : spec.icons) {
        blobs.push_back(icon.data);
    }
    for (const auto& group : spec.groups) {
        std::string dir(6 + 14 * group.iconIds.size(), '\0');
        putLe(dir, 2, 1, 2);
        putLe(dir, 4, group.iconIds.size(), 2);
        for (std::size_t i = 0; i < group.iconIds.size(); ++i) {
            const PeIcon* icon = nullptr;
            for (const auto& candidate : spec.icons) {
                if (candidate.id == group.iconIds[i]) {
                    icon = &candidate;
                }
            }
            const std::size_t at = 6 + i * 14;
            if (icon) {
                dir[at] = static_cast<char>(icon->width & 0xFF);
                dir[at + 1] = static_cast<char>(icon->height & 0xFF);
                putLe(dir, at + 4, 1, 2);
                putLe(dir, at + 6, static_cast<std::uint32_t>(icon->bitCount), 2);
                putLe(dir, at + 8, icon->data.size(), 4);
            }
            putLe(dir, at + 12, group.iconIds[i], 2);
        }
        blobs.push_back(dir);
    }
    std::vector<std::size_t> blobAt;
    for (const auto& blob : blobs) {
        blobAt.push_back(cursor);
        cursor += (blob.size() + 3) / 4 * 4;
    }
    const std::size_t sectionSize = (cursor + 0x1FF) / 0x200 * 0x200;

    PeFile pe;
    std::string& bytes = pe.bytes;
    bytes.assign(kSectionAt + sectionSize, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    putLe(bytes, 0x3C, kPeAt, 4);
    bytes.replace(kPeAt, 4, std::string("PE\0\0", 4));
    putLe(bytes, kPeAt + 4, spec.pe32Plus ? 0x8664 : 0x14c, 2);
    putLe(bytes, kPeAt + 6, 1, 2);
    putLe(bytes, kPeAt + 20, optionalSize, 2);
    const std::size_t optionalAt = kPeAt + 24;
    putLe(bytes, optionalAt, spec.pe32Plus ? 0x20b : 0x10b, 2);
    putLe(bytes, optionalAt + directoriesAt - 4, 16, 4);
    putLe(bytes, optionalAt + directoriesAt + 16, kSectionRva, 4);
    putLe(bytes, optionalAt + directoriesAt + 20, cursor, 4);
    pe.sectionHeader = optionalAt + optionalSize;
    bytes.replace(pe.sectionHeader, 6, ".rsrc");
    putLe(bytes, pe.sectionHeader + 8, cursor, 4);
    putLe(bytes, pe.sectionHeader + 12, kSectionRva, 4);
    putLe(bytes, pe.sectionHeader + 16, sectionSize, 4);
    putLe(bytes, pe.sectionHeader + 20, kSectionAt, 4);

    const auto at = [&](std::size_t offset) { return kSectionAt + offset; };
    const auto directory = [&](std::size_t offset, std::size_t ids) {
        putLe(bytes, at(offset) + 14, ids, 2);
    };
    const auto entry = [&](std::size_t directoryOffset, std::size_t index, std::uint32_t name,
                           std::uint32_t target) {
        putLe(bytes, at(directoryOffset) + 16 + index * 8, name, 4);
        putLe(bytes, at(directoryOffset) + 20 + index * 8, target, 4);
    };
    directory(0, typeCount);
    std::size_t type = 0;
    if (anyIcons) {
        entry(0, type++, 3, 0x80000000u | static_cast<std::uint32_t>(iconDirectory));
        directory(iconDirectory, spec.icons.size());
    }
    if (anyGroups) {
        entry(0, type++, 14, 0x80000000u | static_cast<std::uint32_t>(groupDirectory));
        directory(groupDirectory, spec.groups.size());
    }
    for (std::size_t r = 0; r < resourceCount; ++r) {
        const bool isIcon = r < spec.icons.size();
        const std::size_t languages = languagesAt + r * 24;
        const std::size_t dataEntry = entriesAt + r * 16;
        if (isIcon) {
            entry(iconDirectory, r, spec.icons[r].id,
                  0x80000000u | static_cast<std::uint32_t>(languages));
            pe.iconData[spec.icons[r].id] = at(blobAt[r]);
        } else {
            const std::size_t g = r - spec.icons.size();
            entry(groupDirectory, g, spec.groups[g].id,
                  0x80000000u | static_cast<std::uint32_t>(languages));
            if (g == 0) {
                pe.groupLanguages = at(languages);
                pe.groupDataEntry = at(dataEntry);
                pe.groupData = at(blobAt[r]);
            }
        }
        directory(languages, 1);
        entry(languages, 0, 0x411, static_cast<std::uint32_t>(dataEntry)); // Japanese
        putLe(bytes, at(dataEntry), kSectionRva + blobAt[r], 4);
        putLe(bytes, at(dataEntry) + 4, blobs[r].size(), 4);
        bytes.replace(at(blobAt[r]), blobs[r].size(), blobs[r]);
    }
    pe.rootDirectory = at(0);
    pe.groupDirectory = at(groupDirectory);
    return pe;
}

} // namespace tobrel::testing
