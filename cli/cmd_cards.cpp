#include "cards/card_check.h"
#include "cards/card_format.h"
#include "cards/card_saves.h"
#include "cards/conversion.h"
#include "cli/commands.h"
#include "cli/png_writer.h"
#include "platform/files.h"

#include <cstdio>
#include <iostream>
#include <optional>

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

namespace {

bool isOption(const std::string& arg) {
    return arg.size() > 1 && arg.rfind("--", 0) == 0;
}

// Where the icon of the save at block goes: DIR/<card name>_<block>.png.
std::string iconPath(const std::string& folder, const std::string& cardPath, int block) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "_%02d.png", block);
    const auto stem = platform::fromFsPath(platform::toFsPath(cardPath).stem());
    return platform::fromFsPath(platform::toFsPath(folder) / platform::toFsPath(stem + suffix));
}

// --vgs forces the VGS layout; without it the file's content and name decide.
bool readAsVgs(bool vgsOption, const std::string& path) {
    return vgsOption || cards::detectCardLayout(path) == cards::CardFileLayout::Vgs;
}

} // namespace

int runSaves(const Arguments& args) {
    bool vgs = false;
    std::string path;
    std::optional<std::string> iconFolder;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const auto& arg = args[i];
        if (arg == "--vgs") {
            vgs = true;
        } else if (arg == "--icons" && i + 1 < args.size() && !iconFolder) {
            iconFolder = args[++i];
        } else if (path.empty() && !isOption(arg)) {
            path = arg;
        } else {
            return usageError("unexpected argument: " + arg);
        }
    }
    if (path.empty()) {
        return usageError("saves needs a file");
    }
    if (iconFolder && iconFolder->empty()) {
        return usageError("--icons needs a folder");
    }
    const auto saves = cards::listCardSaves(path, readAsVgs(vgs, path));
    if (!saves.readable) {
        std::cerr << path << ": " << saves.error << '\n';
        return kExitFailed;
    }
    if (iconFolder) {
        int error = 0;
        if (!platform::createFolders(*iconFolder, &error)) {
            std::cerr << *iconFolder << ": " << platform::describeError(error) << '\n';
            return kExitFailed;
        }
    }
    int status = kExitOk;
    for (const auto& row : saves.rows) {
        std::string line = row.title + '\t' + std::to_string(row.blockCount);
        if (iconFolder) {
            // The third field names the picture written, empty for a save without an icon.
            line += '\t';
            if (row.icon) {
                const auto target = iconPath(*iconFolder, path, row.block);
                int error = 0;
                if (platform::replaceFileAtomically(
                        target, encodePng(cards::kIconSide, cards::kIconSide, row.icon->rgba),
                        &error)) {
                    line += target;
                } else {
                    std::cerr << target << ": " << platform::describeError(error) << '\n';
                    status = kExitFailed;
                }
            }
        }
        std::cout << line << '\n';
    }
    return status;
}

int runCheck(const Arguments& args) {
    bool vgs = false;
    std::vector<std::string> paths;
    for (const auto& arg : args) {
        if (arg == "--vgs") {
            vgs = true;
        } else if (isOption(arg)) {
            return usageError("unexpected argument: " + arg);
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.empty()) {
        return usageError("check needs at least one file");
    }
    int status = kExitOk;
    for (const auto& path : paths) {
        const auto check = cards::checkCardFile(path, readAsVgs(vgs, path));
        if (!check.readable) {
            std::cerr << path << ": " << check.error << '\n';
            status = kExitFailed;
            continue;
        }
        for (const auto& finding : check.findings) {
            std::cout << path << '\t' << finding.block << '\t' << cards::describeFinding(finding)
                      << '\n';
            status = kExitFailed;
        }
    }
    return status;
}

} // namespace tobrel::cli
