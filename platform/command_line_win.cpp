#include "platform/command_line.h"
#include "platform/files.h"

#include <windows.h>

#include <shellapi.h>

namespace tobrel::platform {

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) {
        return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc)
                        : std::vector<std::string>{};
    }
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) {
        arguments.push_back(fromFsPath(std::filesystem::path(wide[i])));
    }
    LocalFree(wide);
    return arguments;
}

} // namespace tobrel::platform
