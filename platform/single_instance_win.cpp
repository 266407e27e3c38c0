#include "platform/files.h"
#include "platform/single_instance.h"

#include <string>
#include <windows.h>

namespace tobrel::platform::detail {

LockHold holdLockFile(const std::string& path, std::intptr_t& handle) {
    // Opened without sharing: while this handle is open no other process can
    // open the file, and the system closes it when the process ends, however
    // it ends. The file itself stays.
    HANDLE file = CreateFileW(toFsPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_SHARING_VIOLATION ? LockHold::HeldElsewhere
                                                         : LockHold::Unavailable;
    }
    // The id is for people looking at the file; only the open handle counts.
    const std::string id = std::to_string(GetCurrentProcessId()) + "\r\n";
    DWORD written = 0;
    if (SetEndOfFile(file)) {
        WriteFile(file, id.data(), static_cast<DWORD>(id.size()), &written, nullptr);
    }
    handle = reinterpret_cast<std::intptr_t>(file);
    return LockHold::Taken;
}

void releaseLockFile(std::intptr_t handle) {
    CloseHandle(reinterpret_cast<HANDLE>(handle));
}

} // namespace tobrel::platform::detail
