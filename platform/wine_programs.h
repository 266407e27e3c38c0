#pragma once
// Running Windows programs through Wine: where the wine program is and which
// prefix the programs run in.

#include <string>

namespace tobrel::platform {

// Whether Windows programs run through Wine here: true on Linux; false on
// Windows, where they run natively and drive-letter paths are this system's own.
bool programsRunThroughWine();

// The wine program: $WINE when it names an executable file, else "wine" or
// "wine64" found on $PATH. Empty when Wine is not installed.
std::string findWineProgram();

// The prefix that started programs use: the one the registry store reads
// (so the emulators see the slots written here), else Wine's default
// ($WINEPREFIX or ~/.wine). Empty when no home folder is known.
std::string launchPrefix();

// The Windows folder of that prefix, as the programs in it see C:\windows:
// "<prefix>/drive_c/windows". Empty without a prefix.
std::string windowsDirectory();

} // namespace tobrel::platform
