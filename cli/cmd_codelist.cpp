#include "cli/commands.h"
#include "codelist/codelist.h"

#include <iostream>

namespace tobrel::cli {

int runCodelist(const Arguments& args) {
    if (args.size() != 1) {
        return usageError("codelist needs exactly one file");
    }
    const std::string& path = args[0];
    if (path.size() > 1 && path.rfind("--", 0) == 0) {
        return usageError("unexpected argument: " + path);
    }
    // An empty FILE reaches the core like an empty box on the panel.
    const auto result = codelist::extractJapaneseSections(path);
    if (!result.ok) {
        std::cerr << path << ": " << result.error << '\n';
        return kExitFailed;
    }
    std::cout << result.outputPath << '\n';
    return kExitOk;
}

} // namespace tobrel::cli
