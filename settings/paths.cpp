#include "settings/paths.h"

#include "platform/files.h"
#include "platform/paths.h"

namespace tobrel::settings {

bool fileExistsForSettings(const std::string& path) {
    std::string_view name = std::string_view(path).substr(platform::nameStart(path));
    if (name.empty() || name.front() == '.') {
        return false;
    }
    return platform::regularFileExists(path);
}

} // namespace tobrel::settings
