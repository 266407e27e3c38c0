#include "settings/paths.h"

#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/user_dirs.h"
#include "settings/ini.h"

#include <algorithm>

namespace tobrel::settings {

bool fileExistsForSettings(const std::string& path) {
    std::string_view name = std::string_view(path).substr(platform::nameStart(path));
    if (name.empty() || name.front() == '.') {
        return false;
    }
    return platform::regularFileExists(path);
}

std::string storableFolder(std::string_view folder) {
    std::string kept(folder);
    while (!platform::fitsCp932(kept)) {
        const std::size_t nameStart = platform::nameStart(kept);
        if (nameStart == 0) {
            return {};
        }
        // Drop the last name ("" when the path ends in a separator) and the
        // separator before it, except a root's own ("/", "C:\").
        std::string parent = kept.substr(0, nameStart - 1);
        if (parent.empty() || parent.back() == ':') {
            parent = kept.substr(0, nameStart);
        }
        if (parent == kept) {
            return {};
        }
        kept = std::move(parent);
    }
    return kept;
}

IniLocation chooseIniLocation(std::string_view executablePath, const IniPlaceFacts& facts) {
    std::string beside = computeIniPath(executablePath);
    if (beside.empty() || (facts.besideWritable && !facts.besideIsInstallFolder) ||
        facts.configHome.empty()) {
        return {std::move(beside), false};
    }
    const std::size_t slash = beside.rfind('/');
    const std::string fileName = slash == std::string::npos ? beside : beside.substr(slash + 1);
    return {facts.configHome + "/tobrel/" + fileName, true};
}

std::string installedProgramFolder() {
#ifdef TOBREL_INSTALL_BINDIR
    return TOBREL_INSTALL_BINDIR;
#else
    return {};
#endif
}

IniLocation locateIniFile(std::string_view executablePath, const std::string& installFolder) {
#ifdef _WIN32
    // A portable program: the settings file is always the one beside it.
    static_cast<void>(installFolder);
    return {computeIniPath(executablePath), false};
#else
    const std::size_t slash = executablePath.rfind('/');
    const std::string folder(executablePath.substr(
        0, slash == std::string_view::npos ? 0 : std::max<std::size_t>(slash, 1)));
    IniPlaceFacts facts;
    facts.besideWritable = platform::folderIsWritable(folder);
    facts.besideIsInstallFolder =
        !installFolder.empty() && platform::sameFolder(folder, installFolder);
    facts.configHome = platform::userConfigHome();
    return chooseIniLocation(executablePath, facts);
#endif
}

} // namespace tobrel::settings
