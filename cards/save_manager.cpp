#include "cards/save_manager.h"

#include "cards/card_check.h"
#include "cards/card_format.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>

namespace tobrel::cards {

namespace {

constexpr std::size_t kDirNameOffset = 0x0A;
constexpr std::uint8_t kDeletedOffset = kDirDeletedFirstBlock - kDirFirstBlockOfSave; // 0x50

std::uint8_t* entryOf(std::span<std::uint8_t> card, int block) {
    return card.data() + kFrameSize * static_cast<std::size_t>(block);
}
const std::uint8_t* entryOf(std::span<const std::uint8_t> card, int block) {
    return card.data() + kFrameSize * static_cast<std::size_t>(block);
}

std::uint8_t stateOf(std::span<const std::uint8_t> card, int block) {
    return entryOf(card, block)[0];
}

void seal(std::uint8_t* entry) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < kFrameChecksumOffset; ++i) {
        sum ^= entry[i];
    }
    entry[kFrameChecksumOffset] = sum;
}

std::string nameOf(std::span<const std::uint8_t> card, int block) {
    const char* name = reinterpret_cast<const char*>(entryOf(card, block) + kDirNameOffset);
    return std::string(name, strnlen(name, kSaveNameMax + 1));
}

bool isCard(std::span<const std::uint8_t> card) {
    return card.size() == kCardBodySize &&
           std::memcmp(card.data(), kCardSignature.data(), kCardSignature.size()) == 0;
}

// The chain of the save starting at first, walked through the links: a first
// entry (51h, or A1h when deleted), middle entries and a last one that ends it
// (a lone first entry ending it is a one-block save). Nothing when a link
// leaves the card, loops, reaches an entry of another kind or ends early.
std::optional<std::vector<int>> walkChain(std::span<const std::uint8_t> card, int first,
                                          bool deleted) {
    const std::uint8_t shift = deleted ? kDeletedOffset : 0;
    if (stateOf(card, first) != kDirFirstBlockOfSave + shift) {
        return std::nullopt;
    }
    std::vector<int> chain{first};
    std::array<bool, kBlockCount> seen{};
    seen[static_cast<std::size_t>(first)] = true;
    for (int current = first;;) {
        const std::uint8_t* entry = entryOf(card, current);
        const std::uint16_t link =
            static_cast<std::uint16_t>(entry[kDirLinkOffset] | (entry[kDirLinkOffset + 1] << 8));
        const std::uint8_t state = entry[0];
        if (link == kDirEndOfChain) {
            return state == kDirMiddleBlockOfSave + shift ? std::nullopt : std::optional(chain);
        }
        if (state == kDirLastBlockOfSave + shift || link >= kSaveBlockCount) {
            return std::nullopt;
        }
        const int next = link + 1;
        const std::uint8_t nextState = stateOf(card, next);
        if (seen[static_cast<std::size_t>(next)] || (nextState != kDirMiddleBlockOfSave + shift &&
                                                     nextState != kDirLastBlockOfSave + shift)) {
            return std::nullopt;
        }
        seen[static_cast<std::size_t>(next)] = true;
        chain.push_back(next);
        current = next;
    }
}

bool liveNameTaken(std::span<const std::uint8_t> card, std::string_view name) {
    for (int n = 1; n <= kSaveBlockCount; ++n) {
        if (stateOf(card, n) == kDirFirstBlockOfSave && nameOf(card, n) == name) {
            return true;
        }
    }
    return false;
}

// Moves every block of a chain between the live and the deleted states.
void shiftStates(std::span<std::uint8_t> card, const std::vector<int>& chain, bool toDeleted) {
    for (const int block : chain) {
        std::uint8_t* entry = entryOf(card, block);
        entry[0] = static_cast<std::uint8_t>(toDeleted ? entry[0] + kDeletedOffset
                                                       : entry[0] - kDeletedOffset);
        seal(entry);
    }
}

void writeU32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void freeEntry(std::uint8_t* entry) {
    std::memset(entry, 0, kFrameChecksumOffset);
    entry[0] = kDirFreeBlock;
    entry[kDirLinkOffset] = 0xFF;
    entry[kDirLinkOffset + 1] = 0xFF;
    seal(entry);
}

SaveEdit refused(std::string error) {
    SaveEdit edit;
    edit.error = std::move(error);
    return edit;
}

const char* const kNotACard = "ﾒﾓﾘｰｶｰﾄﾞではありません(MCなし)";

} // namespace

std::vector<CardSave> listAllSaves(std::span<const std::uint8_t> card) {
    std::vector<CardSave> saves;
    if (!isCard(card)) {
        return saves;
    }
    for (int n = 1; n <= kSaveBlockCount; ++n) {
        const std::uint8_t state = stateOf(card, n);
        if (state != kDirFirstBlockOfSave && state != kDirDeletedFirstBlock) {
            continue;
        }
        CardSave save;
        save.block = n;
        save.deleted = state == kDirDeletedFirstBlock;
        save.name = nameOf(card, n);
        const auto block = card.subspan(kBlockSize * static_cast<std::size_t>(n), kBlockSize);
        const char* title = reinterpret_cast<const char*>(block.data() + kSaveTitleOffset);
        save.title = platform::decodeCp932(std::string_view(title, strnlen(title, kSaveTitleSize)));
        save.chain = walkChain(card, n, save.deleted).value_or(std::vector<int>{});
        save.restorable = save.deleted && !save.chain.empty() && !liveNameTaken(card, save.name);
        save.icon = decodeSaveIcon(block);
        saves.push_back(std::move(save));
    }
    return saves;
}

std::optional<SaveData> exportSave(std::span<const std::uint8_t> card, int block,
                                   std::string* error) {
    const auto fail = [&](const char* why) -> std::optional<SaveData> {
        if (error) {
            *error = why;
        }
        return std::nullopt;
    };
    if (!isCard(card)) {
        return fail(kNotACard);
    }
    if (block < 1 || block > kSaveBlockCount) {
        return fail("ﾌﾞﾛｯｸ番号は1～15です");
    }
    const bool deleted = stateOf(card, block) == kDirDeletedFirstBlock;
    if (!deleted && stateOf(card, block) != kDirFirstBlockOfSave) {
        return fail("そのﾌﾞﾛｯｸから始まるｾｰﾌﾞはありません");
    }
    const auto chain = walkChain(card, block, deleted);
    if (!chain) {
        return fail("ｾｰﾌﾞのﾌﾞﾛｯｸのつながりが壊れています");
    }
    SaveData save;
    save.name = nameOf(card, block);
    if (!isValidSaveName(save.name)) {
        return fail("ｾｰﾌﾞ名が不正です");
    }
    for (const int n : *chain) {
        const auto data = card.subspan(kBlockSize * static_cast<std::size_t>(n), kBlockSize);
        save.blocks.insert(save.blocks.end(), data.begin(), data.end());
    }
    return save;
}

SaveEdit importSave(std::span<std::uint8_t> card, const SaveData& save) {
    if (!isCard(card)) {
        return refused(kNotACard);
    }
    const int count = save.blockCount();
    if (!isValidSaveName(save.name) || count < 1 || count > kSaveBlockCount ||
        save.blocks.size() != static_cast<std::size_t>(count) * kBlockSize) {
        return refused("ｾｰﾌﾞが不正です");
    }
    if (liveNameTaken(card, save.name)) {
        return refused("同じ名前のｾｰﾌﾞ(" + save.name + ")がｶｰﾄﾞにあります");
    }

    // Free: A0h, and deleted entries no restorable save holds. Restorable
    // deleted saves are given up, first block first, only while too few.
    std::array<bool, kBlockCount> usable{};
    const auto saves = listAllSaves(card);
    std::array<bool, kBlockCount> heldByRestorable{};
    for (const auto& listed : saves) {
        if (listed.deleted && !listed.chain.empty()) {
            for (const int n : listed.chain) {
                heldByRestorable[static_cast<std::size_t>(n)] = true;
            }
        }
    }
    int available = 0;
    for (int n = 1; n <= kSaveBlockCount; ++n) {
        const std::uint8_t state = stateOf(card, n);
        const bool free = state == kDirFreeBlock ||
                          (state >= kDirDeletedFirstBlock && state <= kDirDeletedLastBlock &&
                           !heldByRestorable[static_cast<std::size_t>(n)]);
        usable[static_cast<std::size_t>(n)] = free;
        available += free ? 1 : 0;
    }
    std::vector<const CardSave*> givenUp;
    for (const auto& listed : saves) {
        if (available >= count) {
            break;
        }
        if (!listed.deleted || listed.chain.empty()) {
            continue;
        }
        givenUp.push_back(&listed);
        for (const int n : listed.chain) {
            if (!usable[static_cast<std::size_t>(n)]) {
                usable[static_cast<std::size_t>(n)] = true;
                ++available;
            }
        }
    }
    if (available < count) {
        return refused("空きﾌﾞﾛｯｸが足りません(" + std::to_string(count) + "ﾌﾞﾛｯｸ必要、空き" +
                       std::to_string(available) + ")");
    }

    SaveEdit edit;
    for (const CardSave* lost : givenUp) {
        edit.givenUp.push_back(lost->name);
        for (const int n : lost->chain) {
            freeEntry(entryOf(card, n));
        }
    }
    std::vector<int> chain;
    for (int n = 1; n <= kSaveBlockCount && static_cast<int>(chain.size()) < count; ++n) {
        if (usable[static_cast<std::size_t>(n)]) {
            chain.push_back(n);
        }
    }
    for (std::size_t i = 0; i < chain.size(); ++i) {
        std::uint8_t* entry = entryOf(card, chain[i]);
        std::memset(entry, 0, kFrameChecksumOffset);
        const bool last = i + 1 == chain.size();
        entry[0] = i == 0 ? kDirFirstBlockOfSave
                   : last ? kDirLastBlockOfSave
                          : kDirMiddleBlockOfSave;
        const std::uint16_t link =
            last ? kDirEndOfChain : static_cast<std::uint16_t>(chain[i + 1] - 1);
        entry[kDirLinkOffset] = static_cast<std::uint8_t>(link & 0xFF);
        entry[kDirLinkOffset + 1] = static_cast<std::uint8_t>(link >> 8);
        if (i == 0) {
            writeU32(entry + kDirLengthOffset, static_cast<std::uint32_t>(save.blocks.size()));
            std::memcpy(entry + kDirNameOffset, save.name.data(), save.name.size());
        }
        seal(entry);
        std::memcpy(card.data() + kBlockSize * static_cast<std::size_t>(chain[i]),
                    save.blocks.data() + kBlockSize * i, kBlockSize);
    }
    edit.ok = true;
    edit.block = chain.front();
    return edit;
}

SaveEdit deleteSave(std::span<std::uint8_t> card, int block) {
    if (!isCard(card)) {
        return refused(kNotACard);
    }
    if (block < 1 || block > kSaveBlockCount || stateOf(card, block) != kDirFirstBlockOfSave) {
        return refused("そのﾌﾞﾛｯｸから始まるｾｰﾌﾞはありません");
    }
    const auto chain = walkChain(card, block, false);
    if (!chain) {
        return refused("ｾｰﾌﾞのﾌﾞﾛｯｸのつながりが壊れているため削除できません");
    }
    shiftStates(card, *chain, true);
    SaveEdit edit;
    edit.ok = true;
    edit.block = block;
    return edit;
}

SaveEdit undeleteSave(std::span<std::uint8_t> card, int block) {
    if (!isCard(card)) {
        return refused(kNotACard);
    }
    if (block < 1 || block > kSaveBlockCount || stateOf(card, block) != kDirDeletedFirstBlock) {
        return refused("そのﾌﾞﾛｯｸから始まる削除済みｾｰﾌﾞはありません");
    }
    const auto chain = walkChain(card, block, true);
    if (!chain) {
        return refused("ｾｰﾌﾞのﾌﾞﾛｯｸの一部がすでに使われているため復元できません");
    }
    if (liveNameTaken(card, nameOf(card, block))) {
        return refused("同じ名前のｾｰﾌﾞ(" + nameOf(card, block) + ")がｶｰﾄﾞにあります");
    }
    shiftStates(card, *chain, false);
    // The size stays true to the chain, whatever a deleted entry held.
    std::uint8_t* first = entryOf(card, block);
    writeU32(first + kDirLengthOffset, static_cast<std::uint32_t>(chain->size() * kBlockSize));
    seal(first);
    SaveEdit edit;
    edit.ok = true;
    edit.block = block;
    return edit;
}

namespace {

SaveEdit editCardFile(const std::string& path,
                      const std::function<SaveEdit(std::span<std::uint8_t>)>& change) {
    auto read = readCardFile(path, false);
    if (!read.readable) {
        return refused(read.error);
    }
    const std::vector<std::uint8_t> before = read.file.card;
    SaveEdit edit = change(read.file.card);
    if (!edit.ok || read.file.card == before) {
        return edit;
    }
    std::string error;
    if (!writeCardFile(path, read.file, error, before)) {
        return refused(error);
    }
    return edit;
}

} // namespace

SaveEdit importSaveFile(const std::string& cardPath, const SaveData& save) {
    return editCardFile(cardPath,
                        [&](std::span<std::uint8_t> card) { return importSave(card, save); });
}

SaveEdit deleteSaveFile(const std::string& cardPath, int block) {
    return editCardFile(cardPath,
                        [&](std::span<std::uint8_t> card) { return deleteSave(card, block); });
}

SaveEdit undeleteSaveFile(const std::string& cardPath, int block) {
    return editCardFile(cardPath,
                        [&](std::span<std::uint8_t> card) { return undeleteSave(card, block); });
}

SaveEdit copySaveFile(const std::string& fromPath, int block, const std::string& toPath) {
    const auto from = readCardFile(fromPath, false);
    if (!from.readable) {
        return refused(from.error);
    }
    std::string error;
    const auto save = exportSave(from.file.card, block, &error);
    if (!save) {
        return refused(error);
    }
    return importSaveFile(toPath, *save);
}

SaveFileRead readSaveFile(const std::string& path) {
    int error = 0;
    const auto content = platform::readWholeFile(path, &error);
    if (!content) {
        SaveFileRead read;
        read.error = "ファイルを読み込めません: " + platform::describeError(error);
        return read;
    }
    const std::string name = path.substr(platform::nameStart(path));
    return parseSaveFile(
        std::span(reinterpret_cast<const std::uint8_t*>(content->data()), content->size()), name);
}

} // namespace tobrel::cards
