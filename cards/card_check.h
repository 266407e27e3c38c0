#pragma once
// A health check of a card image: the header frame, the directory frames and
// each save's chain of blocks. It only reports; it changes nothing and has no
// say in which saves the viewer lists.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tobrel::cards {

// Directory entry fields of the well-known card layout.
inline constexpr std::uint8_t kDirMiddleBlockOfSave = 0x52;
inline constexpr std::uint8_t kDirLastBlockOfSave = 0x53;
inline constexpr std::uint8_t kDirFreeBlock = 0xA0;
inline constexpr std::uint8_t kDirDeletedFirstBlock = 0xA1;
inline constexpr std::uint8_t kDirDeletedLastBlock = 0xA3;
inline constexpr std::size_t kDirLengthOffset = 4; // 32-bit little-endian byte count
inline constexpr std::size_t kDirLinkOffset = 8;   // 16-bit little-endian: next block - 1
inline constexpr std::uint16_t kDirEndOfChain = 0xFFFF;
inline constexpr std::size_t kFrameChecksumOffset = 127; // XOR of bytes 0..126

enum class FindingKind {
    FileSize,          // detail: the file's size in bytes
    VgsSignature,      // a VGS image without "VgsM"
    CardSignature,     // no "MC" in the header frame: nothing else is checked
    Checksum,          // the frame's byte 127 is not the XOR of the bytes before it
    UnknownState,      // detail: the state byte
    NoSaveHeader,      // a first block of a save without "SC"
    LinkOutOfRange,    // detail: the link field
    LinkToUnusedBlock, // detail: the block linked to, which is not part of a save
    EndMark,           // a last block that links on, or a middle block that ends the chain
    Loop,              // detail: the block of the same chain linked to again
    UsedTwice,         // the block is reached from a second save
    Orphan,            // a middle or last block that no chain reaches
    LengthMismatch,    // detail: the length field; the chain's block count differs
    FileSignature,     // a signed container (.vmp) whose signature does not verify
};

struct CardFinding {
    int block = 0; // 1..15 as the directory frames are numbered; 0 for the header and the file
    FindingKind kind = FindingKind::Checksum;
    std::uint32_t detail = 0;
    friend bool operator==(const CardFinding&, const CardFinding&) = default;
};

// Checks a card body (kCardBodySize bytes). Findings come block by block,
// header first.
std::vector<CardFinding> checkCardBody(std::span<const unsigned char> body);

// Checks an image read from a file of fileSize bytes: the size, with
// vgsLayout the "VgsM" signature, then the card body behind the header.
// image holds the header (vgsLayout) and the body, bytes past the end as zero.
std::vector<CardFinding> checkCardImage(std::span<const unsigned char> image,
                                        std::uint64_t fileSize, bool vgsLayout);

struct CardCheck {
    bool readable = false; // false: the file could not be opened or read
    std::string error;     // a Japanese reason when not readable
    std::vector<CardFinding> findings;
};

CardCheck checkCardFile(const std::string& path, bool vgsLayout);

// What is wrong, in Japanese, e.g. "ﾁｪｯｸｻﾑ不一致".
std::string describeFinding(const CardFinding& finding);
// Where and what, e.g. "ﾌﾞﾛｯｸ3: ﾁｪｯｸｻﾑ不一致", "ﾍｯﾀﾞｰ: ｶｰﾄﾞ署名(MC)なし" or
// "ﾌｧｲﾙ: VGS署名(VgsM)なし".
std::string findingLine(const CardFinding& finding);

} // namespace tobrel::cards
