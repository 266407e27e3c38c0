#include "platform/user_dirs.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tobrel::platform {
namespace {

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

} // namespace

std::string userConfigHome() {
    // Relative values are invalid under the XDG rules and are ignored.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        return withoutTrailingSlashes(xdg);
    }
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        return {};
    }
    const std::string base = withoutTrailingSlashes(home);
    return base == "/" ? "/.config" : base + "/.config";
}

bool folderIsWritable(const std::string& folder) {
    struct stat info {};
    if (folder.empty() || ::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return false;
    }
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool sameFolder(const std::string& first, const std::string& second) {
    struct stat a {};
    struct stat b {};
    if (first.empty() || second.empty() || ::stat(first.c_str(), &a) != 0 ||
        ::stat(second.c_str(), &b) != 0) {
        return false;
    }
    return S_ISDIR(a.st_mode) && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool createPrivateFolders(const std::string& folder) {
    if (folder.empty()) {
        return false;
    }
    std::string path;
    std::size_t start = 0;
    while (start <= folder.size()) {
        std::size_t slash = folder.find('/', start);
        std::size_t end = slash == std::string::npos ? folder.size() : slash;
        path = folder.substr(0, end);
        if (!path.empty() && ::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            break;
        }
        start = slash + 1;
    }
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace tobrel::platform
