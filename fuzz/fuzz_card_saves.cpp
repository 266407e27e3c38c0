// Any bytes as a card image, with and without the VGS header. Properties:
// listing and check agree with each other; bytes missing at the end read like
// zero bytes (the same saves, icons and findings, but for the file size); rows
// are numbered blocks in directory order; findings name blocks 0..15.
#include "cards/card_check.h"
#include "cards/card_format.h"
#include "cards/card_saves.h"
#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <string>

using namespace tobrel;

namespace {

bool sameRows(const cards::CardSaves& a, const cards::CardSaves& b) {
    if (a.rows.size() != b.rows.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.rows.size(); ++i) {
        const auto& x = a.rows[i];
        const auto& y = b.rows[i];
        if (x.block != y.block || x.title != y.title || x.blockCount != y.blockCount ||
            x.icon.has_value() != y.icon.has_value()) {
            return false;
        }
        if (x.icon && (x.icon->frameCount != y.icon->frameCount || x.icon->rgba != y.icon->rgba)) {
            return false;
        }
    }
    return true;
}

std::vector<cards::CardFinding> withoutFileSize(std::vector<cards::CardFinding> findings) {
    std::erase_if(findings, [](const cards::CardFinding& f) {
        return f.kind == cards::FindingKind::FileSize;
    });
    return findings;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    static const fuzz::ScratchFile scratch("card");
    fuzz::Input input(data, size);
    const bool vgs = (input.byte() & 1) != 0;
    const std::string_view card = input.rest();
    const std::size_t fullSize = vgs ? cards::kVgsImageSize : cards::kCardBodySize;
    if (card.size() > fullSize + 64) {
        return -1;
    }

    const std::string path = scratch.write("card.bin", card);
    const cards::CardSaves saves = cards::listCardSaves(path, vgs);
    fuzz::require(saves.readable, "a regular file is readable");
    const cards::CardCheck check = cards::checkCardFile(path, vgs);
    fuzz::require(check.readable && check.findings == saves.findings,
                  "listing and check report the same findings");

    int previous = 0;
    for (const auto& row : saves.rows) {
        fuzz::require(row.block > previous && row.block <= cards::kSaveBlockCount,
                      "rows are blocks 1..15 in directory order");
        fuzz::require(row.blockCount != 0, "a listed save has blocks");
        previous = row.block;
    }
    for (const auto& finding : saves.findings) {
        fuzz::require(finding.block >= 0 && finding.block <= cards::kSaveBlockCount,
                      "findings name blocks 0..15");
        fuzz::require(!cards::findingLine(finding).empty(), "every finding has a text");
    }
    const bool sizeFinding =
        std::any_of(saves.findings.begin(), saves.findings.end(),
                    [](const auto& f) { return f.kind == cards::FindingKind::FileSize; });
    fuzz::require(sizeFinding == (card.size() != fullSize), "the size is reported when wrong");

    if (card.size() < fullSize) {
        std::string padded(card);
        padded.resize(fullSize, '\0');
        const cards::CardSaves full = cards::listCardSaves(scratch.write("card.bin", padded), vgs);
        fuzz::require(sameRows(saves, full), "missing bytes list like zero bytes");
        fuzz::require(withoutFileSize(saves.findings) == full.findings,
                      "missing bytes check like zero bytes");
    }
    return 0;
}
