#include "emulator/controller_mapping.h"

#include "emulator/modCard_Key.h"
#include "platform/encoding.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>

namespace tobrel::emulator {
namespace {

std::size_t controllerIndex(int controller) {
    if (controller < 0 || controller >= kControllerCount) {
        throw std::out_of_range("controller " + std::to_string(controller));
    }
    return static_cast<std::size_t>(controller);
}

// Full-width katakana and marks with the half-width text that stands for them.
constexpr std::pair<char32_t, std::string_view> kHalfWidthKana[] = {
    {U'、', "､"},  {U'。', "｡"},  {U'「', "｢"},  {U'」', "｣"},  {U'ァ', "ｧ"},  {U'ア', "ｱ"},
    {U'ィ', "ｨ"},  {U'イ', "ｲ"},  {U'ゥ', "ｩ"},  {U'ウ', "ｳ"},  {U'ェ', "ｪ"},  {U'エ', "ｴ"},
    {U'ォ', "ｫ"},  {U'オ', "ｵ"},  {U'カ', "ｶ"},  {U'ガ', "ｶﾞ"}, {U'キ', "ｷ"},  {U'ギ', "ｷﾞ"},
    {U'ク', "ｸ"},  {U'グ', "ｸﾞ"}, {U'ケ', "ｹ"},  {U'ゲ', "ｹﾞ"}, {U'コ', "ｺ"},  {U'ゴ', "ｺﾞ"},
    {U'サ', "ｻ"},  {U'ザ', "ｻﾞ"}, {U'シ', "ｼ"},  {U'ジ', "ｼﾞ"}, {U'ス', "ｽ"},  {U'ズ', "ｽﾞ"},
    {U'セ', "ｾ"},  {U'ゼ', "ｾﾞ"}, {U'ソ', "ｿ"},  {U'ゾ', "ｿﾞ"}, {U'タ', "ﾀ"},  {U'ダ', "ﾀﾞ"},
    {U'チ', "ﾁ"},  {U'ヂ', "ﾁﾞ"}, {U'ッ', "ｯ"},  {U'ツ', "ﾂ"},  {U'ヅ', "ﾂﾞ"}, {U'テ', "ﾃ"},
    {U'デ', "ﾃﾞ"}, {U'ト', "ﾄ"},  {U'ド', "ﾄﾞ"}, {U'ナ', "ﾅ"},  {U'ニ', "ﾆ"},  {U'ヌ', "ﾇ"},
    {U'ネ', "ﾈ"},  {U'ノ', "ﾉ"},  {U'ハ', "ﾊ"},  {U'バ', "ﾊﾞ"}, {U'パ', "ﾊﾟ"}, {U'ヒ', "ﾋ"},
    {U'ビ', "ﾋﾞ"}, {U'ピ', "ﾋﾟ"}, {U'フ', "ﾌ"},  {U'ブ', "ﾌﾞ"}, {U'プ', "ﾌﾟ"}, {U'ヘ', "ﾍ"},
    {U'ベ', "ﾍﾞ"}, {U'ペ', "ﾍﾟ"}, {U'ホ', "ﾎ"},  {U'ボ', "ﾎﾞ"}, {U'ポ', "ﾎﾟ"}, {U'マ', "ﾏ"},
    {U'ミ', "ﾐ"},  {U'ム', "ﾑ"},  {U'メ', "ﾒ"},  {U'モ', "ﾓ"},  {U'ャ', "ｬ"},  {U'ヤ', "ﾔ"},
    {U'ュ', "ｭ"},  {U'ユ', "ﾕ"},  {U'ョ', "ｮ"},  {U'ヨ', "ﾖ"},  {U'ラ', "ﾗ"},  {U'リ', "ﾘ"},
    {U'ル', "ﾙ"},  {U'レ', "ﾚ"},  {U'ロ', "ﾛ"},  {U'ワ', "ﾜ"},  {U'ヲ', "ｦ"},  {U'ン', "ﾝ"},
    {U'ヴ', "ｳﾞ"}, {U'ヷ', "ﾜﾞ"}, {U'ヺ', "ｦﾞ"}, {U'・', "･"},  {U'ー', "ｰ"},
};

constexpr char32_t kFullWidthFirst = U'\uFF01'; // "！": U+FF01..U+FF5E are ASCII 0x21..0x7E
constexpr char32_t kFullWidthLast = U'\uFF5E';
constexpr char32_t kHiraganaFirst = U'\u3041';
constexpr char32_t kHiraganaLast = U'\u3096';
constexpr char32_t kHiraganaToKatakana = 0x60;

} // namespace

std::string typedNameKey(std::string_view name) {
    std::string key;
    for (std::size_t pos = 0; pos < name.size();) {
        std::size_t length = 1;
        auto c = platform::decodeUtf8At(name, pos, length);
        const std::string_view original = name.substr(pos, length);
        pos += length;
        if (!c) {
            key += original;
            continue;
        }
        if (*c >= kFullWidthFirst && *c <= kFullWidthLast) {
            c = *c - kFullWidthFirst + U'!';
        } else if (*c == U'\u3000') {
            c = U' ';
        } else if (*c >= kHiraganaFirst && *c <= kHiraganaLast) {
            c = *c + kHiraganaToKatakana;
        }
        if (*c < 0x80) {
            key += static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
            continue;
        }
        const auto* kana = std::find_if(std::begin(kHalfWidthKana), std::end(kHalfWidthKana),
                                        [&](const auto& entry) { return entry.first == *c; });
        if (kana != std::end(kHalfWidthKana)) {
            key += kana->second;
        } else {
            std::u16string units;
            platform::appendUtf16(units, *c);
            key += platform::utf16ToUtf8(units);
        }
    }
    return key;
}

ControllerMapping::ControllerMapping(platform::RegistryBackend& registry) : registry_(registry) {}

std::array<bool, kControllerCount> ControllerMapping::load() {
    std::array<bool, kControllerCount> read{};
    for (std::size_t c = 0; c < records_.size(); ++c) {
        RecordBuffer buffer{}; // fresh per value: a short value takes no bytes of the other
        read[c] = readRegBinary(registry_, kCurrentUser, kControllersKeyPath,
                                kControllerValueNames[c], buffer);
        if (read[c]) {
            unpackControllerRecord(records_[c], buffer);
        }
    }
    return read;
}

ControllerSelections ControllerMapping::selections(int controller) const {
    const ControllerRecord& source = record(controller);
    ControllerSelections rows;
    for (int row = 0; row < kControllerRows; ++row) {
        rows[static_cast<std::size_t>(row)] =
            selectionFromEntry(source.entries[static_cast<std::size_t>(row)], row);
    }
    return rows;
}

std::array<bool, kControllerCount>
ControllerMapping::apply(const std::array<ControllerSelections, kControllerCount>& selections) {
    for (std::size_t c = 0; c < records_.size(); ++c) {
        for (int row = 0; row < kControllerRows; ++row) {
            const auto r = static_cast<std::size_t>(row);
            storeSelectionInEntry(records_[c].entries[r], row, selections[c][r]);
        }
    }
    std::array<bool, kControllerCount> written{};
    for (std::size_t c = 0; c < records_.size(); ++c) {
        RecordBuffer buffer{};
        packControllerRecord(records_[c], buffer);
        written[c] = writeRegBinary(registry_, kCurrentUser, kControllersKeyPath,
                                    kControllerValueNames[c], buffer);
    }
    return written;
}

const ControllerRecord& ControllerMapping::record(int controller) const {
    return records_[controllerIndex(controller)];
}

std::optional<int> keyItemByName(int row, std::string_view name) {
    const std::string wanted = typedNameKey(name);
    for (int item = 0; item < keyItemCount(row); ++item) {
        if (typedNameKey(keyItemName(row, item)) == wanted) {
            return item;
        }
    }
    return std::nullopt;
}

std::optional<int> idItemByName(std::string_view name) {
    const std::string wanted = typedNameKey(name);
    for (int item = 0; item < kIdTableSize; ++item) {
        if (typedNameKey(idEntry(item + 1).name) == wanted) {
            return item;
        }
    }
    return std::nullopt;
}

RowEdit editControllerRow(platform::RegistryBackend& registry, int controller, int row,
                          RowSelection selection) {
    const std::size_t c = controllerIndex(controller);
    if (row < 0 || row >= kControllerRows) {
        throw std::out_of_range("controller row " + std::to_string(row));
    }
    RowEdit edit;
    RecordBuffer buffer{};
    std::size_t size = 0;
    if (readRegBinary(registry, kCurrentUser, kControllersKeyPath, kControllerValueNames[c], buffer,
                      &size)) {
        if (size != kControllerRecordSize) {
            edit.valueSize = size;
            edit.outcome = RowEdit::Outcome::NotARecord;
            return edit;
        }
        unpackControllerRecord(edit.record, buffer);
    } else if (size != 0) { // there, but longer than a record
        edit.valueSize = size;
        edit.outcome = RowEdit::Outcome::NotARecord;
        return edit;
    } else {
        for (int r = 0; r < kControllerRows; ++r) {
            storeSelectionInEntry(edit.record.entries[static_cast<std::size_t>(r)], r,
                                  RowSelection{});
        }
    }
    edit.valueSize = size;
    storeSelectionInEntry(edit.record.entries[static_cast<std::size_t>(row)], row, selection);
    packControllerRecord(edit.record, buffer);
    edit.outcome = writeRegBinary(registry, kCurrentUser, kControllersKeyPath,
                                  kControllerValueNames[c], buffer)
                       ? RowEdit::Outcome::Written
                       : RowEdit::Outcome::NotWritten;
    return edit;
}

} // namespace tobrel::emulator
