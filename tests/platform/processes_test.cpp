// The names of running programs: this test's own process is among them.

#include "platform/processes.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tobrel::platform {
namespace {

TEST(RunningPrograms, IncludeThisTestProgram) {
    const auto names = runningProgramNames();
    EXPECT_TRUE(std::any_of(names.begin(), names.end(), [](const std::string& name) {
        return name == "platform_test" || name == "platform_test.exe";
    }));
}

} // namespace
} // namespace tobrel::platform
