// The controller mapping over a registry file: loading both values, applying
// the selections, and what every other byte and line keeps.

#include "emulator/controller_mapping.h"
#include "emulator/modCard_Key.h"
#include "platform/wine/store.h"
#include "platform/wine/value_lines.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <random>
#include <set>
#include <vector>

namespace tobrel::emulator {
namespace {

using platform::RegistryLocation;
using platform::RegistryStoreKind;
using platform::WineRegistryStore;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

constexpr std::uint64_t kTime = platform::wine::kFileTimeUnixEpoch + 1800000000ULL * 10000000ULL;

std::vector<std::uint8_t> noisyBytes(std::size_t size, unsigned seed) {
    std::vector<std::uint8_t> bytes(size);
    std::mt19937 random(seed);
    for (auto& byte : bytes) {
        byte = static_cast<std::uint8_t>(random() | 1);
    }
    return bytes;
}

// Sets the three fields Tobrel edits in entry row of a value's bytes.
void putEntry(std::vector<std::uint8_t>& bytes, int row, const TypeTag& tag, std::uint8_t id,
              std::uint8_t code) {
    const std::size_t at = 24 + 52 * static_cast<std::size_t>(row);
    for (std::size_t i = 0; i < tag.size(); ++i) {
        bytes.at(at + i) = tag[i];
    }
    bytes.at(at + 4) = id;
    bytes.at(at + 40) = code;
}

// A record VGS could have written: every byte set, and entries 0 to 13 each
// holding an ID of the table and a key, axis or button of its row's list.
std::vector<std::uint8_t> vgsRecord(unsigned seed) {
    auto bytes = noisyBytes(kControllerRecordSize, seed);
    std::mt19937 random(seed);
    for (int row = 0; row < kControllerRows; ++row) {
        const int item = static_cast<int>(random() % static_cast<unsigned>(keyItemCount(row)));
        const int position = keyItemPosition(row, item);
        putEntry(bytes, row,
                 position == 1    ? kEmptyTag
                 : position <= 82 ? kKeyboardTag
                                  : kJoystickTag,
                 idTable()[random() % kIdTableSize].code, keyEntry(position).code);
    }
    return bytes;
}

class ControllerMappingTest : public ::testing::Test {
protected:
    std::string file() const { return dir_.file("user.reg"); }

    void store(int controller, const std::vector<std::uint8_t>& bytes) {
        ASSERT_TRUE(writeRegBinary(store_, kCurrentUser, kControllersKeyPath,
                                   kControllerValueNames[static_cast<std::size_t>(controller)],
                                   bytes));
    }
    std::vector<std::uint8_t> stored(int controller) {
        std::vector<std::uint8_t> bytes(kControllerRecordSize + 100);
        std::size_t size = 0;
        auto key = store_.openKey(kCurrentUser, kControllersKeyPath);
        EXPECT_TRUE(key);
        if (key) {
            EXPECT_TRUE(store_.queryValue(
                *key, kControllerValueNames[static_cast<std::size_t>(controller)], bytes, &size));
            store_.closeKey(*key);
        }
        bytes.resize(size);
        return bytes;
    }

    TempDir dir_;
    WineRegistryStore store_{
        RegistryLocation{RegistryStoreKind::OwnFile, dir_.file("user.reg"), {}},
        {"/tmp", [] { return kTime; }}};
    ControllerMapping mapping_{store_};
};

TEST_F(ControllerMappingTest, WithoutValuesAllShowEmptyAndApplyWritesTwoEmptyRecords) {
    EXPECT_EQ(mapping_.load(), (std::array<bool, 2>{false, false}));
    for (int controller = 0; controller < 2; ++controller) {
        EXPECT_EQ(mapping_.selections(controller), ControllerSelections{});
    }
    EXPECT_EQ(mapping_.apply({mapping_.selections(0), mapping_.selections(1)}),
              (std::array<bool, 2>{true, true}));
    std::vector<std::uint8_t> expected(kControllerRecordSize, 0);
    for (int row = 0; row < 14; ++row) {
        putEntry(expected, row, kEmptyTag, 0, 0);
    }
    EXPECT_EQ(stored(0), expected);
    EXPECT_EQ(stored(1), expected);
}

TEST_F(ControllerMappingTest, LoadThenApplyWithoutChangesKeepsEveryByte) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const auto first = vgsRecord(seed);
        const auto second = vgsRecord(seed + 1000);
        store(0, first);
        store(1, second);
        ControllerMapping mapping(store_);
        ASSERT_EQ(mapping.load(), (std::array<bool, 2>{true, true}));
        ASSERT_EQ(mapping.apply({mapping.selections(0), mapping.selections(1)}),
                  (std::array<bool, 2>{true, true}));
        ASSERT_EQ(stored(0), first) << seed;
        ASSERT_EQ(stored(1), second) << seed;
    }
}

TEST_F(ControllerMappingTest, ValuesThatCannotBeReadLeaveTheirRecordAndShortOnesArePadded) {
    const auto first = vgsRecord(5);
    store(0, first);
    store(1, first);
    mapping_.load();
    const ControllerRecord before = mapping_.record(1);

    // Too long for a record: not read; a short value: the rest are zeros,
    // not the bytes controller 1's read left behind.
    store(1, noisyBytes(kControllerRecordSize + 1, 9));
    std::vector<std::uint8_t> shortValue(first.begin(), first.begin() + 100);
    store(0, shortValue);
    EXPECT_EQ(mapping_.load(), (std::array<bool, 2>{true, false}));
    EXPECT_EQ(mapping_.record(1), before);
    RecordBuffer padded{};
    std::copy(shortValue.begin(), shortValue.end(), padded.begin());
    ControllerRecord expected;
    unpackControllerRecord(expected, padded);
    EXPECT_EQ(mapping_.record(0), expected);

    store(0, first);
    store(1, shortValue);
    EXPECT_EQ(mapping_.load(), (std::array<bool, 2>{true, true}));
    EXPECT_EQ(mapping_.record(1), expected);
}

// One named row: only that entry's tag, ID and code change, in that
// controller's value alone, whatever the other entries hold (codes and IDs
// outside the tables included); a value that is not a record stays as it is.
TEST_F(ControllerMappingTest, EditingOneRowChangesOnlyThatEntrysBytes) {
    auto first = vgsRecord(3);
    putEntry(first, 0, kKeyboardTag, 200, 0xBA); // an ID and a key no table holds
    putEntry(first, 5, kKeyboardTag, 112, 13);   // Enter
    auto second = vgsRecord(4);
    putEntry(second, 7, kJoystickTag, 0, 37);
    const struct {
        const char* name;
        std::optional<std::vector<std::uint8_t>> value; // controller 2's value before
        RowEdit::Outcome outcome;
    } cases[] = {
        {"record", second, RowEdit::Outcome::Written},
        {"no value yet", std::nullopt, RowEdit::Outcome::Written},
        {"one byte short", noisyBytes(kControllerRecordSize - 1, 7), RowEdit::Outcome::NotARecord},
        {"one byte long", noisyBytes(kControllerRecordSize + 1, 8), RowEdit::Outcome::NotARecord},
        {"empty value", std::vector<std::uint8_t>{}, RowEdit::Outcome::NotARecord},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(file());
        store(0, first);
        if (c.value) {
            store(1, *c.value);
        }
        const auto edit = editControllerRow(store_, 1, 13, {15, 93}); // ID15, ﾎﾞﾀﾝ12
        EXPECT_EQ(edit.outcome, c.outcome) << c.name;
        EXPECT_EQ(stored(0), first) << c.name;
        std::vector<std::uint8_t> expected = c.value.value_or(std::vector<std::uint8_t>{});
        if (c.outcome == RowEdit::Outcome::Written) {
            if (!c.value) { // as the panel's Apply writes a missing value
                expected.assign(kControllerRecordSize, 0);
                for (int row = 0; row < kControllerRows; ++row) {
                    putEntry(expected, row, kEmptyTag, 0, 0);
                }
            }
            putEntry(expected, 13, kJoystickTag, 126, 59);
            EXPECT_EQ(selectionFromEntry(edit.record.entries[13], 13), (RowSelection{15, 93}));
        } else {
            EXPECT_EQ(edit.valueSize, expected.size()) << c.name;
        }
        EXPECT_EQ(stored(1), expected) << c.name;
    }
}

TEST(ControllerNames, TypedAsAnInputMethodTypesThemOrInAnotherCase) {
    const struct {
        int row;
        const char* typed;
        std::optional<int> item;
    } keys[] = {
        {13, "ﾎﾞﾀﾝ12", 93},
        {13, "ボタン１２", 93},
        {13, "ぼたん12", 93},
        {4, "ﾎﾞﾀﾝ01", 82},
        {2, "コントローラ　Ｘ軸", 82},
        {0, "ｺﾝﾄﾛｰﾗ y軸", 82},
        {4, "page up", 15},
        {4, "ｎｕｍ　．", 77},
        {4, "a", 41},
        {4, "ｚ", 66},
        {4, "f12", 30},
        {4, "empty", 0},
        {4, "←", 1},
        {13, "ボタン13", std::nullopt},
        {0, "コントローラ X軸", std::nullopt}, // the up row has no X axis
        {4, "ﾎﾞﾀﾝ", std::nullopt},
        {4, "PAGEUP", std::nullopt},
    };
    for (const auto& k : keys) {
        EXPECT_EQ(keyItemByName(k.row, k.typed), k.item) << k.typed;
    }
    const struct {
        const char* typed;
        std::optional<int> item;
    } ids[] = {{"ID16", 16}, {"id16", 16},           {"ＩＤ１６", 16},
               {"Empty", 0}, {"ID17", std::nullopt}, {"ID 16", std::nullopt}};
    for (const auto& i : ids) {
        EXPECT_EQ(idItemByName(i.typed), i.item) << i.typed;
    }
}

// A registry that refuses the values named in refused and records every write.
class RefusingRegistry final : public platform::RegistryBackend {
public:
    std::set<std::string, std::less<>> refused;
    std::vector<std::string> attempts;

    std::optional<platform::RegistryKey> openKey(platform::RegistryRoot,
                                                 std::string_view) override {
        return std::nullopt;
    }
    std::optional<platform::RegistryKey> createKey(platform::RegistryRoot,
                                                   std::string_view) override {
        return 1;
    }
    bool queryValue(platform::RegistryKey, std::string_view, std::span<std::uint8_t>,
                    std::size_t*) override {
        return false;
    }
    bool setValue(platform::RegistryKey, std::string_view name, std::uint32_t,
                  std::span<const std::uint8_t> data) override {
        attempts.emplace_back(name);
        return data.size() == kControllerRecordSize && !refused.contains(name);
    }
    void closeKey(platform::RegistryKey) override {}
};

TEST(ControllerMappingWrites, BothValuesAreWrittenInOrderWhateverTheFirstAnswers) {
    const struct {
        std::set<std::string, std::less<>> refused;
        std::array<bool, 2> written;
    } cases[] = {
        {{}, {true, true}},
        {{"Bank 00 Slot 00"}, {false, true}},
        {{"Bank 01 Slot 00"}, {true, false}},
        {{"Bank 00 Slot 00", "Bank 01 Slot 00"}, {false, false}},
    };
    for (const auto& item : cases) {
        RefusingRegistry registry;
        registry.refused = item.refused;
        ControllerMapping mapping(registry);
        EXPECT_EQ(mapping.apply({}), item.written);
        EXPECT_EQ(registry.attempts,
                  (std::vector<std::string>{"Bank 00 Slot 00", "Bank 01 Slot 00"}));
    }
}

// A real Wine prefix's user.reg holding both values: loading and applying
// rewrites only the lines of what changed.
TEST(ControllerMappingWine, OtherLinesOfARealUserRegStayByteIdentical) {
    TempDir dir;
    const std::string path = dir.file("user.reg");
    writeBytes(path, readBytes(TOBREL_FIXTURE_DIR "/wine/user.reg"));
    WineRegistryStore store(RegistryLocation{RegistryStoreKind::OwnFile, path, {}},
                            {"/tmp", [] { return kTime; }});
    const auto first = vgsRecord(11);
    const auto second = vgsRecord(12);
    ASSERT_TRUE(writeRegBinary(store, kCurrentUser, kControllersKeyPath, "Bank 00 Slot 00", first));
    ASSERT_TRUE(
        writeRegBinary(store, kCurrentUser, kControllersKeyPath, "Bank 01 Slot 00", second));
    const std::string original = readBytes(path);

    ControllerMapping mapping(store);
    ASSERT_EQ(mapping.load(), (std::array<bool, 2>{true, true}));
    auto selections = std::array{mapping.selections(0), mapping.selections(1)};
    ASSERT_EQ(mapping.apply(selections), (std::array<bool, 2>{true, true}));
    EXPECT_EQ(readBytes(path), original);

    selections[0][8] = {*idItemByName("ID3"), *keyItemByName(8, "Q")};
    ASSERT_EQ(mapping.apply(selections), (std::array<bool, 2>{true, true}));
    auto changed = first;
    putEntry(changed, 8, kKeyboardTag, 114, 'Q');
    auto asText = [](const std::vector<std::uint8_t>& bytes) {
        return platform::wine::formatValue(u"Bank 00 Slot 00", platform::kRegBinary,
                                           std::string(bytes.begin(), bytes.end()), "\n");
    };
    std::string expected = original;
    const auto at = expected.find(asText(first));
    ASSERT_NE(at, std::string::npos);
    expected.replace(at, asText(first).size(), asText(changed));
    EXPECT_EQ(readBytes(path), expected);
}

} // namespace
} // namespace tobrel::emulator
