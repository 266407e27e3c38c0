#include "platform/files.h"
#include "platform/wine_programs.h"

#include <windows.h>

// On Windows programs start natively: there is no wine program and no prefix.

namespace tobrel::platform {

bool programsRunThroughWine() {
    return false;
}

std::string findWineProgram() {
    return {};
}

std::string launchPrefix() {
    return {};
}

std::string windowsDirectory() {
    wchar_t buffer[MAX_PATH + 1];
    const UINT length = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) {
        return {};
    }
    return fromFsPath(std::filesystem::path(std::wstring(buffer, length)));
}

} // namespace tobrel::platform
