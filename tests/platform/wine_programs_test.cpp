#include "platform/wine_programs.h"
#include "tests/support/registry_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tobrel::platform {
namespace {

using namespace tobrel::testing;

TEST(WinePrograms, WineIsFoundThroughWineOrAnAbsolutePathFolder) {
    TempDir dir;
    namespace fs = std::filesystem;
    for (const char* folder : {"bin", "other", "plain"}) {
        fs::create_directory(dir.path() / folder);
    }
    const auto program = [&](const std::string& path, bool executable) {
        writeBytes(dir.file(path), "#!/bin/sh\n");
        fs::permissions(dir.file(path), executable ? fs::perms::owner_all : fs::perms::owner_read);
        return dir.file(path);
    };
    const std::string wine64 = program("bin/wine64", true);
    const std::string mine = program("other/mywine", true);
    program("plain/wine", false);
    const std::string folders = dir.file("plain") + ":" + dir.file("bin");
    const struct {
        const char* name;
        std::optional<std::string> wineVariable;
        std::string path;
        std::string expected;
    } cases[] = {
        {"$WINE as a path", mine, folders, mine},
        {"$WINE as a name on $PATH", "mywine", dir.file("other"), mine},
        {"$WINE naming nothing falls back to $PATH", "/no/wine", folders, wine64},
        {"not executable is skipped; wine64 will do", std::nullopt, folders, wine64},
        {"relative folders are not searched", std::nullopt, "bin:other", ""},
        {"none at all", std::nullopt, dir.file("plain"), ""},
    };
    // Run where relative "bin" would find a wine, to see that it is not searched.
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ScopedEnv wine("WINE", c.wineVariable);
        const ScopedEnv path("PATH", c.path);
        EXPECT_EQ(findWineProgram(), c.expected);
    }
    fs::current_path(previous);
}

TEST(WinePrograms, ProgramsRunInTheRegistrysPrefix) {
    TempDir dir;
    const std::string prefix = makeFakePrefix(dir.path() / "emulators");
    {
        const ScopedEnv registry("TOBREL_REGISTRY", prefix + "/user.reg");
        EXPECT_EQ(launchPrefix(), prefix);
        EXPECT_EQ(windowsDirectory(), prefix + "/drive_c/windows");
    }
    // Tobrel's own registry file: Wine's default prefix.
    const ScopedEnv registry("TOBREL_REGISTRY", dir.file("own/user.reg"));
    const ScopedEnv winePrefix("WINEPREFIX", dir.file("wine"));
    EXPECT_EQ(launchPrefix(), dir.file("wine"));
}

} // namespace
} // namespace tobrel::platform
