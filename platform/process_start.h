#pragma once
// Starting programs that outlive Tobrel, and opening files with the
// desktop's default application.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tobrel::platform {

struct DetachedProcess {
    std::string program;
    std::vector<std::string> arguments;
    std::string workingDirectory;                                 // empty: ours
    std::vector<std::pair<std::string, std::string>> environment; // added to ours
};

// Starts the process detached: it is not our child, so closing Tobrel never
// ends it and it leaves no zombie behind. False when it could not be started
// (no such program, working folder missing). pid, when given, receives its id.
bool startDetachedProcess(const DetachedProcess& process, std::int64_t* pid = nullptr);

// Opens the file with the application the desktop associates with it.
bool openWithDesktopDefault(const std::string& path);

// Windows: ShellExecuteA "open" on target with no owner window, in folder, in a
// normal window. Elsewhere the desktop's default application opens it.
// False when nothing could take it.
bool shellOpen(const std::string& target, const std::string& folder);

// Starts a whole command line as Windows takes it, in a normal, focused window
// (Windows: CreateProcess; elsewhere the line is split into words as a shell
// would and the first one is run). False when it could not be started.
bool startCommandLine(const std::string& commandLine);

// Asks the desktop to open an address (the user's browser): Windows,
// ShellExecuteA "open" with the desktop window as owner and SW_SHOW. False
// when nothing could open it (no browser).
bool openAddress(const std::string& address);

} // namespace tobrel::platform
