#pragma once
// Set-up shared by the tests of the profile format and of the settings file.

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <string>

namespace tobrel::testing {

// Each test gets a settings file path of its own in a fresh folder.
class SettingsFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("TOBREL.INI");
};

} // namespace tobrel::testing

// Read-only folders and files mean nothing to root, which ignores permissions.
#define TOBREL_SKIP_WITHOUT_ENFORCED_PERMISSIONS()                                                 \
    if (!::tobrel::testing::permissionsAreEnforced())                                              \
    GTEST_SKIP() << "root ignores file permissions; run again as an ordinary user"
