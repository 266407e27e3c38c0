#include "platform/files.h"
#include "settings/paths.h"
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

} // namespace
} // namespace tobrel::settings
