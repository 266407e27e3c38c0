#include "settings/paths.h"

#include "platform/files.h"
#include "platform/user_dirs.h"
#include "settings/ini.h"

#include <algorithm>

namespace tobrel::settings {
namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool startsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

enum class SeparatorSearch { Found, NoneAtAll, OutsideWindow };

struct LastSeparator {
    SeparatorSearch result = SeparatorSearch::NoneAtAll;
    std::size_t index = 0;
};

// Walks back over at most kPathWindow characters looking for a separator.
LastSeparator findLastSeparator(std::string_view path) {
    std::size_t characters = 0;
    for (std::size_t i = path.size(); i > 0; --i) {
        char byte = path[i - 1];
        if (!startsCharacter(byte)) {
            continue; // inside a multi-byte character: no separator here
        }
        if (++characters > kPathWindow) {
            bool anyFurther = path.substr(0, i).find_first_of("\\/") != std::string_view::npos;
            return {anyFurther ? SeparatorSearch::OutsideWindow : SeparatorSearch::NoneAtAll, 0};
        }
        if (isSeparator(byte)) {
            return {SeparatorSearch::Found, i - 1};
        }
    }
    return {};
}

} // namespace

std::string directoryOf(std::string_view path) {
    LastSeparator last = findLastSeparator(path);
    if (last.result != SeparatorSearch::Found) {
        return {};
    }
    return std::string(path.substr(0, last.index + 1));
}

std::string fileNameOf(std::string_view path) {
    LastSeparator last = findLastSeparator(path);
    switch (last.result) {
    case SeparatorSearch::Found:
        return std::string(path.substr(last.index + 1));
    case SeparatorSearch::NoneAtAll:
        return std::string(path);
    case SeparatorSearch::OutsideWindow:
        break;
    }
    return {};
}

bool fileExistsForSettings(const std::string& path) {
    // Only "/" separates on this system; a "\" is part of a name here.
    std::size_t slash = path.rfind('/');
    std::string_view name =
        std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    if (name.empty() || name.front() == '.') {
        return false;
    }
    return platform::regularFileExists(path);
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
    const std::size_t slash = executablePath.rfind('/');
    const std::string folder(executablePath.substr(
        0, slash == std::string_view::npos ? 0 : std::max<std::size_t>(slash, 1)));
    IniPlaceFacts facts;
    facts.besideWritable = platform::folderIsWritable(folder);
    facts.besideIsInstallFolder =
        !installFolder.empty() && platform::sameFolder(folder, installFolder);
    facts.configHome = platform::userConfigHome();
    return chooseIniLocation(executablePath, facts);
}

} // namespace tobrel::settings
