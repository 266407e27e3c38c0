#include "platform/user_dirs.h"
#include "tests/support/registry_env.h"
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace tobrel::platform {
namespace {

using tobrel::testing::ScopedEnv;
using tobrel::testing::TempDir;
using tobrel::testing::writeBytes;

struct ConfigHomeCase {
    const char* name;
    std::optional<std::string> xdg;
    std::optional<std::string> home;
    std::string expected;
};

class ConfigHome : public ::testing::TestWithParam<ConfigHomeCase> {};

TEST_P(ConfigHome, FollowsTheXdgRules) {
    ScopedEnv xdg("XDG_CONFIG_HOME", GetParam().xdg);
    ScopedEnv home("HOME", GetParam().home);
    EXPECT_EQ(userConfigHome(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigHome,
    ::testing::Values(ConfigHomeCase{"absolute", "/x/cfg//", "/h", "/x/cfg"},
                      ConfigHomeCase{"relative", "cfg", "/h/", "/h/.config"},
                      ConfigHomeCase{"empty", "", "/h", "/h/.config"},
                      ConfigHomeCase{"unset", std::nullopt, "/h", "/h/.config"},
                      ConfigHomeCase{"root", std::nullopt, "/", "/.config"},
                      ConfigHomeCase{"nothing", std::nullopt, std::nullopt, ""},
                      ConfigHomeCase{"relativehome", std::nullopt, "h", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UserDirs, FolderTestsTellFoldersFromFilesAndLinks) {
    TempDir dir;
    writeBytes(dir.file("file"), "x");
    std::filesystem::create_directory(dir.path() / "sub");
    std::filesystem::create_directory_symlink(dir.path() / "sub", dir.path() / "link");
    EXPECT_TRUE(folderIsWritable(dir.file("sub")));
    EXPECT_FALSE(folderIsWritable(dir.file("file")));
    EXPECT_FALSE(folderIsWritable(dir.file("missing")));
    EXPECT_FALSE(folderIsWritable(""));
    EXPECT_TRUE(sameFolder(dir.file("sub"), dir.file("link")));
    EXPECT_FALSE(sameFolder(dir.file("sub"), dir.path().string()));
    EXPECT_FALSE(sameFolder(dir.file("file"), dir.file("file")));
    EXPECT_FALSE(sameFolder(dir.file("missing"), dir.file("missing")));
}

TEST(UserDirs, CreatesOnlyWhereNoFileIsInTheWay) {
    TempDir dir;
    writeBytes(dir.file("file"), "x");
    EXPECT_TRUE(createPrivateFolders(dir.file("a/b/c")));
    EXPECT_EQ(std::filesystem::status(dir.file("a/b")).permissions(),
              std::filesystem::perms::owner_all);
    EXPECT_TRUE(createPrivateFolders(dir.file("a/b/c")));
    EXPECT_FALSE(createPrivateFolders(dir.file("file/c")));
    EXPECT_FALSE(createPrivateFolders(dir.file("file")));
    EXPECT_FALSE(createPrivateFolders(""));
}

TEST(UserDirs, ReadOnlyFolderIsNotWritable) {
    if (!tobrel::testing::permissionsAreEnforced()) {
        GTEST_SKIP() << "root ignores file permissions; run again as an ordinary user";
    }
    TempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0555));
    EXPECT_FALSE(folderIsWritable(dir.path().string()));
}

} // namespace
} // namespace tobrel::platform
