#include "platform/wine/prefix.h"

// On Windows the emulators run natively: there is no Wine prefix, no
// wineserver to wait for, and a path of this system is already the path the
// emulators see.

namespace tobrel::platform {

std::string winePrefixPath() {
    return {};
}

bool looksLikeWinePrefix(const std::string&) {
    return false;
}

bool isWinePrefix(const std::string&) {
    return false;
}

bool wineserverRunning(const std::string&, const std::string&) {
    return false;
}

std::optional<std::string> windowsPathToUnix(const std::string&, std::string_view) {
    return std::nullopt;
}

std::optional<std::string> unixPathToWindows(const std::string&, std::string_view) {
    return std::nullopt;
}

} // namespace tobrel::platform
