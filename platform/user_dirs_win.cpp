#include "platform/files.h"
#include "platform/user_dirs.h"

#include <cstdlib>
#include <filesystem>
#include <windows.h>

namespace tobrel::platform {
namespace {

// An open handle to a folder (FILE_FLAG_BACKUP_SEMANTICS opens folders).
HANDLE openFolder(const std::string& folder) {
    return CreateFileW(toFsPath(folder).c_str(), FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool isFolder(const std::string& folder) {
    const DWORD attributes = GetFileAttributesW(toFsPath(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

std::string userConfigHome() {
    // The roaming application data folder, with "/" between the folders as
    // the settings code expects; Windows takes either separator.
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (!appData || !*appData) {
        return {};
    }
    std::string folder = fromFsPath(std::filesystem::path(appData).generic_wstring());
    while (folder.size() > 3 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

bool folderIsWritable(const std::string& folder) {
    if (folder.empty() || !isFolder(folder)) {
        return false;
    }
    // Access rights on Windows are lists, not bits: the one sure test is to
    // create a file. It goes away when the handle closes.
    for (int attempt = 0; attempt < 10; ++attempt) {
        const std::string probe = folder + "/.tobrel-probe-" +
                                  std::to_string(GetCurrentProcessId()) + "-" +
                                  std::to_string(attempt);
        HANDLE file = CreateFileW(toFsPath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    return false;
}

bool sameFolder(const std::string& first, const std::string& second) {
    if (first.empty() || second.empty() || !isFolder(first) || !isFolder(second)) {
        return false;
    }
    HANDLE a = openFolder(first);
    HANDLE b = openFolder(second);
    BY_HANDLE_FILE_INFORMATION infoA{};
    BY_HANDLE_FILE_INFORMATION infoB{};
    const bool same =
        a != INVALID_HANDLE_VALUE && b != INVALID_HANDLE_VALUE &&
        GetFileInformationByHandle(a, &infoA) && GetFileInformationByHandle(b, &infoB) &&
        infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
        infoA.nFileIndexHigh == infoB.nFileIndexHigh && infoA.nFileIndexLow == infoB.nFileIndexLow;
    if (a != INVALID_HANDLE_VALUE) {
        CloseHandle(a);
    }
    if (b != INVALID_HANDLE_VALUE) {
        CloseHandle(b);
    }
    return same;
}

bool createPrivateFolders(const std::string& folder) {
    // New folders inherit the parent's access list; under the user's profile
    // that is the user's alone.
    if (folder.empty()) {
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(toFsPath(folder), error);
    return isFolder(folder);
}

} // namespace tobrel::platform
