#include "platform/processes.h"

#include "platform/files.h"

#include <algorithm>

namespace tobrel::platform {
namespace {

std::string lastComponent(std::string_view path) {
    const auto cut = path.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

} // namespace

std::vector<std::string> runningProgramNames() {
    std::vector<std::string> names;
    const auto entries = listDirectory("/proc");
    if (!entries) {
        return names;
    }
    for (const auto& entry : *entries) {
        if (entry.name.empty() || !std::all_of(entry.name.begin(), entry.name.end(),
                                               [](char c) { return c >= '0' && c <= '9'; })) {
            continue;
        }
        const std::string folder = "/proc/" + entry.name + "/";
        if (auto comm = readWholeFile(folder + "comm")) {
            while (!comm->empty() && comm->back() == '\n') {
                comm->pop_back();
            }
            names.push_back(std::move(*comm));
        }
        if (auto commandLine = readWholeFile(folder + "cmdline")) {
            const std::string_view program(commandLine->c_str()); // up to the first NUL
            if (!program.empty()) {
                names.push_back(lastComponent(program));
            }
        }
    }
    return names;
}

} // namespace tobrel::platform
