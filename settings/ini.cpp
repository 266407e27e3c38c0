#include "settings/ini.h"

#include "platform/encoding.h"
#include "platform/paths.h"
#include "platform/user_dirs.h"

#include <algorithm>
#include <iterator>

namespace tobrel::settings {
namespace {

constexpr std::string_view kDefaultText = "Error";

std::string& iniPathStorage() {
    static std::string path;
    return path;
}

// The folder of iniPath when writes have to create it, else empty.
std::string& iniFolderToCreate() {
    static std::string folder;
    return folder;
}

// Creates the folder a write needs; a failure shows in the write itself.
void prepareFolder(const std::string& folder) {
    if (!folder.empty()) {
        platform::createPrivateFolders(folder);
    }
}

char upperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Text as the file stores it: code page 932, '?' for what it cannot hold. A
// line break would split the entry into lines of its own, so it becomes '?' too.
std::string toFileText(std::string_view utf8) {
    std::string text(utf8);
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, '?');
    return platform::encodeCp932Lossy(text);
}

} // namespace

std::string computeIniPath(std::string_view executablePath) {
    const std::size_t nameStart = platform::nameStart(executablePath);
    std::string_view folder = executablePath.substr(0, nameStart);
    std::string_view name = executablePath.substr(nameStart);
    // The extension starts at the last '.', unless that begins the name (".tobrel").
    std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0) {
        name = name.substr(0, dot);
    }
    if (name.empty()) {
        return {};
    }
    std::string path(folder);
    std::transform(name.begin(), name.end(), std::back_inserter(path), upperAscii);
    return path + ".INI";
}

const std::string& iniPath() {
    return iniPathStorage();
}

void setIniPath(std::string path, bool createFolder) {
    std::size_t slash = path.rfind('/');
    iniFolderToCreate() = createFolder && slash != std::string::npos && slash > 0
                              ? path.substr(0, slash)
                              : std::string();
    iniPathStorage() = std::move(path);
}

std::string readIni(std::string_view section, std::string_view key) {
    std::string bytes = platform::readProfileString(iniPath(), toFileText(section), toFileText(key),
                                                    kDefaultText, kIniBufferSize);
    std::string text = platform::decodeCp932(bytes);
    return text == kDefaultText ? std::string() : text;
}

bool writeIni(std::string_view section, std::string_view key, std::string_view value) {
    prepareFolder(iniFolderToCreate());
    return platform::writeProfileString(iniPath(), toFileText(section), toFileText(key),
                                        toFileText(value));
}

IniWriteBatch::IniWriteBatch() : batch_(iniPath()), folderToCreate_(iniFolderToCreate()) {}

IniWriteBatch::IniWriteBatch(std::string path) : batch_(std::move(path)) {}

bool IniWriteBatch::write(std::string_view section, std::string_view key, std::string_view value) {
    return batch_.set(toFileText(section), toFileText(key), toFileText(value));
}

bool IniWriteBatch::commit() {
    prepareFolder(folderToCreate_);
    return batch_.commit();
}

} // namespace tobrel::settings
