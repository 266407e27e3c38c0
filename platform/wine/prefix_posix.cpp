#include "platform/wine/prefix.h"

#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/wine/names.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tobrel::platform {
namespace {

namespace fs = std::filesystem;

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) {
        return home;
    }
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) {
        return entry->pw_dir;
    }
    return {};
}

std::string stripTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// The name Debian's wineserver chose for its temporary folder, from the
// prefix's "wineserver" entry (a file holding the name, or a link to the folder).
std::optional<std::string> debianServerFolderName(const std::string& prefix) {
    const fs::path entry = toFsPath(prefix + "/wineserver");
    std::error_code error;
    std::string name;
    if (fs::is_symlink(fs::symlink_status(entry, error))) {
        name = fromFsPath(fs::read_symlink(entry, error));
    } else if (auto content = readWholeFile(prefix + "/wineserver")) {
        name = *content;
    }
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r' || name.back() == ' ' ||
                             name.back() == '\0' || name.back() == '/')) {
        name.pop_back();
    }
    if (auto slash = name.rfind('/'); slash != std::string::npos) {
        name.erase(0, slash + 1);
    }
    if (name.empty() || name == "." || name == "..") {
        return std::nullopt;
    }
    return name;
}

enum class LockState { Absent, Free, Held };

LockState lockState(const std::string& lockPath) {
    const int fd = ::open(toFsPath(lockPath).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT || errno == ENOTDIR ? LockState::Absent : LockState::Held;
    }
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = 0;
    probe.l_len = 1;
    const int rc = ::fcntl(fd, F_GETLK, &probe);
    ::close(fd);
    if (rc != 0) {
        return LockState::Held;
    }
    return probe.l_type == F_UNLCK ? LockState::Free : LockState::Held;
}

// The entry of folder whose name equals name without regard to case, if any.
std::optional<std::string> findEntryIgnoringCase(const fs::path& folder, const std::string& name) {
    std::error_code error;
    if (fs::exists(folder / toFsPath(name), error)) {
        return name;
    }
    const auto wanted = utf8ToUtf16(name);
    if (!wanted) {
        return std::nullopt;
    }
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string candidate = fromFsPath(it->path().filename());
        const auto units = utf8ToUtf16(candidate);
        if (units && wine::namesEqual(*units, *wanted)) {
            return candidate;
        }
    }
    return std::nullopt;
}

struct DriveRoot {
    char letter;
    dev_t device;
    ino_t inode;
};

std::vector<DriveRoot> driveRoots(const std::string& prefix) {
    std::vector<DriveRoot> roots;
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        struct stat info {};
        const std::string link = prefix + "/dosdevices/" + letter + ":";
        if (::stat(toFsPath(link).c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            roots.push_back({letter, info.st_dev, info.st_ino});
        }
    }
    return roots;
}

} // namespace

std::string winePrefixPath() {
    const char* variable = std::getenv("WINEPREFIX");
    if (variable && *variable) {
        return variable[0] == '/' ? stripTrailingSlashes(variable) : std::string();
    }
    const std::string home = homeFolder();
    return home.empty() ? std::string() : stripTrailingSlashes(home) + "/.wine";
}

bool looksLikeWinePrefix(const std::string& folder) {
    std::error_code error;
    return fs::is_directory(toFsPath(folder + "/dosdevices"), error) ||
           regularFileExists(folder + "/system.reg");
}

bool isWinePrefix(const std::string& folder) {
    return looksLikeWinePrefix(folder) || regularFileExists(folder + "/user.reg");
}

bool wineserverRunning(const std::string& prefix, const std::string& serverRoot) {
    struct stat info {};
    if (prefix.empty() || ::stat(toFsPath(prefix).c_str(), &info) != 0) {
        return false; // no prefix folder, no server for it
    }
    char serverFolder[64];
    std::snprintf(serverFolder, sizeof serverFolder, "/server-%llx-%llx",
                  static_cast<unsigned long long>(info.st_dev),
                  static_cast<unsigned long long>(info.st_ino));
    const std::string uid = std::to_string(::getuid());
    std::vector<std::string> folders{"/run/user/" + uid + "/wine"};
    // The server's temporary folder comes from its own environment, which
    // need not be ours: ours and the usual one are both looked in.
    std::vector<std::string> tempRoots;
    if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir && tmpdir[0] == '/') {
        tempRoots.push_back(stripTrailingSlashes(tmpdir));
    }
    if (tempRoots.empty() || tempRoots.front() != "/tmp") {
        tempRoots.emplace_back("/tmp");
    }
    const auto debianName = debianServerFolderName(prefix);
    for (const auto& temp : tempRoots) {
        folders.push_back(temp + "/.wine-" + uid);
        if (debianName) {
            folders.push_back(temp + "/" + *debianName);
        }
    }
    for (const auto& folder : folders) {
        if (lockState(serverRoot + folder + serverFolder + "/lock") == LockState::Held) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> windowsPathToUnix(const std::string& prefix,
                                             std::string_view windowsPath) {
    if (prefix.empty() || windowsPath.size() < 2 || windowsPath[1] != ':' ||
        !std::isalpha(static_cast<unsigned char>(windowsPath[0]))) {
        return std::nullopt;
    }
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0])));
    const std::string drive = prefix + "/dosdevices/" + letter + ":";
    std::error_code error;
    if (!fs::is_directory(toFsPath(drive), error)) {
        return std::nullopt;
    }
    std::string base = drive;
    const fs::path target = fs::read_symlink(toFsPath(drive), error);
    if (!error && target.is_absolute()) {
        base = stripTrailingSlashes(fromFsPath(target));
    }

    std::string result = base == "/" ? std::string() : base;
    bool lookUp = true; // only while every component so far exists
    std::string_view rest = windowsPath.substr(2);
    while (!rest.empty()) {
        const std::size_t cut = rest.find_first_of("\\/");
        const std::string component(rest.substr(0, cut));
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
        if (component.empty()) {
            continue;
        }
        std::string name = component;
        if (lookUp) {
            auto found = findEntryIgnoringCase(toFsPath(result.empty() ? "/" : result), component);
            if (found) {
                name = *found;
            } else {
                lookUp = false;
            }
        }
        result += "/" + name;
    }
    if (result.empty() || windowsPath.ends_with('\\') || windowsPath.ends_with('/')) {
        result += "/";
    }
    return result;
}

std::optional<std::string> unixPathToWindows(const std::string& prefix, std::string_view unixPath) {
    if (prefix.empty() || unixPath.empty()) {
        return std::nullopt;
    }
    const auto roots = driveRoots(prefix);
    std::error_code error;
    fs::path path = toFsPath(unixPath);
    if (path.is_relative()) {
        path = fs::current_path(error) / path;
    }
    path = path.lexically_normal();

    std::vector<std::string> tail;
    for (fs::path folder = path;; folder = folder.parent_path()) {
        struct stat info {};
        if (::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            for (const auto& root : roots) { // in letter order: ties go to the lowest
                if (root.device == info.st_dev && root.inode == info.st_ino) {
                    std::string result{static_cast<char>(std::toupper(root.letter)), ':'};
                    for (auto it = tail.rbegin(); it != tail.rend(); ++it) {
                        result += "\\" + *it;
                    }
                    if (tail.empty()) {
                        result += "\\";
                    }
                    return result;
                }
            }
        }
        if (folder == folder.root_path() || !folder.has_relative_path()) {
            return std::nullopt;
        }
        const std::string name = fromFsPath(folder.filename());
        if (!name.empty()) {
            tail.push_back(name);
        }
    }
}

} // namespace tobrel::platform
