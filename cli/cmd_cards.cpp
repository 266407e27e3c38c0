#include "cards/card_saves.h"
#include "cards/conversion.h"
#include "cli/commands.h"

#include <iostream>

namespace tobrel::cli {

int runConvert(const Arguments& args) {
    if (args.size() < 2) {
        return usageError("convert needs a direction and at least one file");
    }
    const int index = cards::directionFromName(args[0]);
    if (index < 0) {
        return usageError("unknown direction: " + args[0]);
    }
    const auto& direction = cards::directions[static_cast<std::size_t>(index)];
    const std::vector<std::string> sources(args.begin() + 1, args.end());
    std::cout << direction.caption << '\n';
    const int failures = cards::runConversionJob(
        sources, direction, [](const std::string& line) { std::cout << line << std::endl; });
    return failures == 0 ? kExitOk : kExitFailed;
}

int runSaves(const Arguments& args) {
    bool vgs = false;
    std::string path;
    for (const auto& arg : args) {
        if (arg == "--vgs") {
            vgs = true;
        } else if (path.empty() && !(arg.size() > 1 && arg.rfind("--", 0) == 0)) {
            path = arg;
        } else {
            return usageError("unexpected argument: " + arg);
        }
    }
    if (path.empty()) {
        return usageError("saves needs a file");
    }
    const auto saves = cards::listCardSaves(path, vgs);
    if (!saves.readable) {
        std::cerr << path << ": " << saves.error << '\n';
        return kExitFailed;
    }
    for (const auto& row : saves.rows) {
        std::cout << row.title << '\t' << row.blockCount << '\n';
    }
    return kExitOk;
}

} // namespace tobrel::cli
