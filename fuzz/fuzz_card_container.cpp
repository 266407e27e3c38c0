// Any bytes as a card file, then one save operation on it. Properties: a file
// in a known container is written back byte for byte as it was read (a .vmp
// with a valid signature included); the live saves' chains never share a
// block; an import, delete or undelete on a sound card leaves it sound, and a
// refused one leaves it as it was; an exported save imports onto a blank card
// and exports again unchanged.
#include "cards/card_check.h"
#include "cards/card_container.h"
#include "cards/card_format.h"
#include "cards/save_manager.h"
#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <array>

using namespace tobrel;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    fuzz::Input input(data, size);
    const unsigned char operation = input.byte();
    const int block = input.byte() % 17;
    const std::string_view rest = input.rest();
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(rest.data()), rest.size());
    if (bytes.size() > cards::kGmeHeaderSize + cards::kCardBodySize + 64) {
        return -1;
    }
    const auto container = cards::detectCardContainer(bytes);
    const cards::CardFile file =
        cards::parseCardFile(bytes, container.value_or(cards::CardContainer::Raw));
    fuzz::require(file.card.size() == cards::kCardBodySize, "the card is whole");
    const auto written = cards::serializeCardFile(file, file.card);
    fuzz::require(written.has_value(), "a card file can be written");
    const std::size_t full = cards::containerHeaderSize(file.container) + cards::kCardBodySize;
    if (container && bytes.size() >= full && file.signatureValid) {
        fuzz::require(std::equal(bytes.begin(), bytes.end(), written->begin(), written->end()),
                      "a whole file is written back as it was read");
    }

    const auto saves = cards::listAllSaves(file.card);
    std::array<bool, cards::kBlockCount> used{};
    for (const auto& save : saves) {
        fuzz::require(save.block >= 1 && save.block <= cards::kSaveBlockCount,
                      "saves start on blocks 1..15");
        fuzz::require(!save.restorable || save.deleted, "only deleted saves are restorable");
        if (save.deleted) {
            continue;
        }
        for (const int n : save.chain) {
            fuzz::require(!used[static_cast<std::size_t>(n)], "live chains share no block");
            used[static_cast<std::size_t>(n)] = true;
        }
    }

    std::vector<std::uint8_t> card = file.card;
    const bool sound = cards::checkCardBody(card).empty();
    cards::SaveEdit edit;
    switch (operation % 3) {
    case 0: {
        std::string error;
        const auto save = cards::exportSave(card, block, &error);
        fuzz::require(save.has_value() != !error.empty(), "an export gives a save or a reason");
        if (!save) {
            return 0;
        }
        fuzz::require(save->blocks.size() % cards::kBlockSize == 0 && save->blockCount() >= 1 &&
                          save->blockCount() <= cards::kSaveBlockCount,
                      "an exported save has 1..15 whole blocks");
        std::vector<std::uint8_t> blank(cards::kCardBodySize, 0);
        blank[0] = 'M';
        blank[1] = 'C';
        blank[0x7F] = 'M' ^ 'C';
        for (int n = 1; n <= cards::kSaveBlockCount; ++n) {
            auto* entry = blank.data() + cards::kFrameSize * static_cast<std::size_t>(n);
            entry[0] = 0xA0;
            entry[8] = entry[9] = 0xFF;
            entry[127] = 0xA0;
        }
        edit = cards::importSave(blank, *save);
        fuzz::require(edit.ok, "an exported save fits a blank card");
        fuzz::require(cards::exportSave(blank, edit.block) == save,
                      "import then export gives it back");
        return 0;
    }
    case 1:
        edit = cards::deleteSave(card, block);
        break;
    case 2:
        edit = cards::undeleteSave(card, block);
        break;
    }
    fuzz::require(edit.ok || card == file.card, "a refused change changes nothing");
    fuzz::require(edit.ok || !edit.error.empty(), "a refusal has a reason");
    if (sound && edit.ok && (operation % 3) == 1) {
        fuzz::require(cards::checkCardBody(card).empty(), "a delete keeps a sound card sound");
    }
    if (sound && edit.ok && (operation % 3) == 2) {
        const auto findings = cards::checkCardBody(card);
        fuzz::require(std::all_of(findings.begin(), findings.end(),
                                  [](const cards::CardFinding& f) {
                                      return f.kind == cards::FindingKind::NoSaveHeader;
                                  }),
                      "an undelete keeps a sound card sound");
    }
    return 0;
}
