#include "cards/card_check.h"

#include "cards/card_format.h"
#include "cards/card_image.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace tobrel::cards {

namespace {

const unsigned char* frameAt(std::span<const unsigned char> body, std::size_t frame) {
    return body.data() + kFrameSize * frame;
}

bool checksumMatches(const unsigned char* frame) {
    unsigned char sum = 0;
    for (std::size_t i = 0; i < kFrameChecksumOffset; ++i) {
        sum ^= frame[i];
    }
    return sum == frame[kFrameChecksumOffset];
}

std::uint16_t linkOf(const unsigned char* entry) {
    return static_cast<std::uint16_t>(entry[kDirLinkOffset] | (entry[kDirLinkOffset + 1] << 8));
}

std::uint32_t lengthOf(const unsigned char* entry) {
    std::uint32_t length = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        length |= static_cast<std::uint32_t>(entry[kDirLengthOffset + i]) << (8 * i);
    }
    return length;
}

bool isKnownState(std::uint8_t state) {
    return (state >= kDirFirstBlockOfSave && state <= kDirLastBlockOfSave) ||
           (state >= kDirFreeBlock && state <= kDirDeletedLastBlock);
}

bool isContinuation(std::uint8_t state) {
    return state == kDirMiddleBlockOfSave || state == kDirLastBlockOfSave;
}

} // namespace

std::vector<CardFinding> checkCardBody(std::span<const unsigned char> body) {
    std::vector<CardFinding> findings;
    if (body.size() < kCardBodySize) {
        return findings;
    }
    const unsigned char* header = frameAt(body, 0);
    if (std::memcmp(header, kCardSignature.data(), kCardSignature.size()) != 0) {
        // Not a card at all: what its directory holds would mean nothing.
        findings.push_back({0, FindingKind::CardSignature});
        return findings;
    }
    if (!checksumMatches(header)) {
        findings.push_back({0, FindingKind::Checksum});
    }

    std::array<std::uint8_t, kBlockCount> state{};
    for (int n = 1; n <= kSaveBlockCount; ++n) {
        const unsigned char* entry = frameAt(body, static_cast<std::size_t>(n));
        state[static_cast<std::size_t>(n)] = entry[0];
        if (!checksumMatches(entry)) {
            findings.push_back({n, FindingKind::Checksum});
        }
        if (!isKnownState(entry[0])) {
            findings.push_back({n, FindingKind::UnknownState, entry[0]});
        }
    }

    // Which save's first block reached each block; 0 for none.
    std::array<int, kBlockCount> owner{};
    for (int first = 1; first <= kSaveBlockCount; ++first) {
        if (state[static_cast<std::size_t>(first)] != kDirFirstBlockOfSave) {
            continue;
        }
        owner[static_cast<std::size_t>(first)] = first;
        const unsigned char* save = body.data() + kBlockSize * static_cast<std::size_t>(first);
        if (std::memcmp(save, kSaveSignature.data(), kSaveSignature.size()) != 0) {
            findings.push_back({first, FindingKind::NoSaveHeader});
        }

        std::array<bool, kBlockCount> inChain{};
        inChain[static_cast<std::size_t>(first)] = true;
        std::uint32_t chainLength = 1;
        bool complete = false;
        for (int current = first;;) {
            const unsigned char* entry = frameAt(body, static_cast<std::size_t>(current));
            const std::uint8_t currentState = state[static_cast<std::size_t>(current)];
            const std::uint16_t link = linkOf(entry);
            if (link == kDirEndOfChain) {
                if (currentState == kDirMiddleBlockOfSave) {
                    findings.push_back({current, FindingKind::EndMark});
                } else {
                    complete = true;
                }
                break;
            }
            if (currentState == kDirLastBlockOfSave) {
                findings.push_back({current, FindingKind::EndMark});
                break;
            }
            if (link >= static_cast<unsigned>(kSaveBlockCount)) {
                findings.push_back({current, FindingKind::LinkOutOfRange, link});
                break;
            }
            const int next = link + 1;
            const auto nextIndex = static_cast<std::size_t>(next);
            if (inChain[nextIndex]) {
                findings.push_back({current, FindingKind::Loop, static_cast<std::uint32_t>(next)});
                break;
            }
            if (state[nextIndex] == kDirFirstBlockOfSave ||
                (isContinuation(state[nextIndex]) && owner[nextIndex] != 0)) {
                findings.push_back({next, FindingKind::UsedTwice});
                break;
            }
            if (!isContinuation(state[nextIndex])) {
                findings.push_back(
                    {current, FindingKind::LinkToUnusedBlock, static_cast<std::uint32_t>(next)});
                break;
            }
            owner[nextIndex] = first;
            inChain[nextIndex] = true;
            ++chainLength;
            current = next;
        }
        const std::uint32_t length = lengthOf(frameAt(body, static_cast<std::size_t>(first)));
        if (complete && length != chainLength * kBlockSize) {
            findings.push_back({first, FindingKind::LengthMismatch, length});
        }
    }

    for (int n = 1; n <= kSaveBlockCount; ++n) {
        const auto index = static_cast<std::size_t>(n);
        if (isContinuation(state[index]) && owner[index] == 0) {
            findings.push_back({n, FindingKind::Orphan});
        }
    }
    std::stable_sort(findings.begin(), findings.end(),
                     [](const CardFinding& a, const CardFinding& b) { return a.block < b.block; });
    return findings;
}

std::vector<CardFinding> checkCardImage(std::span<const unsigned char> image,
                                        std::uint64_t fileSize, bool vgsLayout) {
    std::vector<CardFinding> findings;
    const std::size_t headerSize = vgsLayout ? kVgsHeaderSize : 0;
    if (image.size() < headerSize + kCardBodySize) {
        return findings;
    }
    if (fileSize != headerSize + kCardBodySize) {
        findings.push_back(
            {0, FindingKind::FileSize,
             static_cast<std::uint32_t>(std::min<std::uint64_t>(fileSize, UINT32_MAX))});
    }
    if (vgsLayout && std::memcmp(image.data(), kVgsSignature.data(), kVgsSignature.size()) != 0) {
        findings.push_back({0, FindingKind::VgsSignature});
    }
    auto bodyFindings = checkCardBody(image.subspan(headerSize, kCardBodySize));
    findings.insert(findings.end(), bodyFindings.begin(), bodyFindings.end());
    return findings;
}

CardCheck checkCardFile(const std::string& path, bool vgsLayout) {
    CardCheck check;
    const auto image = readCardImage(path, vgsLayout);
    check.readable = image.readable;
    check.error = image.error;
    if (image.readable) {
        check.findings = checkCardImage(image.bytes, image.fileSize, vgsLayout);
    }
    return check;
}

std::string describeFinding(const CardFinding& finding) {
    char text[96];
    const unsigned detail = finding.detail;
    switch (finding.kind) {
    case FindingKind::FileSize:
        std::snprintf(text, sizeof text, "ﾌｧｲﾙｻｲｽﾞ不正(%u ﾊﾞｲﾄ)", detail);
        return text;
    case FindingKind::VgsSignature:
        return "VGS署名(VgsM)なし";
    case FindingKind::CardSignature:
        return "ｶｰﾄﾞ署名(MC)なし";
    case FindingKind::Checksum:
        return "ﾁｪｯｸｻﾑ不一致";
    case FindingKind::UnknownState:
        std::snprintf(text, sizeof text, "不明な状態(0x%02X)", detail);
        return text;
    case FindingKind::NoSaveHeader:
        return "ｾｰﾌﾞ見出し(SC)なし";
    case FindingKind::LinkOutOfRange:
        std::snprintf(text, sizeof text, "ﾘﾝｸ先が範囲外(0x%04X)", detail);
        return text;
    case FindingKind::LinkToUnusedBlock:
        std::snprintf(text, sizeof text, "ﾘﾝｸ先ﾌﾞﾛｯｸ%uが未使用", detail);
        return text;
    case FindingKind::EndMark:
        return "終端ﾏｰｸ不正";
    case FindingKind::Loop:
        std::snprintf(text, sizeof text, "ﾙｰﾌﾟ(ﾌﾞﾛｯｸ%uへ戻る)", detail);
        return text;
    case FindingKind::UsedTwice:
        return "2つのｾｰﾌﾞが使用";
    case FindingKind::Orphan:
        return "どのｾｰﾌﾞにも属さない";
    case FindingKind::LengthMismatch:
        std::snprintf(text, sizeof text, "ｻｲｽﾞ欄(%u ﾊﾞｲﾄ)がﾌﾞﾛｯｸ数と不一致", detail);
        return text;
    case FindingKind::FileSignature:
        return "ﾌｧｲﾙ署名不一致";
    }
    return "?";
}

std::string findingLine(const CardFinding& finding) {
    const bool aboutFile = finding.kind == FindingKind::FileSize ||
                           finding.kind == FindingKind::VgsSignature ||
                           finding.kind == FindingKind::FileSignature;
    const std::string where = finding.block != 0 ? "ﾌﾞﾛｯｸ" + std::to_string(finding.block)
                              : aboutFile        ? std::string("ﾌｧｲﾙ")
                                                 : std::string("ﾍｯﾀﾞｰ");
    return where + ": " + describeFinding(finding);
}

} // namespace tobrel::cards
