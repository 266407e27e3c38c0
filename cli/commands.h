#pragma once
// The subcommands of tobrel-cli. Each returns the process exit status:
// 0 when everything was done, 1 when any part failed, 2 for bad usage.

#include "platform/wine/store.h"

#include <string>
#include <vector>

namespace tobrel::cli {

using Arguments = std::vector<std::string>;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

int runConvert(const Arguments& args);
int runSaves(const Arguments& args);
int runCheck(const Arguments& args);
int runExport(const Arguments& args);
int runImport(const Arguments& args);
int runDelete(const Arguments& args);
int runUndelete(const Arguments& args);
int runCopy(const Arguments& args);
int runSlots(const Arguments& args);
// slots --found and slots --emulator NAME: today's emulators (cmd_modern_slots.cpp).
bool isModernSlotsCommand(const Arguments& args);
int runModernSlots(const Arguments& args);
int runCodelist(const Arguments& args);
int runController(const Arguments& args);

// Why a write to the registry at location failed, for a message.
std::string describeRegistryRefusal(const platform::RegistryLocation& location);

// Prints the usage text to standard error and returns kExitUsage.
int usageError(const std::string& message);

} // namespace tobrel::cli
