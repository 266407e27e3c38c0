#include "launcher/launch_slots.h"

#include "platform/encoding.h"
#include "platform/paths.h"

namespace tobrel::launcher {
namespace {

bool endsWithCapitalised(std::string_view path, std::string_view suffix) {
    if (path.size() < suffix.size()) {
        return false;
    }
    const std::string_view tail = path.substr(path.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        char c = tail[i];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        if (c != suffix[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string slotCaption(int slot) {
    return "Program" + std::to_string(slot + 1);
}

std::string startButtonName(int slot, std::string_view path) {
    std::string name = platform::fileNameOf(path);
    if (path.empty()) {
        name = kFreeSlotText;
    } else if (name.empty()) {
        name = path; // no file name to show: the whole path says more than nothing
    }
    return slotCaption(slot) + ": " + name;
}

std::string pathBoxName(int slot) {
    return slotCaption(slot) + " のパス";
}

std::string registerButtonName(int slot) {
    return slotCaption(slot) + " のﾌﾟﾛｸﾞﾗﾑを登録";
}

RegisterDialogStart registerDialogStart(std::string_view slotPath, std::string_view programFolder) {
    if (slotPath.empty()) {
        return {std::string(programFolder), {}};
    }
    return {platform::directoryOf(slotPath), platform::fileNameOf(slotPath)};
}

bool pathCanBeStored(std::string_view path) {
    return platform::fitsCp932(path);
}

bool isControlPanelApplet(std::string_view path) {
    return endsWithCapitalised(path, ".CPL");
}

bool isExecutable(std::string_view path) {
    return endsWithCapitalised(path, ".EXE");
}

} // namespace tobrel::launcher
