#include "cards/card_container.h"

#include "cards/card_format.h"
#include "platform/crypto.h"
#include "platform/files.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tobrel::cards {

namespace {

// A run of bytes every file of a container holds at offset; the first field
// of a layout is the magic that tells the container.
struct FixedField {
    std::size_t offset;
    std::string_view bytes;
};

constexpr FixedField kVgsFields[] = {
    {0, {"VgsM\1\0\0\0\1\0\0\0\1\0\0\0\0\2\0\0", 20}}, // as vgsHeader
};
constexpr FixedField kGmeFields[] = {
    {0x00, {"123-456-STD\0", 12}},
    {0x10, {"\0\0\1\0\1", 5}},
};
constexpr FixedField kVmpFields[] = {
    {0x00, {"\0PMV", 4}},
    {0x04, {"\x80\0\0\0", 4}},
};
constexpr std::size_t kVgsMagicLength = 4; // "VgsM"; the rest of its header varies

// DexDrive's copies of the directory: byte 0 and byte 8 of frames 0..15.
constexpr std::size_t kGmeStateCopies = 0x15;
constexpr std::size_t kGmeLinkCopies = 0x25;
constexpr std::size_t kVmpSeedOffset = 0x0C;
constexpr std::size_t kVmpSignatureOffset = 0x20;

// The card key and mask that every open tool for these files uses.
constexpr platform::AesKey kSonyKey = {0xAB, 0x5A, 0xBC, 0x9F, 0xC1, 0xF4, 0x9D, 0xE6,
                                       0xA0, 0x51, 0xDB, 0xAE, 0xFA, 0x51, 0x88, 0x59};
constexpr platform::AesBlock kSonyMask = {0xB3, 0x0F, 0xFE, 0xED, 0xB7, 0xDC, 0x5E, 0xB7,
                                          0x13, 0x3D, 0xA6, 0x0D, 0x1B, 0x6B, 0x2C, 0xDC};

std::span<const FixedField> fieldsOf(CardContainer container) {
    switch (container) {
    case CardContainer::Raw:
        break;
    case CardContainer::Vgs:
        return kVgsFields;
    case CardContainer::Gme:
        return kGmeFields;
    case CardContainer::Vmp:
        return kVmpFields;
    }
    return {};
}

bool startsWith(std::span<const std::uint8_t> bytes, std::string_view magic) {
    return bytes.size() >= magic.size() &&
           std::memcmp(bytes.data(), magic.data(), magic.size()) == 0;
}

std::string_view magicOf(CardContainer container) {
    const auto fields = fieldsOf(container);
    if (fields.empty()) {
        return kCardSignature;
    }
    const auto magic = fields.front().bytes;
    return container == CardContainer::Vgs ? magic.substr(0, kVgsMagicLength) : magic;
}

void refreshGmeCopies(CardFile& file, std::span<const std::uint8_t> before) {
    for (std::size_t frame = 0; frame < kBlockCount; ++frame) {
        const std::size_t start = frame * kFrameSize;
        if (before.size() == kCardBodySize &&
            std::memcmp(before.data() + start, file.card.data() + start, kFrameSize) == 0) {
            continue;
        }
        file.header[kGmeStateCopies + frame] = file.card[start];
        file.header[kGmeLinkCopies + frame] = file.card[start + kDirLinkOffset];
    }
}

} // namespace

std::size_t containerHeaderSize(CardContainer container) {
    switch (container) {
    case CardContainer::Raw:
        return 0;
    case CardContainer::Vgs:
        return kVgsHeaderSize;
    case CardContainer::Gme:
        return kGmeHeaderSize;
    case CardContainer::Vmp:
        return kVmpHeaderSize;
    }
    return 0;
}

std::string_view containerExtension(CardContainer container) {
    switch (container) {
    case CardContainer::Raw:
        return "mcr";
    case CardContainer::Vgs:
        return "mem";
    case CardContainer::Gme:
        return "gme";
    case CardContainer::Vmp:
        return "vmp";
    }
    return "mcr";
}

std::optional<CardContainer> containerFromName(std::string_view name) {
    std::string lower(name);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    static constexpr std::string_view rawNames[] = {"raw", "mcr", "mcd", "mc",  "srm", "vm1", "vmc",
                                                    "ps",  "psm", "ddf", "mci", "bin", "sav"};
    if (std::find(std::begin(rawNames), std::end(rawNames), lower) != std::end(rawNames)) {
        return CardContainer::Raw;
    }
    if (lower == "mem" || lower == "vgs") {
        return CardContainer::Vgs;
    }
    if (lower == "gme") {
        return CardContainer::Gme;
    }
    if (lower == "vmp") {
        return CardContainer::Vmp;
    }
    return std::nullopt;
}

std::optional<CardContainer> detectCardContainer(std::span<const std::uint8_t> bytes) {
    for (const auto container :
         {CardContainer::Vgs, CardContainer::Gme, CardContainer::Vmp, CardContainer::Raw}) {
        if (startsWith(bytes, magicOf(container))) {
            return container;
        }
    }
    return std::nullopt;
}

CardFile parseCardFile(std::span<const std::uint8_t> bytes, CardContainer container) {
    CardFile file;
    file.container = container;
    file.fileSize = bytes.size();
    const std::size_t headerSize = containerHeaderSize(container);
    const auto piece = [&](std::size_t offset, std::size_t size) {
        std::vector<std::uint8_t> out(size, 0);
        if (offset < bytes.size()) {
            const std::size_t got = std::min(size, bytes.size() - offset);
            std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), got, out.begin());
        }
        return out;
    };
    file.header = piece(0, headerSize);
    file.card = piece(headerSize, kCardBodySize);
    if (bytes.size() > headerSize + kCardBodySize) {
        file.trailer.assign(bytes.begin() + static_cast<std::ptrdiff_t>(headerSize + kCardBodySize),
                            bytes.end());
    }
    if (container == CardContainer::Vmp) {
        // The signature covers the file as the writer made it, padded to its size.
        const std::size_t full = headerSize + kCardBodySize;
        std::vector<std::uint8_t> padded;
        if (bytes.size() < full) {
            padded = file.header;
            padded.insert(padded.end(), file.card.begin(), file.card.end());
        }
        const auto expected = sonySignature(
            bytes.size() < full ? std::span<const std::uint8_t>(padded) : bytes.first(full),
            kVmpSeedOffset, kVmpSignatureOffset);
        file.signatureValid = expected && std::equal(expected->begin(), expected->end(),
                                                     file.header.begin() + kVmpSignatureOffset);
    }
    return file;
}

CardFile makeCardFile(std::span<const std::uint8_t> card, CardContainer container) {
    CardFile file;
    file.container = container;
    file.header.assign(containerHeaderSize(container), 0);
    for (const auto& field : fieldsOf(container)) {
        std::memcpy(file.header.data() + field.offset, field.bytes.data(), field.bytes.size());
    }
    file.card.assign(kCardBodySize, 0);
    std::copy_n(card.begin(), std::min(card.size(), kCardBodySize), file.card.begin());
    file.fileSize = file.header.size() + file.card.size();
    return file;
}

std::optional<std::vector<std::uint8_t>> serializeCardFile(const CardFile& file,
                                                           std::span<const std::uint8_t> before) {
    CardFile out = file;
    out.header.resize(containerHeaderSize(file.container), 0);
    out.card.resize(kCardBodySize, 0);
    if (file.container == CardContainer::Gme) {
        refreshGmeCopies(out, before);
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(out.header.size() + out.card.size() + out.trailer.size());
    bytes.insert(bytes.end(), out.header.begin(), out.header.end());
    bytes.insert(bytes.end(), out.card.begin(), out.card.end());
    if (file.container == CardContainer::Vmp) {
        const auto signature = sonySignature(bytes, kVmpSeedOffset, kVmpSignatureOffset);
        if (!signature) {
            return std::nullopt;
        }
        std::copy(signature->begin(), signature->end(), bytes.begin() + kVmpSignatureOffset);
    }
    bytes.insert(bytes.end(), out.trailer.begin(), out.trailer.end());
    return bytes;
}

std::vector<CardFinding> checkCardFileContent(const CardFile& file) {
    std::vector<CardFinding> findings;
    const std::uint64_t expected = containerHeaderSize(file.container) + kCardBodySize;
    if (file.fileSize != expected) {
        findings.push_back(
            {0, FindingKind::FileSize,
             static_cast<std::uint32_t>(std::min<std::uint64_t>(file.fileSize, UINT32_MAX))});
    }
    if (!file.signatureValid) {
        findings.push_back({0, FindingKind::FileSignature});
    }
    const auto body = checkCardBody(file.card);
    findings.insert(findings.end(), body.begin(), body.end());
    return findings;
}

std::optional<std::array<std::uint8_t, kSignatureSize>>
sonySignature(std::span<const std::uint8_t> file, std::size_t seedOffset,
              std::size_t signatureOffset) {
    if (file.size() < seedOffset + kSeedSize || file.size() < signatureOffset + kSignatureSize) {
        return std::nullopt;
    }
    platform::AesBlock seed{};
    std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(seedOffset), seed.size(), seed.begin());
    const auto decrypted = platform::aes128EcbDecrypt(kSonyKey, seed);
    const auto encrypted = platform::aes128EcbEncrypt(kSonyKey, seed);
    if (!decrypted || !encrypted) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 20> key{};
    for (std::size_t i = 0; i < 16; ++i) {
        key[i] = (*decrypted)[i] ^ kSonyMask[i];
    }
    for (std::size_t i = 0; i < 4; ++i) {
        key[16 + i] = (*encrypted)[i] ^ file[seedOffset + 16 + i];
    }
    static constexpr std::array<std::uint8_t, kSignatureSize> zeros{};
    const std::span<const std::uint8_t> pieces[] = {file.first(signatureOffset), zeros,
                                                    file.subspan(signatureOffset + kSignatureSize)};
    const auto digest = platform::hmacSha1(key, pieces);
    if (!digest) {
        return std::nullopt;
    }
    return *digest;
}

CardFileRead readCardFile(const std::string& path, bool rawFallback,
                          std::optional<CardContainer> container) {
    CardFileRead read;
    int error = 0;
    const auto content = platform::readWholeFile(path, &error);
    if (!content) {
        read.error = "ファイルを読み込めません: " + platform::describeError(error);
        return read;
    }
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(content->data()), content->size());
    if (!container) {
        container = detectCardContainer(bytes);
    }
    if (!container && !rawFallback) {
        read.error = "ﾒﾓﾘｰｶｰﾄﾞのﾌｧｲﾙではありません";
        return read;
    }
    read.file = parseCardFile(bytes, container.value_or(CardContainer::Raw));
    read.readable = true;
    return read;
}

bool writeCardFile(const std::string& path, const CardFile& file, std::string& error,
                   std::span<const std::uint8_t> before) {
    const auto bytes = serializeCardFile(file, before);
    if (!bytes) {
        error = "署名を計算できません";
        return false;
    }
    int errorNumber = 0;
    if (!platform::replaceFileAtomically(
            path, std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
            &errorNumber)) {
        error = "書き込めません: " + platform::describeError(errorNumber);
        return false;
    }
    return true;
}

} // namespace tobrel::cards
