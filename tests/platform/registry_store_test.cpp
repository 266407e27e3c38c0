// The Wine user.reg store behind the registry routines: where it lives, the
// five registry operations, and the cases in which it must not write.

#include "platform/wine/prefix.h"
#include "platform/wine/store.h"
#include "tests/support/registry_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <optional>

namespace tobrel::platform {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::ScopedEnv;
using testing::TempDir;
using testing::writeBytes;

constexpr std::string_view kWineFile =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
    "\n[Software\\\\Tobrel] 1700000000\n"
    "#time=1da1747c66d0000\n"
    "\"Path\"=\"C:\\\\\\x30ab\\x30fc\\x30c9\\\\\\xff76\\xff70\\xff84\\xff9e.mcd\"\n"
    "\"NoNul\"=hex(1):70,00,71,00\n"
    "\"Bin\"=hex:01,02,03\n"
    "\"Dw\"=dword:12345678\n";

std::span<const std::uint8_t> asBytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

RegistryLocation ownFile(const std::string& file) {
    return {RegistryStoreKind::OwnFile, file, {}};
}

bool setString(RegistryBackend& store, std::string_view keyPath, std::string_view name,
               std::string_view cp932) {
    auto key = store.createKey(RegistryRoot::CurrentUser, keyPath);
    if (!key) {
        return false;
    }
    const bool stored = store.setValue(*key, name, kRegSz, asBytes(cp932));
    store.closeKey(*key);
    return stored;
}

TEST(RegistryLocation, FollowsTheEnvironment) {
    TempDir dir;
    const std::string prefix = dir.file("pfx");
    fs::create_directories(prefix);
    ScopedEnv home("HOME", dir.file("home"));
    ScopedEnv xdg("XDG_CONFIG_HOME", dir.file("config"));
    {
        ScopedEnv explicitFile("TOBREL_REGISTRY", dir.file("mine.reg"));
        ScopedEnv winePrefix("WINEPREFIX", prefix);
        auto location = locateRegistry();
        EXPECT_EQ(location.file, dir.file("mine.reg"));
        EXPECT_EQ(location.kind, RegistryStoreKind::OwnFile);
    }
    {
        ScopedEnv explicitFile("TOBREL_REGISTRY", std::nullopt);
        ScopedEnv winePrefix("WINEPREFIX", prefix + "/");
        EXPECT_EQ(locateRegistry().kind, RegistryStoreKind::OwnFile); // empty: not a prefix
        writeBytes(prefix + "/system.reg", "");
        auto location = locateRegistry();
        EXPECT_EQ(location.kind, RegistryStoreKind::WinePrefix);
        EXPECT_EQ(location.file, prefix + "/user.reg");
        EXPECT_EQ(location.prefix, prefix);
    }
    {
        ScopedEnv explicitFile("TOBREL_REGISTRY", std::nullopt);
        for (std::optional<std::string> missing :
             {std::optional<std::string>(dir.file("none")),
              std::optional<std::string>("relative/pfx"), std::optional<std::string>()}) {
            ScopedEnv winePrefix("WINEPREFIX", missing); // unset: ~/.wine, which does not exist
            auto location = locateRegistry();
            EXPECT_EQ(location.kind, RegistryStoreKind::OwnFile);
            EXPECT_EQ(location.file, dir.file("config") + "/tobrel/user.reg");
        }
        ScopedEnv noXdg("XDG_CONFIG_HOME", std::nullopt);
        EXPECT_EQ(locateRegistry().file, dir.file("home") + "/.config/tobrel/user.reg");
        // ~/.wine is the prefix once it holds any of Wine's own entries; an
        // empty folder is not one.
        const std::string wine = dir.file("home") + "/.wine";
        for (const char* entry : {"user.reg", "system.reg", "dosdevices/"}) {
            fs::remove_all(wine);
            fs::create_directories(wine);
            EXPECT_EQ(locateRegistry().kind, RegistryStoreKind::OwnFile) << entry;
            EXPECT_EQ(locateRegistry().file, dir.file("home") + "/.config/tobrel/user.reg");
            if (std::string_view(entry).ends_with('/')) {
                fs::create_directories(wine + "/" + entry);
            } else {
                writeBytes(wine + "/" + entry, "");
            }
            EXPECT_EQ(locateRegistry().file, wine + "/user.reg") << entry;
            EXPECT_EQ(locateRegistry().kind, RegistryStoreKind::WinePrefix) << entry;
        }
    }
    {
        // TOBREL_REGISTRY inside a prefix is that prefix's registry.
        testing::makeFakePrefix(prefix);
        ScopedEnv explicitFile("TOBREL_REGISTRY", prefix + "/user.reg");
        auto location = locateRegistry();
        EXPECT_EQ(location.kind, RegistryStoreKind::WinePrefix);
        EXPECT_EQ(location.prefix, prefix);
    }
}

TEST(WineRegistryStore, QueryGivesCodePage932BytesWithinTheBound) {
    TempDir dir;
    writeBytes(dir.file("user.reg"), std::string(kWineFile));
    WineRegistryStore store(ownFile(dir.file("user.reg")));
    auto key = store.openKey(RegistryRoot::CurrentUser, "software\\TOBREL");
    ASSERT_TRUE(key);

    // C:\カード\ｶｰﾄﾞ.mcd is 18 bytes in code page 932, 19 with its terminator.
    const std::string expected = "C:\\\x83\x4A\x81\x5B\x83\x68\\\xB6\xB0\xC4\xDE.mcd";
    std::array<std::uint8_t, 19> exact{};
    std::size_t delivered = 0;
    ASSERT_TRUE(store.queryValue(*key, "path", exact, &delivered));
    EXPECT_EQ(delivered, 19u);
    EXPECT_EQ(std::string(exact.begin(), exact.end()), expected + '\0');

    std::array<std::uint8_t, 18> short1{};
    short1.fill(0xEE);
    EXPECT_FALSE(store.queryValue(*key, "Path", short1, &delivered));
    EXPECT_EQ(delivered, 19u); // the size it would need
    for (auto byte : short1) {
        EXPECT_EQ(byte, 0xEE); // untouched
    }
    delivered = 7;
    EXPECT_FALSE(store.queryValue(*key, "missing", short1, &delivered));
    EXPECT_EQ(delivered, 7u);

    // A string without a stored terminator gets one when there is room, uncounted.
    std::array<std::uint8_t, 4> room;
    room.fill(0xEE);
    ASSERT_TRUE(store.queryValue(*key, "NoNul", room, &delivered));
    EXPECT_EQ(delivered, 2u);
    EXPECT_EQ(std::string(room.begin(), room.end()), std::string("pq\0\xEE", 4));
    std::array<std::uint8_t, 2> tight{};
    EXPECT_TRUE(store.queryValue(*key, "NoNul", tight));

    std::array<std::uint8_t, 8> binary;
    binary.fill(0xEE);
    ASSERT_TRUE(store.queryValue(*key, "Bin", binary, &delivered));
    EXPECT_EQ(delivered, 3u);
    EXPECT_EQ(std::string(binary.begin(), binary.end()), "\x01\x02\x03\xEE\xEE\xEE\xEE\xEE");
    ASSERT_TRUE(store.queryValue(*key, "Dw", binary));
    EXPECT_EQ(binary[0], 0x78);
    EXPECT_FALSE(store.queryValue(*key, "Missing", binary));
    store.closeKey(*key);
    EXPECT_EQ(store.openKeyCount(), 0u);
    EXPECT_FALSE(store.queryValue(*key, "Bin", binary)); // a closed key is gone
}

TEST(WineRegistryStore, OpenNeedsAnExistingKeyAndCreateMakesParents) {
    TempDir dir;
    writeBytes(dir.file("user.reg"), std::string(kWineFile));
    WineRegistryStore store(ownFile(dir.file("user.reg")));
    EXPECT_FALSE(store.openKey(RegistryRoot::CurrentUser, "Software\\Missing"));
    EXPECT_FALSE(store.openKey(RegistryRoot::LocalMachine, "Software\\Tobrel"));
    EXPECT_EQ(readBytes(dir.file("user.reg")), kWineFile);

    auto created = store.createKey(RegistryRoot::CurrentUser, "Software\\New\\Deep\\Key");
    ASSERT_TRUE(created);
    store.closeKey(*created);
    for (auto path : {"Software\\New", "Software\\New\\Deep", "software\\new\\deep\\KEY"}) {
        auto key = store.openKey(RegistryRoot::CurrentUser, path);
        EXPECT_TRUE(key) << path;
        if (key) {
            store.closeKey(*key);
        }
    }
    EXPECT_NE(readBytes(dir.file("user.reg")).find("\n[Software\\\\New\\\\Deep\\\\Key] "),
              std::string::npos);
}

TEST(WineRegistryStore, OwnFileIsCreatedWithWinesHeaderAndItsFolder) {
    TempDir dir;
    const std::string file = dir.file("config/tobrel/user.reg");
    WineRegistryStore store(ownFile(file));
    ASSERT_TRUE(setString(store, "Software\\bleem\\bleem!\\1.0\\CARD", "Card0PathName",
                          std::string("/cards/a.mcd\0", 13)));
    const std::string content = readBytes(file);
    EXPECT_TRUE(content.starts_with("WINE REGISTRY Version 2\n;; All keys relative to "));
    EXPECT_NE(content.find("\n\"Card0PathName\"=\"/cards/a.mcd\"\n"), std::string::npos);
}

TEST(WineRegistryStore, RefusesToWriteAFileThatIsNotWines) {
    TempDir dir;
    for (std::string foreign : {"\xEF\xBB\xBF" + std::string(kWineFile),
                                std::string("REGEDIT4\n\n[HKEY_CURRENT_USER]\n"), std::string()}) {
        writeBytes(dir.file("user.reg"), foreign);
        WineRegistryStore store(ownFile(dir.file("user.reg")));
        EXPECT_EQ(registryWriteBlock(ownFile(dir.file("user.reg"))),
                  RegistryWriteBlock::ForeignFile);
        EXPECT_FALSE(setString(store, "Software\\Tobrel", "Path", std::string("x\0", 2)));
        EXPECT_FALSE(store.openKey(RegistryRoot::CurrentUser, "Software\\Tobrel"));
        EXPECT_EQ(readBytes(dir.file("user.reg")), foreign);
        EXPECT_EQ(testing::listFolder(dir.path()).size(), 1u);
    }
}

// Where a wineserver of each kind keeps its lock, below the test's root.
struct ServerPlace {
    const char* what;
    const char* entry; // the prefix's "wineserver" entry; "": none
    std::optional<std::string> tmpdir;
    std::string parent;     // the folder holding the server's own folder
    const char* folderName; // its name; "": upstream's .wine-<uid>
};

void expectWritesRefusedWhileLocked(const ServerPlace& place) {
    SCOPED_TRACE(place.what);
    TempDir dir;
    const std::string prefix = testing::makeFakePrefix(dir.path() / "pfx");
    const std::string root = dir.file("root");
    const testing::ScopedEnv tmpdir("TMPDIR", place.tmpdir);
    if (*place.entry) {
        writeBytes(prefix + "/wineserver", std::string(place.entry) + "\n");
    }
    const std::string lock = testing::serverLockPath(prefix, root + place.parent, place.folderName);
    writeBytes(prefix + "/user.reg", std::string(kWineFile));
    const RegistryLocation location{RegistryStoreKind::WinePrefix, prefix + "/user.reg", prefix};
    WineRegistryStore store(location, {root, {}});

    // The lock file stays after the server exits: unlocked, it means nothing.
    writeBytes(lock, "");
    EXPECT_FALSE(wineserverRunning(prefix, root));
    {
        testing::LockHolder server(lock);
        ASSERT_TRUE(server.locked());
        EXPECT_TRUE(wineserverRunning(prefix, root));
        EXPECT_EQ(registryWriteBlock(location, root), RegistryWriteBlock::WineserverRunning);
        EXPECT_FALSE(setString(store, "Software\\Tobrel", "Path", std::string("x\0", 2)));
        EXPECT_FALSE(setString(store, "Software\\Brand New", "Path", std::string("x\0", 2)));
        EXPECT_EQ(readBytes(prefix + "/user.reg"), kWineFile);
        // Reading is harmless and still works.
        auto key = store.openKey(RegistryRoot::CurrentUser, "Software\\Tobrel");
        EXPECT_TRUE(key);
        if (key) {
            store.closeKey(*key);
        }
        server.release();
        EXPECT_FALSE(wineserverRunning(prefix, root));
    }
    EXPECT_TRUE(setString(store, "Software\\Tobrel", "Path", std::string("x\0", 2)));
    EXPECT_NE(readBytes(prefix + "/user.reg").find("\"Path\"=\"x\"\n"), std::string::npos);
}

TEST(WineRegistryStore, RefusesToWriteWhileAWineserverHoldsItsLock) {
    const std::string runtime = "/run/user/" + std::to_string(::getuid());
    const ServerPlace places[] = {
        {"upstream Wine", "", std::nullopt, "/tmp", ""},
        {"upstream Wine, our TMPDIR elsewhere", "", "/elsewhere", "/tmp", ""},
        {"Debian, no TMPDIR", "wine-Ab3dEf", std::nullopt, "/tmp", "wine-Ab3dEf"},
        // The server's TMPDIR was ours, or it had none while we have one.
        {"Debian, in our TMPDIR", "wine-Ab3dEf", "/elsewhere/", "/elsewhere", "wine-Ab3dEf"},
        {"Debian, in /tmp while we have a TMPDIR", "wine-Ab3dEf", "/elsewhere", "/tmp",
         "wine-Ab3dEf"},
        // With a runtime folder the name is always "wine", whatever the entry says.
        {"Debian, in the runtime folder", "", std::nullopt, runtime, "wine"},
    };
    for (const auto& place : places) {
        expectWritesRefusedWhileLocked(place);
    }
}

TEST(WineRegistryStore, FullDiskLeavesTheFileIntact) {
    TempDir dir;
    const std::string original = readBytes(TOBREL_FIXTURE_DIR "/wine/user.reg");
    writeBytes(dir.file("user.reg"), original);
    WineRegistryStore store(ownFile(dir.file("user.reg")));
    {
        testing::FileSizeLimit full(original.size() / 2);
        EXPECT_FALSE(setString(store, "Software\\bleem\\bleem!\\1.0\\CARD", "Card0PathName",
                               std::string("C:\\A.MCD\0", 9)));
        EXPECT_FALSE(
            setString(store, "Control Panel\\Desktop", "WheelScrollLines", std::string("5\0", 2)));
    }
    EXPECT_EQ(readBytes(dir.file("user.reg")), original);
    EXPECT_EQ(testing::listFolder(dir.path()), std::vector<std::string>{"user.reg"});
}

TEST(WineRegistryStoreReadOnly, ReadOnlyFolderRefusesWritesAndKeepsTheFile) {
    if (!testing::permissionsAreEnforced()) {
        GTEST_SKIP() << "permissions are not enforced for this user";
    }
    TempDir dir;
    writeBytes(dir.file("user.reg"), std::string(kWineFile));
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    WineRegistryStore store(ownFile(dir.file("user.reg")));
    EXPECT_FALSE(setString(store, "Software\\Tobrel", "Path", std::string("x\0", 2)));
    EXPECT_EQ(readBytes(dir.file("user.reg")), kWineFile);
    fs::permissions(dir.path(), fs::perms::owner_all);
}

TEST(WineRegistryStore, WritesThroughASymbolicLink) {
    TempDir dir;
    writeBytes(dir.file("real.reg"), std::string(kWineFile));
    fs::create_symlink("real.reg", dir.path() / "user.reg");
    WineRegistryStore store(ownFile(dir.file("user.reg")));
    ASSERT_TRUE(setString(store, "Software\\Tobrel", "Path", std::string("x\0", 2)));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "user.reg"));
    EXPECT_NE(readBytes(dir.file("real.reg")).find("\"Path\"=\"x\"\n"), std::string::npos);
}

TEST(WineRegistryStore, EveryOperationSeesTheFileAsItIsNow) {
    TempDir dir;
    writeBytes(dir.file("user.reg"), std::string(kWineFile));
    WineRegistryStore store(ownFile(dir.file("user.reg")));
    auto key = store.createKey(RegistryRoot::CurrentUser, "Software\\Tobrel");
    ASSERT_TRUE(key);
    // Someone else edits the file between create and set: their edit survives.
    std::string edited = readBytes(dir.file("user.reg")) + "\n[Software\\\\Other] 1\n\"o\"=\"1\"\n";
    writeBytes(dir.file("user.reg"), edited);
    ASSERT_TRUE(store.setValue(*key, "Bin", kRegBinary, asBytes("\x09")));
    store.closeKey(*key);
    const std::string after = readBytes(dir.file("user.reg"));
    EXPECT_NE(after.find("[Software\\\\Other] 1\n\"o\"=\"1\"\n"), std::string::npos);
    EXPECT_NE(after.find("\"Bin\"=hex:09\n"), std::string::npos);
}

// Another writer (Wine saving, an editor) replaces the file after the store
// read it and before it writes: the edit is made again on their content, and
// a file that keeps changing is left as the other writer last wrote it.
TEST(WineRegistryStore, FileReplacedBetweenReadAndWriteKeepsTheOtherWritersChange) {
    const struct {
        int replacements; // how many of the store's reads are followed by another write
        bool stored;
    } cases[] = {{1, true}, {2, true}, {3, false}};
    for (const auto& item : cases) {
        SCOPED_TRACE(item.replacements);
        TempDir dir;
        const std::string file = dir.file("user.reg");
        writeBytes(file, std::string(kWineFile));
        int replaced = 0;
        std::string last;
        WineStoreOptions options;
        // The clock is read after the file, right before the edit is written.
        options.clock = [&] {
            if (replaced < item.replacements) {
                ++replaced;
                last = readBytes(file) + "\n[Software\\\\Other" + std::to_string(replaced) +
                       "] 1\n\"o\"=dword:00000001\n";
                writeBytes(file, last);
            }
            return std::uint64_t{133000000000000000};
        };
        WineRegistryStore store(ownFile(file), options);
        auto key = store.openKey(RegistryRoot::CurrentUser, "Software\\Tobrel");
        ASSERT_TRUE(key);
        EXPECT_EQ(store.setValue(*key, "Bin", kRegBinary, asBytes("\x09")), item.stored);
        store.closeKey(*key);
        const std::string after = readBytes(file);
        if (item.stored) {
            EXPECT_TRUE(after.ends_with(last.substr(kWineFile.size())));
            EXPECT_NE(after.find("\"Bin\"=hex:09\n"), std::string::npos);
        } else {
            EXPECT_EQ(after, last);
        }
        EXPECT_EQ(testing::listFolder(dir.path()), std::vector<std::string>{"user.reg"});
    }
}

class WinePathMapping : public ::testing::Test {
protected:
    void SetUp() override {
        prefix_ = testing::makeFakePrefix(dir_.path() / "pfx");
        fs::create_directories(prefix_ + "/drive_c/Games/Emu");
        writeBytes(prefix_ + "/drive_c/Games/Emu/emu.exe", "");
        fs::create_directories(prefix_ + "/drive_c/My Cards");
        // d: and e: share a root inside c:'s; z: is the whole file system.
        fs::create_directory_symlink("../drive_c/Games", prefix_ + "/dosdevices/e:");
        fs::create_directory_symlink("../drive_c/Games", prefix_ + "/dosdevices/d:");
        fs::create_directory_symlink("/", prefix_ + "/dosdevices/z:");
        writeBytes(prefix_ + "/dosdevices/com1", "");
    }
    TempDir dir_;
    std::string prefix_;
};

TEST_F(WinePathMapping, UnixToWindowsTakesTheDeepestDriveAndTheLowestLetter) {
    const std::string c = prefix_ + "/drive_c";
    const struct {
        std::string unixPath;
        std::string windows;
    } cases[] = {
        {c + "/My Cards/A.MCD", "C:\\My Cards\\A.MCD"},
        {c + "/Nope/deeper/a.mcd", "C:\\Nope\\deeper\\a.mcd"}, // the tail need not exist
        {c, "C:\\"},
        {c + "/Games/Emu/emu.exe", "D:\\Emu\\emu.exe"}, // d: beats c: and e:
        {prefix_ + "/dosdevices/c:/Games/../My Cards/x", "C:\\My Cards\\x"},
        {"/", "Z:\\"},
        {dir_.file("outside/card.mcd"), "Z:" +
                                            [&] {
                                                std::string tail = dir_.file("outside/card.mcd");
                                                for (auto& ch : tail) {
                                                    ch = ch == '/' ? '\\' : ch;
                                                }
                                                return tail;
                                            }()},
    };
    for (const auto& item : cases) {
        EXPECT_EQ(unixPathToWindows(prefix_, item.unixPath), item.windows) << item.unixPath;
    }
    fs::remove(prefix_ + "/dosdevices/z:");
    EXPECT_FALSE(unixPathToWindows(prefix_, dir_.file("outside/card.mcd")));
}

TEST_F(WinePathMapping, WindowsToUnixLooksUpExistingFoldersWithoutCase) {
    const std::string c = prefix_ + "/dosdevices/c:";
    const struct {
        std::string windows;
        std::optional<std::string> unixPath;
    } cases[] = {
        {"c:\\games\\emu\\EMU.EXE", c + "/Games/Emu/emu.exe"},
        {"C:\\GAMES\\new\\Card.mcd", c + "/Games/new/Card.mcd"}, // kept as written once missing
        {"C:\\my cards\\", c + "/My Cards/"},
        {"C:/Games/Emu", c + "/Games/Emu"},
        {"Z:\\etc\\hostname", "/etc/hostname"},
        {"d:\\EMU", prefix_ + "/dosdevices/d:/Emu"},
        {"Q:\\nothing", std::nullopt},
        {"\\\\server\\share\\a.mcd", std::nullopt},
        {"games\\a.mcd", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& item : cases) {
        EXPECT_EQ(windowsPathToUnix(prefix_, item.windows), item.unixPath) << item.windows;
    }
}

} // namespace
} // namespace tobrel::platform
