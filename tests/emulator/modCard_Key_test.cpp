// The four registry routines over the Wine user.reg store, and what they ask
// of any registry behind them.

#include "emulator/modCard_Key.h"
#include "platform/wine/document.h"
#include "platform/wine/store.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
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

constexpr std::string_view kKey = "Software\\Tobrel Test\\Values";
constexpr std::uint64_t kTime = platform::wine::kFileTimeUnixEpoch + 1800000000ULL * 10000000ULL;

class RegistryRoutines : public ::testing::Test {
protected:
    std::string file() const { return dir_.file("user.reg"); }
    WineRegistryStore& store() { return store_; }
    bool fileExists() const { return std::filesystem::exists(file()); }

    // Writes one value line into the key, as another program would have stored it.
    void storeRaw(std::string_view valueLine) {
        writeBytes(file(), "WINE REGISTRY Version 2\n\n[Software\\\\Tobrel Test\\\\Values] 1\n" +
                               std::string(valueLine) + "\n");
    }

    TempDir dir_;
    WineRegistryStore store_{
        RegistryLocation{RegistryStoreKind::OwnFile, dir_.file("user.reg"), {}},
        {"/tmp", [] { return kTime; }}};
};

TEST_F(RegistryRoutines, StringReadsStopAtTheFirstZeroByte) {
    const struct {
        std::string stored; // the text handed to writeRegString
        std::string read;
    } cases[] = {
        {std::string("C:\\CARD\\A.MCD\0", 14), "C:\\CARD\\A.MCD"},
        {"C:\\CARD\\B.MCD", "C:\\CARD\\B.MCD"}, // stored without a terminator
        {std::string("\0", 1), ""},
        {"", ""},
        {std::string("ab\0cd\0", 6), "ab"},
        {std::string("C:\\カード\\ｶｰﾄﾞ.MCD") + '\0', "C:\\カード\\ｶｰﾄﾞ.MCD"},
    };
    for (const auto& item : cases) {
        ASSERT_TRUE(writeRegString(store(), kCurrentUser, kKey, "Slot", item.stored));
        std::string text = "previous";
        EXPECT_TRUE(readRegString(store(), kCurrentUser, kKey, "Slot", text));
        EXPECT_EQ(text, item.read);
    }
}

TEST_F(RegistryRoutines, StringLimitIs512BytesOfCodePage932TerminatorIncluded) {
    const struct {
        std::string text;
        bool readable;
    } cases[] = {
        {std::string(511, 'a') + '\0', true},
        {std::string(512, 'b'), true}, // fills the buffer without a zero byte: taken whole
        {std::string(512, 'c') + '\0', false},
        {std::string(513, 'd'), false},
        {[] {
             std::string s;
             for (int i = 0; i < 255; ++i)
                 s += "カ";
             return s + '\0';
         }(),
         true},
        {[] {
             std::string s;
             for (int i = 0; i < 256; ++i)
                 s += "カ";
             return s + '\0';
         }(),
         false},
    };
    for (const auto& item : cases) {
        ASSERT_TRUE(writeRegString(store(), kCurrentUser, kKey, "Long", item.text));
        std::string text = "unchanged";
        EXPECT_EQ(readRegString(store(), kCurrentUser, kKey, "Long", text), item.readable)
            << item.text.size();
        if (item.readable) {
            EXPECT_EQ(text, item.text.substr(0, item.text.find('\0')));
        } else {
            EXPECT_EQ(text, "unchanged");
        }
    }
}

TEST_F(RegistryRoutines, ReadersOfMissingKeysOrValuesChangeNothingAndCreateNothing) {
    std::string text = "keep";
    std::array<std::uint8_t, 4> bytes{1, 2, 3, 4};
    EXPECT_FALSE(readRegString(store(), kCurrentUser, kKey, "Slot", text));
    EXPECT_FALSE(readRegBinary(store(), kCurrentUser, kKey, "Slot", bytes));
    EXPECT_FALSE(fileExists());

    storeRaw("\"Other\"=\"x\"");
    const std::string before = readBytes(file());
    EXPECT_FALSE(readRegString(store(), kCurrentUser, kKey, "Slot", text));
    EXPECT_FALSE(
        readRegString(store(), kCurrentUser, "Software\\Tobrel Test\\Values\\Sub", "Other", text));
    EXPECT_FALSE(readRegBinary(store(), kCurrentUser, kKey, "Slot", bytes));
    EXPECT_EQ(text, "keep");
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(readBytes(file()), before);
}

TEST_F(RegistryRoutines, WritersCreateTheWholeKeyPath) {
    const std::string deep = "Software\\A\\B\\C\\D";
    ASSERT_TRUE(writeRegString(store(), kCurrentUser, deep, "V", std::string("x\0", 2)));
    ASSERT_TRUE(
        writeRegBinary(store(), kCurrentUser, "Software\\E\\F", "B", std::vector<std::uint8_t>{7}));
    std::string text;
    EXPECT_TRUE(readRegString(store(), kCurrentUser, "software\\a\\b\\c\\d", "v", text));
    EXPECT_EQ(text, "x");
    std::array<std::uint8_t, 1> one{};
    EXPECT_TRUE(readRegBinary(store(), kCurrentUser, "Software\\E\\F", "B", one));
    EXPECT_EQ(one[0], 7);
}

TEST_F(RegistryRoutines, DoubleByteTextIsStoredWholeAsUnicodeLikeWine) {
    const std::string path = "C:\\カード\\ｶｰﾄﾞ.MCD";
    ASSERT_TRUE(writeRegString(store(), kCurrentUser, kKey, "Bank 00 Slot 00", path + '\0'));
    EXPECT_NE(readBytes(file()).find(
                  "\"Bank 00 Slot "
                  "00\"=\"C:\\\\\\x30ab\\x30fc\\x30c9\\\\\\xff76\\xff70\\xff84\\xff9e.MCD\"\n"),
              std::string::npos)
        << readBytes(file());
    std::string text;
    ASSERT_TRUE(readRegString(store(), kCurrentUser, kKey, "bank 00 slot 00", text));
    EXPECT_EQ(text, path);
}

TEST_F(RegistryRoutines, TextCodePage932CannotExpressIsNotStored) {
    // WAVE DASH would be stored as FULLWIDTH TILDE: a path naming another file.
    for (std::string text :
         {"C:\\게임\\A.MCD", "\xF0\x9F\x8E\xAE", "bad \xFF utf-8", "Z:\\cards\\wave\u301C.MCD"}) {
        EXPECT_FALSE(writeRegString(store(), kCurrentUser, kKey, "Slot", text + '\0')) << text;
    }
    EXPECT_FALSE(fileExists()); // not even the key was created
}

TEST_F(RegistryRoutines, ValuesOfOtherTypesAreReadAsBytesAndReplacedWhole) {
    storeRaw("\"Slot\"=dword:00434241");
    std::string text;
    EXPECT_TRUE(readRegString(store(), kCurrentUser, kKey, "Slot", text));
    EXPECT_EQ(text, "ABC");
    ASSERT_TRUE(writeRegString(store(), kCurrentUser, kKey, "SLOT", std::string("new\0", 4)));
    EXPECT_NE(readBytes(file()).find("\"Slot\"=\"new\"\n"), std::string::npos);
    EXPECT_EQ(readBytes(file()).find("dword"), std::string::npos);
}

TEST_F(RegistryRoutines, BinaryReadsFillTheFrontAndLeaveTheRest) {
    std::vector<std::uint8_t> ten(10);
    for (std::size_t i = 0; i < ten.size(); ++i) {
        ten[i] = static_cast<std::uint8_t>(0xA0 + i);
    }
    ASSERT_TRUE(writeRegBinary(store(), kCurrentUser, kKey, "Rec", ten));
    std::array<std::uint8_t, 32> array;
    array.fill(0x55);
    ASSERT_TRUE(readRegBinary(store(), kCurrentUser, kKey, "Rec", array));
    for (std::size_t i = 0; i < array.size(); ++i) {
        EXPECT_EQ(array[i], i < 10 ? 0xA0 + i : 0x55) << i;
    }
    std::array<std::uint8_t, 9> tooSmall;
    tooSmall.fill(0x55);
    EXPECT_FALSE(readRegBinary(store(), kCurrentUser, kKey, "Rec", tooSmall));
    for (auto byte : tooSmall) {
        EXPECT_EQ(byte, 0x55);
    }
}

TEST_F(RegistryRoutines, BinaryWritesStoreExactlyTheArray) {
    // The size of a VGS controller record.
    std::vector<std::uint8_t> record(1480);
    for (std::size_t i = 0; i < record.size(); ++i) {
        record[i] = static_cast<std::uint8_t>(i * 13);
    }
    ASSERT_TRUE(writeRegBinary(store(), kCurrentUser, kKey, "Controller 1", record));
    std::vector<std::uint8_t> back(1480);
    ASSERT_TRUE(readRegBinary(store(), kCurrentUser, kKey, "Controller 1", back));
    EXPECT_EQ(back, record);
    std::vector<std::uint8_t> shorter(1479);
    EXPECT_FALSE(readRegBinary(store(), kCurrentUser, kKey, "Controller 1", shorter));
    ASSERT_TRUE(writeRegBinary(store(), kCurrentUser, kKey, "Empty", std::vector<std::uint8_t>{}));
    EXPECT_NE(readBytes(file()).find("\"Empty\"=hex:\n"), std::string::npos);
}

TEST_F(RegistryRoutines, OnlyTheCurrentUserRootIsHeld) {
    EXPECT_FALSE(writeRegString(store(), platform::RegistryRoot::LocalMachine, kKey, "V", "x"));
    std::string text = "keep";
    ASSERT_TRUE(writeRegString(store(), kCurrentUser, kKey, "V", "x"));
    EXPECT_FALSE(readRegString(store(), platform::RegistryRoot::LocalMachine, kKey, "V", text));
    EXPECT_EQ(text, "keep");
}

// The real user.reg of a new Wine prefix, edited through the routines: only
// the edited values' lines and their keys' time lines change.
TEST_F(RegistryRoutines, RealWineFileKeepsEveryOtherLine) {
    const std::string original = readBytes(TOBREL_FIXTURE_DIR "/wine/user.reg");
    writeBytes(file(), original);
    const std::string stamp = "1800000000\n" + platform::wine::formatTimeOption(kTime);

    ASSERT_TRUE(writeRegString(store(), kCurrentUser, "Software\\bleem\\bleem!\\1.0\\CARD",
                               "Card0PathName", std::string("C:\\CARDS\\カード.MCD") + '\0'));
    ASSERT_TRUE(writeRegString(store(), kCurrentUser, "Control Panel\\Desktop", "wheelscrolllines",
                               std::string("5\0", 2)));
    std::vector<std::uint8_t> font(92, 0x11);
    ASSERT_TRUE(writeRegBinary(store(), kCurrentUser, "Control Panel\\Desktop\\WindowMetrics",
                               "CaptionFont", font));

    std::string expected = original;
    auto replace = [&](const std::string& from, const std::string& to) {
        const auto at = expected.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        expected.replace(at, from.size(), to);
    };
    // A new key goes where Wine would write it: before the first key sorting after it.
    replace("\n[Software\\\\Microsoft\\\\Internet Explorer\\\\Main] ",
            "\n[Software\\\\bleem\\\\bleem!\\\\1.0\\\\CARD] " + stamp +
                "\n\"Card0PathName\"=\"C:\\\\CARDS\\\\\\x30ab\\x30fc\\x30c9.MCD\"\n"
                "\n[Software\\\\Microsoft\\\\Internet Explorer\\\\Main] ");
    replace("\"WheelScrollLines\"=\"3\"\n", "\"WheelScrollLines\"=\"5\"\n");
    const auto desktop = expected.find("[Control Panel\\\\Desktop] ");
    const auto desktopTimeEnd = expected.find('\n', expected.find('\n', desktop) + 1);
    expected.replace(desktop, desktopTimeEnd - desktop, "[Control Panel\\\\Desktop] " + stamp);
    const auto metrics = expected.find("[Control Panel\\\\Desktop\\\\WindowMetrics] ");
    const auto metricsTimeEnd = expected.find('\n', expected.find('\n', metrics) + 1);
    expected.replace(metrics, metricsTimeEnd - metrics,
                     "[Control Panel\\\\Desktop\\\\WindowMetrics] " + stamp);
    const auto caption = expected.find("\"CaptionFont\"=hex:");
    const auto captionEnd = expected.find("\"CaptionHeight\"");
    expected.replace(caption, captionEnd - caption,
                     platform::wine::formatValue(u"CaptionFont", platform::kRegBinary,
                                                 std::string(92, '\x11'), "\n"));
    EXPECT_EQ(readBytes(file()), expected);

    std::string text;
    ASSERT_TRUE(readRegString(store(), kCurrentUser, "Software\\bleem\\bleem!\\1.0\\CARD",
                              "Card0PathName", text));
    EXPECT_EQ(text, "C:\\CARDS\\カード.MCD");
    ASSERT_TRUE(
        readRegString(store(), kCurrentUser, "Control Panel\\Desktop", "WheelScrollLines", text));
    EXPECT_EQ(text, "5");
    std::vector<std::uint8_t> back(92);
    ASSERT_TRUE(readRegBinary(store(), kCurrentUser, "Control Panel\\Desktop\\WindowMetrics",
                              "CaptionFont", back));
    EXPECT_EQ(back, font);
    ASSERT_TRUE(
        readRegString(store(), kCurrentUser, "Control Panel\\Colors", "ActiveBorder", text));
    EXPECT_EQ(text, "255 255 255");
}

// A registry that tracks its open keys, to check what the routines ask of it.
class RecordingRegistry final : public platform::RegistryBackend {
public:
    bool openSucceeds = true;
    bool valueSucceeds = true;
    std::set<platform::RegistryKey> openKeys;
    int opened = 0;
    int created = 0;
    int valueCallsOnKeysNotOpen = 0;
    std::string lastData;
    std::uint32_t lastType = 0;

    std::optional<platform::RegistryKey> openKey(platform::RegistryRoot,
                                                 std::string_view) override {
        ++opened;
        return handOut();
    }
    std::optional<platform::RegistryKey> createKey(platform::RegistryRoot,
                                                   std::string_view) override {
        ++created;
        return handOut();
    }
    bool queryValue(platform::RegistryKey key, std::string_view, std::span<std::uint8_t> buffer,
                    std::size_t*) override {
        valueCallsOnKeysNotOpen += openKeys.count(key) == 0 ? 1 : 0;
        if (valueSucceeds) {
            buffer[0] = 'Z';
        }
        return valueSucceeds;
    }
    bool setValue(platform::RegistryKey key, std::string_view, std::uint32_t type,
                  std::span<const std::uint8_t> data) override {
        valueCallsOnKeysNotOpen += openKeys.count(key) == 0 ? 1 : 0;
        lastType = type;
        lastData.assign(data.begin(), data.end());
        return valueSucceeds;
    }
    void closeKey(platform::RegistryKey key) override { openKeys.erase(key); }

private:
    std::optional<platform::RegistryKey> handOut() {
        if (!openSucceeds) {
            return std::nullopt;
        }
        openKeys.insert(++next_);
        return next_;
    }
    platform::RegistryKey next_ = 100;
};

TEST(RegistryRoutineCalls, EveryOpenedKeyIsClosedWhateverTheValueOperationDid) {
    struct Routine {
        const char* name;
        bool (*call)(RecordingRegistry&);
        bool writes; // a write creates the key; a read only opens it
    };
    static const Routine routines[] = {
        {"readRegString",
         [](RecordingRegistry& r) {
             std::string text;
             return readRegString(r, kCurrentUser, "K", "S", text);
         },
         false},
        {"writeRegString",
         [](RecordingRegistry& r) { return writeRegString(r, kCurrentUser, "K", "S", "ｶ"); }, true},
        {"readRegBinary",
         [](RecordingRegistry& r) {
             std::array<std::uint8_t, 3> bytes{};
             return readRegBinary(r, kCurrentUser, "K", "B", bytes);
         },
         false},
        {"writeRegBinary",
         [](RecordingRegistry& r) {
             const std::array<std::uint8_t, 3> bytes{};
             return writeRegBinary(r, kCurrentUser, "K", "B", bytes);
         },
         true},
    };
    for (const auto& routine : routines) {
        for (bool valueSucceeds : {true, false}) {
            SCOPED_TRACE(std::string(routine.name) + (valueSucceeds ? "" : " failing"));
            RecordingRegistry registry;
            registry.valueSucceeds = valueSucceeds;
            EXPECT_EQ(routine.call(registry), valueSucceeds);
            EXPECT_TRUE(registry.openKeys.empty());
            EXPECT_EQ(registry.valueCallsOnKeysNotOpen, 0);
            EXPECT_EQ(registry.opened + registry.created, 1);
            EXPECT_EQ(registry.created, routine.writes ? 1 : 0);
        }
    }
}

TEST(RegistryRoutineCalls, StringsCrossAsCodePage932AndBinaryWhole) {
    RecordingRegistry registry;
    ASSERT_TRUE(writeRegString(registry, kCurrentUser, "K", "S", std::string("ｶｰﾄﾞ") + '\0'));
    EXPECT_EQ(registry.lastType, platform::kRegSz);
    EXPECT_EQ(registry.lastData, std::string("\xB6\xB0\xC4\xDE\0", 5));
    const std::array<std::uint8_t, 5> five{1, 2, 3, 4, 5};
    ASSERT_TRUE(writeRegBinary(registry, kCurrentUser, "K", "B", five));
    EXPECT_EQ(registry.lastType, platform::kRegBinary);
    EXPECT_EQ(registry.lastData, "\x01\x02\x03\x04\x05");
}

TEST(RegistryRoutineCalls, AKeyThatCannotBeOpenedEndsTheCall) {
    RecordingRegistry registry;
    registry.openSucceeds = false;
    std::string text = "keep";
    EXPECT_FALSE(readRegString(registry, kCurrentUser, "K", "S", text));
    EXPECT_FALSE(writeRegString(registry, kCurrentUser, "K", "S", "x"));
    EXPECT_EQ(text, "keep");
    EXPECT_EQ(registry.opened + registry.created, 2);
}

} // namespace
} // namespace tobrel::emulator
