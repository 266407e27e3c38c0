#include "platform/processes.h"

#include "platform/files.h"

#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <filesystem>

namespace tobrel::platform {

std::vector<std::string> runningProgramNames() {
    std::vector<std::string> names;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return names;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        names.push_back(fromFsPath(std::filesystem::path(entry.szExeFile)));
    }
    CloseHandle(snapshot);
    return names;
}

} // namespace tobrel::platform
