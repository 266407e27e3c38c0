// The slots of DuckStation, PCSX-Redux, PCSX-R and ePSXe: finding their
// settings, setting and swapping a slot in realistic settings files and in a
// Wine prefix's registry, and the refusals.

#include "emulator/modCard_Key.h"
#include "emulator/modern_slots.h"
#include "platform/wine/store.h"
#include "tests/support/card_images.h"
#include "tests/support/registry_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace tobrel::emulator {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

// Writes a file, creating its folders.
void put(const std::string& path, std::string_view content) {
    fs::create_directories(fs::path(path).parent_path());
    writeBytes(path, content);
}

constexpr std::string_view kDuckIni =
    "\xEF\xBB\xBF[Main]\r\nSettingsVersion = 3\r\nStartFullscreen = false\r\n\r\n"
    "[MemoryCards]\r\nCard1Type = PerGameTitle\r\nCard2Type = None\r\n"
    "; Card1Path = commented.mcd\r\nCard2Path = shared_card_2.mcd\r\nUsePlaylistTitle = true\r\n"
    "\r\n[ControllerPorts]\r\nMultitapMode = Disabled\r\n";

constexpr std::string_view kReduxJson = R"({
  "emulator": {
    "Bios": "openbios.bin",
    "Mcd1": "memcard1.mcd",
    "Mcd1Inserted": false,
    "Mcd2": "memcard2.mcd",
    "Mcd2Inserted": true
  },
  "gui": {"MainWindow": {"X": 10, "Y": [1, 2]}}
}
)";

constexpr std::string_view kPcsxrCfg =
    "Bios = scph1001.bin\nGpu = libDFXVideo.so\nMcd1 = /home/u/.pcsxr/memcards/card1.mcd\n"
    "Mcd2 = /home/u/.pcsxr/memcards/card2.mcd\nXa = 0\n";

class ModernSlots : public ::testing::Test {
protected:
    void SetUp() override {
        environment_.runningPrograms = std::vector<std::string>{"bash", "pcsx2-qt"};
        environment_.serverRoot = dir_.file("root");
        fs::create_directories(dir_.path() / "カード");
        writeBytes(card_, testing::makeFormattedCard());
        writeBytes(vgs_, testing::makeVgsImage(testing::makeFormattedCard()));
    }

    EmulatorSettings settingsFile(ModernEmulator emulator, std::string_view name,
                                  std::string_view content) {
        const auto file = dir_.file(name);
        fs::create_directories(fs::path(file).parent_path());
        writeBytes(file, content);
        return {emulator, false, file, {}};
    }

    TempDir dir_;
    std::string card_ = dir_.file("カード/ｾｰﾌﾞ 1.mcr");
    std::string vgs_ = dir_.file("カード/vgs.mem");
    SlotsEnvironment environment_;
};

TEST_F(ModernSlots, SettingADuckStationSlotChangesItsPathAndTypeOnly) {
    const auto settings = settingsFile(ModernEmulator::DuckStation, "duck/settings.ini", kDuckIni);
    const auto change = setModernSlot(settings, 0, card_, environment_);
    ASSERT_TRUE(change.ok) << change.message;
    std::string expected(kDuckIni);
    expected.replace(expected.find("PerGameTitle"), 12, "Shared");
    expected.insert(expected.find("UsePlaylistTitle = true\r\n") + 25,
                    "Card1Path = " + card_ + "\r\n");
    EXPECT_EQ(readBytes(settings.file), expected);

    const auto reading = readModernSlots(settings, environment_);
    ASSERT_TRUE(reading.ok);
    EXPECT_EQ(reading.perSlot[0].value, card_);
    EXPECT_TRUE(reading.perSlot[0].usesCardFile);
    EXPECT_EQ(reading.perSlot[1].enableState, "None");
    EXPECT_FALSE(reading.perSlot[1].usesCardFile);
    // A relative path is in the card folder beside the settings.
    EXPECT_EQ(reading.perSlot[1].localPath, dir_.file("duck/memcards/shared_card_2.mcd"));
    EXPECT_TRUE(reading.notes.empty());
}

TEST_F(ModernSlots, DuckStationGetsAMissingSectionAndTellsOfPerGameSettings) {
    const auto settings = settingsFile(ModernEmulator::DuckStation, "duck/settings.ini",
                                       "[Main]\nSettingsVersion = 3\n");
    put(dir_.file("duck/gamesettings/SLPS-01234.ini"), "[MemoryCards]\nCard1Type = PerGame\n");
    put(dir_.file("duck/gamesettings/SLPS-05678.ini"), "[Display]\nCard1Type = x\n");
    ASSERT_TRUE(setModernSlot(settings, 1, card_, environment_).ok);
    EXPECT_EQ(readBytes(settings.file),
              "[Main]\nSettingsVersion = 3\n\n[MemoryCards]\nCard2Path = " + card_ +
                  "\nCard2Type = Shared\n");
    const auto reading = readModernSlots(settings, environment_);
    ASSERT_EQ(reading.notes.size(), 1u);
    EXPECT_NE(reading.notes[0].find("SLPS-01234.ini"), std::string::npos);
}

TEST_F(ModernSlots, SettingAReduxSlotKeepsTheRestOfTheJson) {
    const auto settings = settingsFile(ModernEmulator::PcsxRedux, "redux/pcsx.json", kReduxJson);
    ASSERT_TRUE(setModernSlot(settings, 0, card_, environment_).ok);
    std::string expected(kReduxJson);
    expected.replace(expected.find("\"memcard1.mcd\""), 14, "\"" + card_ + "\"");
    expected.replace(expected.find("false"), 5, "true");
    EXPECT_EQ(readBytes(settings.file), expected);
}

TEST_F(ModernSlots, SwappingExchangesPathsAndEnableValues) {
    const auto redux = settingsFile(ModernEmulator::PcsxRedux, "redux/pcsx.json", kReduxJson);
    const auto change = swapModernSlots(redux, environment_);
    ASSERT_TRUE(change.ok) << change.message;
    EXPECT_EQ(change.stored[0], "memcard2.mcd");
    std::string expected(kReduxJson);
    expected.replace(expected.find("memcard1"), 8, "memcard2");
    expected.replace(expected.rfind("memcard2"), 8, "memcard1");
    expected.replace(expected.find("false"), 5, "true");
    expected.replace(expected.rfind("true"), 4, "false");
    EXPECT_EQ(readBytes(redux.file), expected);

    // A missing "Mcd2Inserted" is PCSX-Redux's default: inserted.
    const auto short_ =
        settingsFile(ModernEmulator::PcsxRedux, "redux2/pcsx.json",
                     R"({"emulator": {"Mcd1": "a", "Mcd1Inserted": false, "Mcd2": "b"}})");
    EXPECT_TRUE(readModernSlots(short_, environment_).perSlot[1].usesCardFile);
    ASSERT_TRUE(swapModernSlots(short_, environment_).ok);
    EXPECT_EQ(
        readBytes(short_.file),
        R"({"emulator": {"Mcd1": "b", "Mcd1Inserted": true, "Mcd2": "a", "Mcd2Inserted": false}})");

    const auto pcsxr = settingsFile(ModernEmulator::Pcsxr, "pcsxr/pcsxr.cfg", kPcsxrCfg);
    ASSERT_TRUE(swapModernSlots(pcsxr, environment_).ok);
    EXPECT_EQ(
        readBytes(pcsxr.file),
        "Bios = scph1001.bin\nGpu = libDFXVideo.so\nMcd1 = /home/u/.pcsxr/memcards/card2.mcd\n"
        "Mcd2 = /home/u/.pcsxr/memcards/card1.mcd\nXa = 0\n");

    // DuckStation's slot 1 has no path: nothing to exchange it with.
    const auto duck = settingsFile(ModernEmulator::DuckStation, "duck/settings.ini", kDuckIni);
    const auto refused = swapModernSlots(duck, environment_);
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.message.find("Card1Path"), std::string::npos);
    EXPECT_EQ(readBytes(duck.file), kDuckIni);
}

TEST_F(ModernSlots, RefusalsLeaveTheFileAsItWas) {
    const auto settings = settingsFile(ModernEmulator::Pcsxr, "pcsxr/pcsxr.cfg", kPcsxrCfg);
    writeBytes(dir_.file("short.mcr"), testing::makeFormattedCard().substr(1));
    // A DexDrive file: its 3,904-byte header, then the card.
    std::string gme = "123-456-STD";
    gme.resize(3904, '\0');
    writeBytes(dir_.file("card.gme"), gme + testing::makeFormattedCard());
    struct Case {
        std::string card;
        std::vector<std::string> running;
        std::string_view messagePart;
        bool offerConversion;
    };
    const Case cases[] = {
        {card_, {"bash", "PCSXR"}, "PCSX-Rが起動中です", false},
        {vgs_, {}, "VGSﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(131,136ﾊﾞｲﾄ)です", true},
        {dir_.file("card.gme"), {}, "DexDrive(.gme)ﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙです", true},
        {dir_.file("short.mcr"), {}, "(131,072ﾊﾞｲﾄ)を指定して下さい", false},
        {dir_.file("missing.mcr"), {}, "ﾌｧｲﾙを開けません", false},
        {dir_.file("カード"), {}, "ﾌｧｲﾙを開けません", false},
    };
    for (const auto& c : cases) {
        auto environment = environment_;
        environment.runningPrograms = c.running;
        const auto change = setModernSlot(settings, 0, c.card, environment);
        EXPECT_FALSE(change.ok) << c.card;
        EXPECT_NE(change.message.find(c.messagePart), std::string::npos) << change.message;
        EXPECT_EQ(change.offerConversion, c.offerConversion) << c.card;
        EXPECT_EQ(readBytes(settings.file), kPcsxrCfg);
    }
    auto environment = environment_;
    environment.runningPrograms = std::vector<std::string>{"pcsxr"};
    EXPECT_FALSE(swapModernSlots(settings, environment).ok);
    EXPECT_EQ(readBytes(settings.file), kPcsxrCfg);
}

TEST_F(ModernSlots, AnInvalidJsonFileIsNotTouched) {
    const std::string broken = "{\"emulator\": {\"Mcd1\": \"a\",}}";
    const auto settings = settingsFile(ModernEmulator::PcsxRedux, "redux/pcsx.json", broken);
    EXPECT_FALSE(readModernSlots(settings, environment_).ok);
    const auto change = setModernSlot(settings, 0, card_, environment_);
    EXPECT_FALSE(change.ok);
    EXPECT_NE(change.message.find("JSON"), std::string::npos);
    EXPECT_EQ(readBytes(settings.file), broken);
}

class WineSlots : public ModernSlots {
protected:
    void SetUp() override {
        ModernSlots::SetUp();
        prefix_ = testing::makeFakePrefix(dir_.path() / "pfx");
        fs::create_directories(prefix_ + "/drive_c/Cards");
        writeBytes(prefix_ + "/user.reg", readBytes(TOBREL_FIXTURE_DIR "/wine/user.reg"));
        writeBytes(prefix_ + "/drive_c/Cards/ｶｰﾄﾞ.mcr", testing::makeFormattedCard());
    }
    EmulatorSettings epsxe() const {
        return {ModernEmulator::Epsxe, true, prefix_ + "/user.reg", prefix_};
    }
    std::string prefix_;
};

TEST_F(WineSlots, EpsxeUnderWineGetsADriveLetterPathAndItsEnableValue) {
    const auto original = readBytes(prefix_ + "/user.reg");
    const auto change =
        setModernSlot(epsxe(), 1, prefix_ + "/drive_c/Cards/ｶｰﾄﾞ.mcr", environment_);
    ASSERT_TRUE(change.ok) << change.message;
    EXPECT_EQ(change.stored[1], "C:\\Cards\\ｶｰﾄﾞ.mcr");

    platform::WineRegistryStore store(
        {platform::RegistryStoreKind::WinePrefix, prefix_ + "/user.reg", prefix_},
        {environment_.serverRoot, {}});
    std::string value;
    ASSERT_TRUE(readRegString(store, kCurrentUser, "Software\\epsxe\\config", "Memcard2", value));
    EXPECT_EQ(value, "C:\\Cards\\ｶｰﾄﾞ.mcr");
    ASSERT_TRUE(
        readRegString(store, kCurrentUser, "Software\\epsxe\\config", "Memcard2Enable", value));
    EXPECT_EQ(value, "1");
    EXPECT_FALSE(readRegString(store, kCurrentUser, "Software\\epsxe\\config", "Memcard1", value));
    // Every line of the file is still there, in its order: only the new key was added.
    std::istringstream before(original);
    std::istringstream after(readBytes(prefix_ + "/user.reg"));
    std::string line;
    std::string afterLine;
    int added = 0;
    while (std::getline(before, line)) {
        while (std::getline(after, afterLine) && afterLine != line) {
            ++added;
        }
        ASSERT_EQ(afterLine, line);
    }
    EXPECT_LE(added, 5);

    const auto reading = readModernSlots(epsxe(), environment_);
    ASSERT_TRUE(reading.ok);
    EXPECT_TRUE(reading.perSlot[1].usesCardFile);
    EXPECT_EQ(reading.perSlot[1].localPath, prefix_ + "/dosdevices/c:/Cards/ｶｰﾄﾞ.mcr");
}

TEST_F(WineSlots, DuckStationUnderWineStoresTheDriveLetterPathAsUtf8) {
    const std::string file = prefix_ + "/drive_c/users/u/Documents/DuckStation/settings.ini";
    put(file, "[MemoryCards]\r\nCard1Type = None\r\nCard1Path = old.mcd\r\n");
    const EmulatorSettings duck{ModernEmulator::DuckStation, true, file, prefix_};
    ASSERT_TRUE(setModernSlot(duck, 0, prefix_ + "/drive_c/Cards/ｶｰﾄﾞ.mcr", environment_).ok);
    EXPECT_EQ(readBytes(file),
              "[MemoryCards]\r\nCard1Type = Shared\r\nCard1Path = C:\\Cards\\ｶｰﾄﾞ.mcr\r\n");
    EXPECT_EQ(readModernSlots(duck, environment_).perSlot[0].localPath,
              prefix_ + "/dosdevices/c:/Cards/ｶｰﾄﾞ.mcr");
}

TEST_F(WineSlots, ARunningWineserverOrAPathOutsideTheDrivesIsRefused) {
    const auto original = readBytes(prefix_ + "/user.reg");
    {
        testing::LockHolder server(
            testing::serverLockPath(prefix_, environment_.serverRoot + "/tmp"));
        ASSERT_TRUE(server.locked());
        const auto change =
            setModernSlot(epsxe(), 0, prefix_ + "/drive_c/Cards/ｶｰﾄﾞ.mcr", environment_);
        EXPECT_FALSE(change.ok);
        EXPECT_NE(change.message.find("Wine("), std::string::npos) << change.message;
    }
    // Without a z: drive, a card elsewhere cannot be reached from inside Wine.
    const auto change = setModernSlot(epsxe(), 0, card_, environment_);
    EXPECT_FALSE(change.ok);
    EXPECT_NE(change.message.find("Wineのﾄﾞﾗｲﾌﾞの外"), std::string::npos) << change.message;
    EXPECT_EQ(readBytes(prefix_ + "/user.reg"), original);
}

// The prefix's store, refusing to store one value name.
class FailingStore final : public platform::RegistryBackend {
public:
    FailingStore(platform::RegistryBackend& inner, std::string refused)
        : inner_(inner), refused_(std::move(refused)) {}
    std::optional<platform::RegistryKey> openKey(platform::RegistryRoot root,
                                                 std::string_view path) override {
        return inner_.openKey(root, path);
    }
    std::optional<platform::RegistryKey> createKey(platform::RegistryRoot root,
                                                   std::string_view path) override {
        return inner_.createKey(root, path);
    }
    bool queryValue(platform::RegistryKey key, std::string_view name,
                    std::span<std::uint8_t> buffer, std::size_t* delivered) override {
        return inner_.queryValue(key, name, buffer, delivered);
    }
    bool setValue(platform::RegistryKey key, std::string_view name, std::uint32_t type,
                  std::span<const std::uint8_t> data) override {
        return name != refused_ && inner_.setValue(key, name, type, data);
    }
    void closeKey(platform::RegistryKey key) override { inner_.closeKey(key); }

private:
    platform::RegistryBackend& inner_;
    std::string refused_;
};

TEST_F(WineSlots, AFailedRegistryWriteRestoresTheValuesAlreadyWritten) {
    platform::WineRegistryStore store(
        {platform::RegistryStoreKind::WinePrefix, prefix_ + "/user.reg", prefix_},
        {environment_.serverRoot, {}});
    ASSERT_TRUE(writeRegString(store, kCurrentUser, "Software\\epsxe\\config", "Memcard1",
                               std::string("C:\\old.mcr") + '\0'));
    FailingStore failing(store, "Memcard1Enable");
    auto environment = environment_;
    environment.registry = &failing;
    const auto change = setModernSlot(epsxe(), 0, prefix_ + "/drive_c/Cards/ｶｰﾄﾞ.mcr", environment);
    EXPECT_FALSE(change.ok);
    std::string value;
    ASSERT_TRUE(readRegString(store, kCurrentUser, "Software\\epsxe\\config", "Memcard1", value));
    EXPECT_EQ(value, "C:\\old.mcr");
}

TEST_F(WineSlots, FindsLinuxBuildsAndWindowsBuildsInThePrefix) {
    const std::string home = dir_.file("home");
    put(home + "/.config/pcsx-redux/pcsx.json", "{}");
    put(home + "/.local/share/duckstation/settings.ini", "");
    put(home + "/.epsxe/epsxerc", "");
    const std::string user = prefix_ + "/drive_c/users/ユーザー";
    fs::create_directories(user + "/Documents/DuckStation");
    put(user + "/AppData/Local/DuckStation/settings.ini", ""); // not used: Documents wins
    put(user + "/Documents/DuckStation/settings.ini", "");
    platform::WineRegistryStore store(
        {platform::RegistryStoreKind::WinePrefix, prefix_ + "/user.reg", prefix_},
        {environment_.serverRoot, {}});
    ASSERT_TRUE(
        writeRegString(store, kCurrentUser, "Software\\Pcsxr", "Mcd1", std::string(1, '\0')));

    SearchPlaces places;
    places.home = home;
    places.configHome = home + "/.config";
    places.winePrefix = prefix_;
    std::vector<std::string> found;
    for (const auto& settings : findEmulators(places)) {
        found.push_back(std::string(settings.info().cliName) +
                        (settings.windowsBuild ? " win " : " ") + describeSettingsPlace(settings));
    }
    EXPECT_EQ(found, (std::vector<std::string>{
                         "duckstation " + home + "/.local/share/duckstation/settings.ini",
                         "duckstation win " + user + "/Documents/DuckStation/settings.ini",
                         "pcsx-redux " + home + "/.config/pcsx-redux/pcsx.json",
                         "pcsxr win HKEY_CURRENT_USER\\Software\\Pcsxr (" + prefix_ + "/user.reg)",
                         "epsxe " + home + "/.epsxe/epsxerc",
                     }));
}

} // namespace
} // namespace tobrel::emulator
