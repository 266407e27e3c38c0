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

} // namespace tobrel::platform
