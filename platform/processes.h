#pragma once
// Which programs are running, for refusing to edit the settings of an
// emulator that would write its own copy back over the edit.

#include <string>
#include <vector>

namespace tobrel::platform {

// For every process this user can see, the names it runs under: its short
// name (on Linux /proc's "comm", at most 15 bytes) and the last component of
// its program file as started ("/" and "\" both separate, so a Windows
// program under Wine gives its .exe name). Unordered, repeats possible.
std::vector<std::string> runningProgramNames();

} // namespace tobrel::platform
