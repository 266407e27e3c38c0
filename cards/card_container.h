#pragma once
// Whole-card files in every container players meet: the raw card (.mcr, .mcd,
// .mc, .srm, .vmc, .bin ...), VGS (.mem, .vgs), DexDrive (.gme) and the signed
// PSP/Vita card (.vmp). The container is told by content, never by the name.
// One table of header fields per container serves reading and writing.

#include "cards/card_check.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tobrel::cards {

enum class CardContainer { Raw, Vgs, Gme, Vmp };

inline constexpr std::size_t kGmeHeaderSize = 3904;
inline constexpr std::size_t kVmpHeaderSize = 0x80;
inline constexpr std::size_t kSeedSize = 20;
inline constexpr std::size_t kSignatureSize = 20;

// The bytes in front of the card in a container, and its file's exact size.
std::size_t containerHeaderSize(CardContainer container);
// The usual extension in lower case without the dot: "mcr", "mem", "gme", "vmp".
std::string_view containerExtension(CardContainer container);
// "raw" "mem" "gme" "vmp" and the raw card's names ("mcr", "mcd", "mc", "srm" ...);
// nothing for any other name.
std::optional<CardContainer> containerFromName(std::string_view name);

// The container the bytes are in: by the header's magic ("VgsM", "123-456-STD",
// "\0PMV"), else a raw card starting "MC". Nothing for anything else.
std::optional<CardContainer> detectCardContainer(std::span<const std::uint8_t> bytes);

// A card file as read: the container's header, the card, and what followed it.
struct CardFile {
    CardContainer container = CardContainer::Raw;
    std::vector<std::uint8_t> header;  // containerHeaderSize bytes, zero-padded
    std::vector<std::uint8_t> card;    // kCardBodySize bytes, zero-padded
    std::vector<std::uint8_t> trailer; // bytes past the card in a long file, kept
    std::uint64_t fileSize = 0;        // as read
    bool signatureValid = true;        // .vmp: the signature checked out
};

// Reads a card from bytes in the given container (missing bytes count as zero).
CardFile parseCardFile(std::span<const std::uint8_t> bytes, CardContainer container);

// A new file of the given container around card, with a fresh header.
CardFile makeCardFile(std::span<const std::uint8_t> card, CardContainer container);

// The file's bytes: the header brought up to date with the card (the .gme
// directory copies, the .vmp signature) and the rest kept as it was. With
// `before` (the card as it was read), a .gme header is refreshed only for the
// directory frames that differ from it. Nothing when the system cannot sign.
std::optional<std::vector<std::uint8_t>>
serializeCardFile(const CardFile& file, std::span<const std::uint8_t> before = {});

// The health check of a card file: size and signature of the container, then
// the card itself.
std::vector<CardFinding> checkCardFileContent(const CardFile& file);

// The signature of a .vmp or .psv file: HMAC-SHA1 over the whole file with
// its signature field taken as zero, under the key derived from its seed.
// Nothing when the system's ciphers fail or the file is too short.
std::optional<std::array<std::uint8_t, kSignatureSize>>
sonySignature(std::span<const std::uint8_t> file, std::size_t seedOffset,
              std::size_t signatureOffset);

// Reading a card file from disk in whichever container it is in; a file that
// is no card (no known magic, no "MC") is read as a raw card when
// rawFallback, and refused otherwise. A given container is taken as it is.
struct CardFileRead {
    bool readable = false;
    std::string error; // Japanese, when not readable
    CardFile file;
};
CardFileRead readCardFile(const std::string& path, bool rawFallback,
                          std::optional<CardContainer> container = std::nullopt);

// Replaces the file at path atomically with the file's bytes; false with a
// Japanese reason when it cannot.
bool writeCardFile(const std::string& path, const CardFile& file, std::string& error,
                   std::span<const std::uint8_t> before = {});

} // namespace tobrel::cards
