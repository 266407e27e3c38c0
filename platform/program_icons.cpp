#include "platform/program_icons.h"

#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>

namespace tobrel::platform {
namespace {

constexpr std::uint32_t kRtIcon = 3;
constexpr std::uint32_t kRtGroupIcon = 14;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr int kMaxDibSide = 256;
constexpr std::uint32_t kMaxPngSide = 4096;

std::uint16_t le16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

std::uint32_t le32(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint32_t>(le16(bytes, at)) |
           static_cast<std::uint32_t>(le16(bytes, at + 2)) << 16;
}

std::uint32_t be32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

// Reads a range after checking it against the file's size, so that no
// request ever allocates more than the file holds.
class BoundedReader {
public:
    BoundedReader(std::uint64_t fileSize, const ReadAt& read) : size_(fileSize), read_(read) {}

    std::optional<std::string> read(std::uint64_t offset, std::uint64_t count) const {
        if (offset > size_ || count > size_ - offset) {
            return std::nullopt;
        }
        std::string bytes;
        if (!read_(offset, static_cast<std::size_t>(count), bytes) || bytes.size() != count) {
            return std::nullopt;
        }
        return bytes;
    }
    std::uint64_t size() const { return size_; }

private:
    std::uint64_t size_;
    const ReadAt& read_;
};

// The resource section, read piece by piece as the tree is followed: only the
// directories on the way to the icon and the icon itself, never the whole
// section (which holds every dialog, bitmap and string of the program).
// Offsets in the resource tree count from the root directory; data entries
// give addresses relative to the image.
class ResourceSection {
public:
    struct Entry {
        std::uint32_t name;   // an ID, or a name string's offset with the high bit set
        std::uint32_t target; // a subdirectory's offset with the high bit set, else a data entry's
    };

    ResourceSection(const BoundedReader& file, std::uint64_t start, std::uint64_t size,
                    std::uint32_t sectionRva, std::uint32_t rootOffset)
        : file_(file), start_(start), size_(size), sectionRva_(sectionRva), root_(rootOffset) {}

    // Bytes of the section from offset; nothing when they lie outside it.
    std::optional<std::string> range(std::uint64_t offset, std::uint64_t count) const {
        if (offset > size_ || count > size_ - offset) {
            return std::nullopt;
        }
        return file_.read(start_ + offset, count);
    }

    // The entries of the directory at offset (from the root), when all of them lie in the section.
    std::optional<std::vector<Entry>> directory(std::uint32_t offset) const {
        const std::uint64_t at = std::uint64_t{root_} + offset;
        auto header = range(at, 16);
        if (!header) {
            return std::nullopt;
        }
        const std::uint64_t count = std::uint64_t{le16(*header, 12)} + le16(*header, 14);
        auto table = range(at + 16, count * 8);
        if (!table) {
            return std::nullopt;
        }
        std::vector<Entry> entries;
        entries.reserve(static_cast<std::size_t>(count));
        for (std::size_t i = 0; i < count; ++i) {
            entries.push_back({le32(*table, i * 8), le32(*table, i * 8 + 4)});
        }
        return entries;
    }

    // The data of the first language of a resource whose name entry is given.
    // The tree has exactly three levels, so a subdirectory that points back
    // up the tree cannot lead the reader round in a loop.
    std::optional<std::string> firstLanguageData(const Entry& nameEntry) const {
        if (!(nameEntry.target & kHighBit)) {
            return std::nullopt;
        }
        auto languages = directory(nameEntry.target & ~kHighBit);
        if (!languages || languages->empty() || (languages->front().target & kHighBit)) {
            return std::nullopt;
        }
        auto dataEntry = range(std::uint64_t{root_} + languages->front().target, 16);
        if (!dataEntry) {
            return std::nullopt;
        }
        const std::uint32_t rva = le32(*dataEntry, 0);
        if (rva < sectionRva_) {
            return std::nullopt;
        }
        return range(rva - sectionRva_, le32(*dataEntry, 4));
    }

    // The subdirectory of a type (RT_ICON, RT_GROUP_ICON) at the root.
    std::optional<std::vector<Entry>> typeDirectory(const std::vector<Entry>& root,
                                                    std::uint32_t type) const {
        for (const Entry& entry : root) {
            if (entry.name == type && (entry.target & kHighBit)) {
                return directory(entry.target & ~kHighBit);
            }
        }
        return std::nullopt;
    }

private:
    const BoundedReader& file_;
    std::uint64_t start_;
    std::uint64_t size_;
    std::uint32_t sectionRva_;
    std::uint32_t root_;
};

std::optional<ResourceSection> loadResourceSection(const BoundedReader& file) {
    auto dos = file.read(0, 64);
    if (!dos || dos->compare(0, 2, "MZ") != 0) {
        return std::nullopt;
    }
    const std::uint64_t peOffset = le32(*dos, 0x3C);
    auto pe = file.read(peOffset, 24);
    if (!pe || pe->compare(0, 4, std::string_view("PE\0\0", 4)) != 0) {
        return std::nullopt;
    }
    const std::uint16_t sectionCount = le16(*pe, 6);
    const std::uint16_t optionalSize = le16(*pe, 20);
    auto optional = file.read(peOffset + 24, optionalSize);
    if (!optional || optionalSize < 2) {
        return std::nullopt;
    }
    std::size_t directoryCountAt = 0;
    switch (le16(*optional, 0)) {
    case 0x10b: // PE32
        directoryCountAt = 92;
        break;
    case 0x20b: // PE32+
        directoryCountAt = 108;
        break;
    default:
        return std::nullopt;
    }
    const std::size_t resourceDirectoryAt = directoryCountAt + 4 + 2 * 8;
    if (optionalSize < resourceDirectoryAt + 8 || le32(*optional, directoryCountAt) < 3) {
        return std::nullopt;
    }
    const std::uint32_t resourceRva = le32(*optional, resourceDirectoryAt);
    if (resourceRva == 0) {
        return std::nullopt;
    }
    auto sections = file.read(peOffset + 24 + optionalSize, std::uint64_t{sectionCount} * 40);
    if (!sections) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::uint32_t virtualSize = le32(*sections, i * 40 + 8);
        const std::uint32_t rva = le32(*sections, i * 40 + 12);
        const std::uint32_t rawSize = le32(*sections, i * 40 + 16);
        const std::uint32_t rawPointer = le32(*sections, i * 40 + 20);
        const std::uint64_t extent = std::max(virtualSize, rawSize);
        if (resourceRva < rva || resourceRva - rva >= extent) {
            continue;
        }
        if (rawPointer > file.size()) {
            return std::nullopt;
        }
        // A file cut short keeps what it still holds of the section.
        const std::uint64_t available = std::min<std::uint64_t>(rawSize, file.size() - rawPointer);
        if (available > kMaxResourceBytes || resourceRva - rva >= available) {
            return std::nullopt;
        }
        return ResourceSection(file, rawPointer, available, rva, resourceRva - rva);
    }
    return std::nullopt;
}

struct GroupEntry {
    int width;
    int height;
    int bitCount;
    std::uint16_t id;
};

int bitCountFromColours(int colours) {
    if (colours == 0) {
        return 8; // 256 colours or more
    }
    int bits = 1;
    while ((1 << bits) < colours && bits < 8) {
        ++bits;
    }
    return bits;
}

// Closest to the button's size first; then the deepest colour up to 32 bits;
// then the larger image, which scales down better than a small one scales up.
bool betterForButton(const GroupEntry& a, const GroupEntry& b) {
    const auto distance = [](const GroupEntry& e) {
        return std::abs(e.width - kProgramIconSize) + std::abs(e.height - kProgramIconSize);
    };
    const auto depth = [](const GroupEntry& e) { return e.bitCount <= 32 ? e.bitCount : 0; };
    if (distance(a) != distance(b)) {
        return distance(a) < distance(b);
    }
    if (depth(a) != depth(b)) {
        return depth(a) > depth(b);
    }
    return a.width > b.width;
}

std::optional<std::vector<GroupEntry>> parseGroup(std::string_view group) {
    if (group.size() < 6 || le16(group, 0) != 0 || le16(group, 2) != 1) {
        return std::nullopt;
    }
    const std::size_t count = le16(group, 4);
    if (count == 0 || group.size() < 6 + count * 14) {
        return std::nullopt;
    }
    std::vector<GroupEntry> entries;
    entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = 6 + i * 14;
        const int width = static_cast<unsigned char>(group[at]);
        const int height = static_cast<unsigned char>(group[at + 1]);
        const int bits = le16(group, at + 6);
        entries.push_back(
            {width == 0 ? 256 : width, height == 0 ? 256 : height,
             bits != 0 ? bits : bitCountFromColours(static_cast<unsigned char>(group[at + 2])),
             le16(group, at + 12)});
    }
    return entries;
}

std::optional<IconImage> decodePng(std::string_view data) {
    static constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);
    if (data.size() < 33 || data.substr(0, 8) != kSignature || data.substr(12, 4) != "IHDR") {
        return std::nullopt;
    }
    const std::uint32_t width = be32(data, 16);
    const std::uint32_t height = be32(data, 20);
    if (width == 0 || height == 0 || width > kMaxPngSide || height > kMaxPngSide) {
        return std::nullopt;
    }
    static constexpr int kChannels[7] = {1, 0, 3, 1, 2, 0, 4}; // by PNG colour type
    const unsigned colourType = static_cast<unsigned char>(data[25]);
    const int channels = colourType < 7 ? kChannels[colourType] : 0;
    if (channels == 0) {
        return std::nullopt;
    }
    IconImage image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.bitCount = channels * static_cast<unsigned char>(data[24]);
    image.png = true;
    image.pngData = std::string(data);
    return image;
}

// A device-independent bitmap as icons hold it: BITMAPINFOHEADER, palette,
// colour rows, then the one-bit transparency mask, rows bottom-up, with a
// header height that counts both the colour rows and the mask rows.
std::optional<IconImage> decodeDib(std::string_view data) {
    if (data.size() < 40) {
        return std::nullopt;
    }
    const std::uint32_t headerSize = le32(data, 0);
    const auto width = static_cast<std::int32_t>(le32(data, 4));
    const auto doubledHeight = static_cast<std::int32_t>(le32(data, 8));
    const int bits = le16(data, 14);
    const std::uint32_t compression = le32(data, 16);
    const std::uint32_t coloursUsed = le32(data, 32);
    const int height = doubledHeight / 2;
    if (headerSize < 40 || headerSize > data.size() || width < 1 || width > kMaxDibSide ||
        height < 1 || height > kMaxDibSide || compression != 0) {
        return std::nullopt;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) {
        return std::nullopt;
    }
    const std::uint64_t paletteSize = bits <= 8 ? (coloursUsed != 0 ? coloursUsed : 1u << bits) : 0;
    if (paletteSize > (1u << std::min(bits, 8))) {
        return std::nullopt;
    }
    const std::uint64_t colourStride =
        (std::uint64_t{static_cast<std::uint32_t>(width)} * bits + 31) / 32 * 4;
    const std::uint64_t maskStride = (static_cast<std::uint64_t>(width) + 31) / 32 * 4;
    const std::uint64_t paletteAt = headerSize;
    const std::uint64_t colourAt = paletteAt + paletteSize * 4;
    const std::uint64_t maskAt = colourAt + colourStride * height;
    if (maskAt + maskStride * height > data.size()) {
        return std::nullopt;
    }

    IconImage image;
    image.width = width;
    image.height = height;
    image.bitCount = bits;
    image.argb.resize(static_cast<std::size_t>(width) * height);
    const auto byteAt = [&](std::uint64_t at) { return static_cast<unsigned char>(data[at]); };
    const auto paletteColour = [&](unsigned index) -> std::uint32_t {
        if (index >= paletteSize) {
            return 0xFF000000u;
        }
        const std::uint64_t at = paletteAt + index * 4;
        return 0xFF000000u | std::uint32_t{byteAt(at + 2)} << 16 |
               std::uint32_t{byteAt(at + 1)} << 8 | byteAt(at);
    };
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        const std::uint64_t row = colourAt + colourStride * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            std::uint32_t pixel = 0;
            if (bits == 32) {
                const std::uint64_t at = row + x * 4u;
                pixel = std::uint32_t{byteAt(at + 3)} << 24 | std::uint32_t{byteAt(at + 2)} << 16 |
                        std::uint32_t{byteAt(at + 1)} << 8 | byteAt(at);
                anyAlpha = anyAlpha || (pixel >> 24) != 0;
            } else if (bits == 24) {
                const std::uint64_t at = row + x * 3u;
                pixel = 0xFF000000u | std::uint32_t{byteAt(at + 2)} << 16 |
                        std::uint32_t{byteAt(at + 1)} << 8 | byteAt(at);
            } else {
                const std::uint64_t bitIndex = std::uint64_t{static_cast<unsigned>(x)} * bits;
                const unsigned byte = byteAt(row + bitIndex / 8);
                const unsigned shift = 8 - bits - static_cast<unsigned>(bitIndex % 8);
                pixel = paletteColour(byte >> shift & ((1u << bits) - 1));
            }
            image.argb[static_cast<std::size_t>(y) * width + x] = pixel;
        }
    }
    // Images with an alpha channel carry their transparency there; the others
    // (and 32-bit images whose alpha is all zero) in the mask: 1 = transparent.
    if (bits != 32 || !anyAlpha) {
        for (int y = 0; y < height; ++y) {
            const std::uint64_t row = maskAt + maskStride * (height - 1 - y);
            for (int x = 0; x < width; ++x) {
                const bool transparent = (byteAt(row + x / 8) >> (7 - x % 8)) & 1;
                std::uint32_t& pixel = image.argb[static_cast<std::size_t>(y) * width + x];
                pixel = transparent ? pixel & 0x00FFFFFFu : pixel | 0xFF000000u;
            }
        }
    }
    return image;
}

std::optional<IconImage> decodeIconImage(std::string_view data) {
    if (auto png = decodePng(data)) {
        return png;
    }
    return decodeDib(data);
}

} // namespace

ProgramIcons readProgramIcons(std::uint64_t fileSize, const ReadAt& read) {
    ProgramIcons icons;
    const BoundedReader file(fileSize, read);
    const auto section = loadResourceSection(file);
    if (!section) {
        return icons;
    }
    const auto root = section->directory(0);
    if (!root) {
        return icons;
    }
    const auto groups = section->typeDirectory(*root, kRtGroupIcon);
    if (!groups || groups->empty()) {
        return icons;
    }
    icons.groupCount = static_cast<int>(groups->size());

    const auto groupData = section->firstLanguageData(groups->front());
    const auto images = section->typeDirectory(*root, kRtIcon);
    if (!groupData || !images) {
        return icons;
    }
    auto entries = parseGroup(*groupData);
    if (!entries) {
        return icons;
    }
    std::map<std::uint32_t, ResourceSection::Entry> imagesById;
    for (const auto& image : *images) {
        if (!(image.name & kHighBit)) {
            imagesById.emplace(image.name, image);
        }
    }
    // The best image that can be read; a damaged one gives way to the next best.
    std::stable_sort(entries->begin(), entries->end(), betterForButton);
    for (const GroupEntry& entry : *entries) {
        const auto found = imagesById.find(entry.id);
        if (found == imagesById.end()) {
            continue;
        }
        if (const auto data = section->firstLanguageData(found->second)) {
            if (auto image = decodeIconImage(*data)) {
                icons.firstIcon = std::move(image);
                break;
            }
        }
    }
    return icons;
}

ProgramIcons readProgramIconsFromBytes(std::string_view fileBytes) {
    return readProgramIcons(
        fileBytes.size(), [fileBytes](std::uint64_t offset, std::size_t size, std::string& out) {
            out.assign(fileBytes.substr(static_cast<std::size_t>(offset), size));
            return true;
        });
}

} // namespace tobrel::platform
