#include "platform/wine_programs.h"

#include "platform/files.h"
#include "platform/wine/prefix.h"
#include "platform/wine/store.h"

#include <cstdlib>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace tobrel::platform {
namespace {

bool isExecutableFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(toFsPath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(toFsPath(path).c_str(), X_OK) == 0;
}

std::string findOnPath(std::string_view name) {
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const std::size_t colon = folders.find(':');
        const std::string folder(folders.substr(0, colon));
        // Only absolute folders: a "wine" lying in whatever folder we run in is not Wine.
        if (!folder.empty() && folder.front() == '/') {
            const std::string candidate = folder + "/" + std::string(name);
            if (isExecutableFile(candidate)) {
                return candidate;
            }
        }
        if (colon == std::string_view::npos) {
            return {};
        }
        folders.remove_prefix(colon + 1);
    }
}

} // namespace

bool programsRunThroughWine() {
    return true;
}

std::string findWineProgram() {
    if (const char* wine = std::getenv("WINE"); wine && *wine) {
        if (std::string named = wine; named.find('/') != std::string::npos) {
            if (isExecutableFile(named)) {
                return named;
            }
        } else if (std::string found = findOnPath(named); !found.empty()) {
            return found;
        }
    }
    for (std::string_view name : {"wine", "wine64"}) {
        if (std::string found = findOnPath(name); !found.empty()) {
            return found;
        }
    }
    return {};
}

std::string launchPrefix() {
    const RegistryLocation location = locateRegistry();
    if (location.kind == RegistryStoreKind::WinePrefix && !location.prefix.empty()) {
        return location.prefix;
    }
    return winePrefixPath();
}

std::string windowsDirectory() {
    const std::string prefix = launchPrefix();
    return prefix.empty() ? std::string() : prefix + "/drive_c/windows";
}

} // namespace tobrel::platform
