#include "platform/files.h"
#include "settings/paths.h"
#include "tests/support/registry_env.h"
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace tobrel::settings {
namespace {

using tobrel::testing::TempDir;
using tobrel::testing::writeBytes;

TEST(FileExistsForSettings, FindsOnlyOrdinaryVisibleFiles) {
    TempDir dir;
    writeBytes(dir.file("VGS.EXE"), "x");
    writeBytes(dir.file(".hidden"), "x");
    writeBytes(dir.file("a*b?.txt"), "x");
    std::filesystem::create_directory(dir.path() / "folder");
    std::filesystem::create_symlink(dir.path() / "VGS.EXE", dir.path() / "link.exe");
    std::filesystem::create_symlink(dir.path() / "gone", dir.path() / "dangling.exe");

    EXPECT_TRUE(fileExistsForSettings(dir.file("VGS.EXE")));
    EXPECT_TRUE(fileExistsForSettings(dir.file("link.exe")));
    EXPECT_TRUE(fileExistsForSettings(dir.file("a*b?.txt")));
    EXPECT_FALSE(fileExistsForSettings(dir.file("vgs.exe")));
    EXPECT_FALSE(fileExistsForSettings(dir.file("*.EXE")));
    EXPECT_FALSE(fileExistsForSettings(dir.file("VGS.EX?")));
    EXPECT_FALSE(fileExistsForSettings(dir.file(".hidden")));
    EXPECT_FALSE(fileExistsForSettings(dir.file("folder")));
    EXPECT_FALSE(fileExistsForSettings(dir.file("folder/")));
    EXPECT_FALSE(fileExistsForSettings(dir.file("dangling.exe")));
    EXPECT_FALSE(fileExistsForSettings(dir.file("missing.exe")));
    EXPECT_FALSE(fileExistsForSettings(dir.file("VGS.EXE/")));
    EXPECT_FALSE(fileExistsForSettings(""));
    EXPECT_FALSE(fileExistsForSettings("/dev/null"));
}

struct LocationCase {
    const char* name;
    std::string executable;
    IniPlaceFacts facts;
    IniLocation expected;
};

void PrintTo(const LocationCase& c, std::ostream* out) {
    *out << c.name;
}

class IniLocationChoice : public ::testing::TestWithParam<LocationCase> {};

TEST(StorableFolder, NearestFolderCodePage932Holds) {
    const std::pair<std::string, std::string> cases[] = {
        {"/home/u/ｶｰﾄﾞ/ゲーム", "/home/u/ｶｰﾄﾞ/ゲーム"},
        {"/home/u/café/x", "/home/u"},
        {"/home/u/café/", "/home/u"},
        {"/home/u/wave\u301C", "/home/u"},
        {"/café", "/"},
        {"C:\\café\\x", "C:\\"},
        {"café", ""},
        {"", ""},
    };
    for (const auto& [folder, kept] : cases) {
        EXPECT_EQ(storableFolder(folder), kept) << folder;
    }
}

TEST_P(IniLocationChoice, BesideTheExecutableOnlyWhereThatFolderIsWritable) {
    const IniLocation got = chooseIniLocation(GetParam().executable, GetParam().facts);
    EXPECT_EQ(got.path, GetParam().expected.path);
    EXPECT_EQ(got.createFolder, GetParam().expected.createFolder);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniLocationChoice,
    ::testing::Values(
        LocationCase{
            "portable", "/opt/t/Tobrel", {true, false, "/h/.config"}, {"/opt/t/TOBREL.INI", false}},
        LocationCase{"readonly",
                     "/opt/t/Tobrel",
                     {false, false, "/h/.config"},
                     {"/h/.config/tobrel/TOBREL.INI", true}},
        LocationCase{
            "installed", "/usr/bin/tobrel", {true, true, "/h/c"}, {"/h/c/tobrel/TOBREL.INI", true}},
        LocationCase{
            "renamed", "/usr/bin/tb.bin", {false, false, "/h/c"}, {"/h/c/tobrel/TB.INI", true}},
        LocationCase{
            "nohome", "/usr/bin/tobrel", {false, true, ""}, {"/usr/bin/TOBREL.INI", false}},
        LocationCase{"noname", "/usr/bin/", {false, false, "/h/c"}, {"", false}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniLocationOnThisSystem, WritableFolderKeepsItUnlessItIsTheInstallFolder) {
    TempDir dir;
    const std::string exe = dir.file("tobrel");
    tobrel::testing::ScopedEnv config("XDG_CONFIG_HOME", dir.file("cfg"));
    EXPECT_EQ(locateIniFile(exe, "").path, dir.file("TOBREL.INI"));
    EXPECT_EQ(locateIniFile(exe, dir.path().string() + "/.").path,
              dir.file("cfg/tobrel/TOBREL.INI"));
    EXPECT_EQ(locateIniFile(exe, "/nonexistent").path, dir.file("TOBREL.INI"));
}

} // namespace
} // namespace tobrel::settings
