#include "cards/save_file.h"

#include "cards/card_check.h"
#include "cards/card_container.h"
#include "cards/card_format.h"

#include <algorithm>
#include <cstring>

namespace tobrel::cards {

namespace {

constexpr std::size_t kDirNameOffset = 0x0A;
constexpr std::size_t kPsxTitleOffset = 0x15;
constexpr std::size_t kPsxTitleSize = kPsxHeaderSize - kPsxTitleOffset;

// The .psv header: fixed fields, written as they are and checked on reading.
struct PsvField {
    std::size_t offset;
    std::uint32_t value;
};
constexpr std::string_view kPsvMagic{"\0VSP", 4};
constexpr std::size_t kPsvSeedOffset = 0x08;
constexpr std::size_t kPsvSignatureOffset = 0x1C;
constexpr std::size_t kPsvTypeOffset = 0x3C;
constexpr std::size_t kPsvSizeOffset = 0x40;
constexpr std::size_t kPsvDataOffsetOffset = 0x44;
constexpr std::size_t kPsvSizeCopyOffset = 0x5C;
constexpr std::size_t kPsvNameOffset = 0x64;
constexpr PsvField kPsvFields[] = {{0x38, 0x14},
                                   {kPsvTypeOffset, 1},
                                   {kPsvDataOffsetOffset, kPsvHeaderSize},
                                   {0x48, 0x200},
                                   {0x60, 0x9003}};

std::uint32_t readU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
    }
    return value;
}

void writeU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// A zero-terminated name inside a field of size bytes.
std::string nameIn(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t size) {
    const char* start = reinterpret_cast<const char*>(bytes.data() + offset);
    return std::string(start, strnlen(start, size));
}

bool hasTitleFrame(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return bytes.size() >= offset + 2 && (bytes[offset] == 'S' || bytes[offset] == 's') &&
           (bytes[offset + 1] == 'C' || bytes[offset + 1] == 'c');
}

// Whole blocks from offset to the end, 1..15 of them; nothing otherwise.
std::optional<int> blocksAfter(std::span<const std::uint8_t> bytes, std::size_t offset) {
    if (bytes.size() <= offset || (bytes.size() - offset) % kBlockSize != 0) {
        return std::nullopt;
    }
    const std::size_t count = (bytes.size() - offset) / kBlockSize;
    if (count < 1 || count > static_cast<std::size_t>(kSaveBlockCount)) {
        return std::nullopt;
    }
    return static_cast<int>(count);
}

SaveFileRead finish(SaveFileRead read, std::span<const std::uint8_t> bytes, std::size_t offset,
                    std::size_t size) {
    if (!isValidSaveName(read.save.name)) {
        read.error = "ｾｰﾌﾞ名が不正です";
        return read;
    }
    read.save.blocks.assign(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                            bytes.begin() + static_cast<std::ptrdiff_t>(offset + size));
    read.ok = true;
    return read;
}

// The Shift-JIS title as ASCII for the .psx header: full-width letters,
// digits and spaces become their ASCII forms, other characters are dropped.
std::string asciiTitle(std::span<const std::uint8_t> block) {
    std::string out;
    for (std::size_t i = kSaveTitleOffset; i < kSaveTitleOffset + 64 && block[i] != 0;) {
        const std::uint8_t lead = block[i];
        if (lead >= 0x20 && lead < 0x7F) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        if (i + 1 >= kSaveTitleOffset + 64) {
            break;
        }
        const unsigned code = (lead << 8) | block[i + 1];
        if (code == 0x8140) {
            out += ' ';
        } else if (code >= 0x824F && code <= 0x8258) {
            out += static_cast<char>('0' + (code - 0x824F));
        } else if (code >= 0x8260 && code <= 0x8279) {
            out += static_cast<char>('A' + (code - 0x8260));
        } else if (code >= 0x8281 && code <= 0x829A) {
            out += static_cast<char>('a' + (code - 0x8281));
        }
        i += (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC) ? 2 : 1;
    }
    if (out.size() >= kPsxTitleSize) {
        out.resize(kPsxTitleSize - 1);
    }
    return out;
}

} // namespace

bool isValidSaveName(std::string_view name) {
    return !name.empty() && name.size() <= kSaveNameMax &&
           std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

std::optional<SaveFormat> saveFormatFromExtension(std::string_view extension) {
    std::string lower(extension);
    for (char& c : lower) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    if (lower == "mcs" || lower == "ps1") {
        return SaveFormat::Mcs;
    }
    if (lower == "psx" || lower == "mcb" || lower == "mcx" || lower == "pda") {
        return SaveFormat::Psx;
    }
    if (lower == "psv") {
        return SaveFormat::Psv;
    }
    if (lower == "raw" || lower.empty()) {
        return SaveFormat::Raw;
    }
    return std::nullopt;
}

std::string_view saveFormatExtension(SaveFormat format) {
    switch (format) {
    case SaveFormat::Mcs:
        return "mcs";
    case SaveFormat::Psx:
        return "psx";
    case SaveFormat::Psv:
        return "psv";
    case SaveFormat::Raw:
        break;
    }
    return "";
}

SaveFileRead parseSaveFile(std::span<const std::uint8_t> bytes, std::string_view fileName) {
    SaveFileRead read;
    if (bytes.size() >= kPsvHeaderSize &&
        std::memcmp(bytes.data(), kPsvMagic.data(), kPsvMagic.size()) == 0) {
        read.format = SaveFormat::Psv;
        if (readU32(bytes, kPsvTypeOffset) != 1) {
            read.error = "PS1のｾｰﾌﾞではありません";
            return read;
        }
        const std::uint32_t size = readU32(bytes, kPsvSizeOffset);
        if (readU32(bytes, kPsvDataOffsetOffset) != kPsvHeaderSize || size == 0 ||
            size % kBlockSize != 0 || size > kSaveBlockCount * kBlockSize ||
            bytes.size() < kPsvHeaderSize + size) {
            read.error = "ﾍｯﾀﾞｰのｻｲｽﾞが不正です";
            return read;
        }
        const auto signature = sonySignature(bytes, kPsvSeedOffset, kPsvSignatureOffset);
        read.signatureValid = signature && std::equal(signature->begin(), signature->end(),
                                                      bytes.begin() + kPsvSignatureOffset);
        read.save.name = nameIn(bytes, kPsvNameOffset, kSaveNameMax + 1);
        return finish(std::move(read), bytes, kPsvHeaderSize, size);
    }
    if (bytes.size() >= kFrameSize && bytes[0] == kDirFirstBlockOfSave &&
        hasTitleFrame(bytes, kFrameSize)) {
        if (const auto count = blocksAfter(bytes, kFrameSize)) {
            read.format = SaveFormat::Mcs;
            read.save.name = nameIn(bytes, kDirNameOffset, kSaveNameMax + 1);
            return finish(std::move(read), bytes, kFrameSize, bytes.size() - kFrameSize);
        }
    }
    if (hasTitleFrame(bytes, kPsxHeaderSize)) {
        if (const auto count = blocksAfter(bytes, kPsxHeaderSize)) {
            read.format = SaveFormat::Psx;
            read.save.name = nameIn(bytes, 0, kPsxTitleOffset);
            return finish(std::move(read), bytes, kPsxHeaderSize, bytes.size() - kPsxHeaderSize);
        }
    }
    if (hasTitleFrame(bytes, 0) && blocksAfter(bytes, 0)) {
        read.format = SaveFormat::Raw;
        read.save.name = std::string(fileName);
        return finish(std::move(read), bytes, 0, bytes.size());
    }
    read.error = "ｾｰﾌﾞﾌｧｲﾙではありません";
    return read;
}

std::optional<std::vector<std::uint8_t>> packSaveFile(const SaveData& save, SaveFormat format) {
    const std::size_t count = save.blocks.size() / kBlockSize;
    if (!isValidSaveName(save.name) || save.blocks.size() % kBlockSize != 0 || count < 1 ||
        count > static_cast<std::size_t>(kSaveBlockCount)) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> header;
    switch (format) {
    case SaveFormat::Mcs:
        // The save's first directory entry as it stands alone: no link onwards.
        header.assign(kFrameSize, 0);
        header[0] = kDirFirstBlockOfSave;
        writeU32(header, kDirLengthOffset, static_cast<std::uint32_t>(save.blocks.size()));
        header[kDirLinkOffset] = 0xFF;
        header[kDirLinkOffset + 1] = 0xFF;
        std::memcpy(header.data() + kDirNameOffset, save.name.data(), save.name.size());
        for (std::size_t i = 0; i < kFrameChecksumOffset; ++i) {
            header[kFrameChecksumOffset] ^= header[i];
        }
        break;
    case SaveFormat::Psx: {
        header.assign(kPsxHeaderSize, 0);
        std::memcpy(header.data(), save.name.data(), save.name.size());
        const auto title = asciiTitle(save.blocks);
        std::memcpy(header.data() + kPsxTitleOffset, title.data(), title.size());
        break;
    }
    case SaveFormat::Psv:
        header.assign(kPsvHeaderSize, 0);
        std::memcpy(header.data(), kPsvMagic.data(), kPsvMagic.size());
        for (const auto& field : kPsvFields) {
            writeU32(header, field.offset, field.value);
        }
        writeU32(header, kPsvSizeOffset, static_cast<std::uint32_t>(save.blocks.size()));
        writeU32(header, kPsvSizeCopyOffset, static_cast<std::uint32_t>(save.blocks.size()));
        std::memcpy(header.data() + kPsvNameOffset, save.name.data(), save.name.size());
        break;
    case SaveFormat::Raw:
        break;
    }
    std::vector<std::uint8_t> bytes = std::move(header);
    bytes.insert(bytes.end(), save.blocks.begin(), save.blocks.end());
    if (format == SaveFormat::Psv) {
        const auto signature = sonySignature(bytes, kPsvSeedOffset, kPsvSignatureOffset);
        if (!signature) {
            return std::nullopt;
        }
        std::copy(signature->begin(), signature->end(), bytes.begin() + kPsvSignatureOffset);
    }
    return bytes;
}

std::string saveFileName(const SaveData& save, SaveFormat format) {
    // Characters no file system takes stand for themselves nowhere: '_'.
    std::string safe = save.name;
    for (char& c : safe) {
        if (std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) {
            c = '_';
        }
    }
    switch (format) {
    case SaveFormat::Psv: {
        static constexpr char digits[] = "0123456789ABCDEF";
        std::string name = safe.substr(0, 12);
        for (std::size_t i = 12; i < save.name.size(); ++i) {
            const auto c = static_cast<unsigned char>(save.name[i]);
            name += digits[c >> 4];
            name += digits[c & 0xF];
        }
        return name + ".PSV";
    }
    case SaveFormat::Raw:
        return safe;
    case SaveFormat::Mcs:
    case SaveFormat::Psx:
        break;
    }
    return safe + "." + std::string(saveFormatExtension(format));
}

} // namespace tobrel::cards
