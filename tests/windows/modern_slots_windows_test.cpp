// ePSXe's slots in the Windows build: written through advapi32 and read back
// by Windows' own registry functions.

#include "emulator/modern_slots.h"
#include "tests/support/card_images.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace tobrel::emulator {
namespace {

std::string queryString(const char* name) {
    char buffer[512] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueA(HKEY_CURRENT_USER, "Software\\epsxe\\config", name, RRF_RT_REG_SZ, nullptr,
                     buffer, &size) != ERROR_SUCCESS) {
        return "(missing)";
    }
    return buffer;
}

TEST(EpsxeThroughAdvapi, SetAndSwapReadBackThroughWindows) {
    HKEY existing;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\epsxe", 0, KEY_READ, &existing) ==
        ERROR_SUCCESS) {
        RegCloseKey(existing);
        GTEST_SKIP() << "an ePSXe configuration is present; it is left alone";
    }
    testing::TempDir dir;
    const auto first = dir.file("first.mcr");
    const auto second = dir.file("second.mcr");
    testing::writeBytes(first, testing::makeFormattedCard());
    testing::writeBytes(second, testing::makeFormattedCard());
    const EmulatorSettings epsxe{ModernEmulator::Epsxe, true, {}, {}};
    SlotsEnvironment environment;
    environment.runningPrograms = std::vector<std::string>{};

    ASSERT_TRUE(setModernSlot(epsxe, 0, first, environment).ok);
    ASSERT_TRUE(setModernSlot(epsxe, 1, second, environment).ok);
    EXPECT_EQ(queryString("Memcard1"), first);
    EXPECT_EQ(queryString("Memcard1Enable"), "1");
    const auto swapped = swapModernSlots(epsxe, environment);
    EXPECT_TRUE(swapped.ok) << swapped.message;
    EXPECT_EQ(queryString("Memcard1"), second);
    EXPECT_EQ(queryString("Memcard2"), first);

    environment.runningPrograms = std::vector<std::string>{"ePSXe.exe"};
    EXPECT_FALSE(setModernSlot(epsxe, 0, first, environment).ok);
    EXPECT_EQ(queryString("Memcard1"), second);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\epsxe");
}

} // namespace
} // namespace tobrel::emulator
