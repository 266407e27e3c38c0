#include "cards/card_check.h"
#include "cards/card_format.h"
#include "cards/card_saves.h"
#include "cards/conversion.h"
#include "cards/save_manager.h"
#include "cli/commands.h"
#include "cli/png_writer.h"
#include "platform/files.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <optional>

namespace tobrel::cli {

namespace {

// convert --to FORMAT FILE...: whole cards in any container into one.
int runConvertTo(const Arguments& args) {
    if (args.size() < 3) {
        return usageError("convert --to needs a format and at least one file");
    }
    const auto target = cards::containerFromName(args[1]);
    static constexpr std::string_view formats[] = {"raw", "mcr", "mcd", "mem", "gme", "vmp"};
    if (!target ||
        std::find(std::begin(formats), std::end(formats), args[1]) == std::end(formats)) {
        return usageError("unknown format: " + args[1]);
    }
    std::string extension = args[1] == "raw" ? "mcr" : args[1];
    for (char& c : extension) {
        c = static_cast<char>(c - 'a' + 'A');
    }
    int failures = 0;
    cards::ConversionJob job; // one call, one job: each folder is listed once
    for (auto it = args.begin() + 2; it != args.end(); ++it) {
        const auto result = job.convertTo(*it, *target, extension);
        failures += result.ok ? 0 : 1;
        std::cout << cards::conversionLogLine(*it, result) << std::endl;
    }
    return failures == 0 ? kExitOk : kExitFailed;
}

} // namespace

int runConvert(const Arguments& args) {
    if (!args.empty() && args[0] == "--to") {
        return runConvertTo(args);
    }
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

// The listing and the check of a card in any container: .gme and .vmp are
// read in their own way, everything else as the options say.
cards::CardSaves listAnyCardSaves(const std::string& path, bool vgs) {
    if (vgs) {
        return cards::listCardSaves(path, true);
    }
    const auto read = cards::readCardFile(path, true);
    if (!read.readable || read.file.container == cards::CardContainer::Raw ||
        read.file.container == cards::CardContainer::Vgs) {
        return cards::listCardSaves(path, false);
    }
    cards::CardSaves saves;
    saves.readable = true;
    saves.rows = cards::listSaveRows(read.file.card);
    saves.findings = cards::checkCardFileContent(read.file);
    return saves;
}

cards::CardCheck checkAnyCard(const std::string& path, bool vgs) {
    if (vgs) {
        return cards::checkCardFile(path, true);
    }
    const auto read = cards::readCardFile(path, true);
    if (!read.readable || read.file.container == cards::CardContainer::Raw ||
        read.file.container == cards::CardContainer::Vgs) {
        return cards::checkCardFile(path, false);
    }
    return {true, {}, cards::checkCardFileContent(read.file)};
}

// saves --all: every save, deleted ones included.
int listAllSaves(const std::string& path, bool vgs) {
    const auto read = cards::readCardFile(
        path, true, vgs ? std::optional(cards::CardContainer::Vgs) : std::nullopt);
    if (!read.readable) {
        std::cerr << path << ": " << read.error << '\n';
        return kExitFailed;
    }
    for (const auto& save : cards::listAllSaves(read.file.card)) {
        std::cout << save.block << '\t' << (save.deleted ? "deleted" : "live") << '\t' << save.name
                  << '\t' << save.title << '\t' << save.blockCount() << '\n';
    }
    return kExitOk;
}

// A save's first block as the command line gives it: 1..15.
std::optional<int> parseIndex(const std::string& text) {
    if (text.empty() || text.size() > 2 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const int index = std::stoi(text);
    return index >= 1 && index <= cards::kSaveBlockCount ? std::optional(index) : std::nullopt;
}

void reportGivenUp(const std::string& card, const cards::SaveEdit& edit) {
    for (const auto& name : edit.givenUp) {
        std::cerr << card << ": 削除済みｾｰﾌﾞ " << name << " の領域を使いました\n";
    }
}

} // namespace

int runSaves(const Arguments& args) {
    bool vgs = false;
    bool all = false;
    std::string path;
    std::optional<std::string> iconFolder;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const auto& arg = args[i];
        if (arg == "--vgs") {
            vgs = true;
        } else if (arg == "--all") {
            all = true;
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
    if (all && iconFolder) {
        return usageError("--all and --icons do not go together");
    }
    if (all) {
        return listAllSaves(path, readAsVgs(vgs, path));
    }
    const auto saves = listAnyCardSaves(path, readAsVgs(vgs, path));
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
        const auto check = checkAnyCard(path, readAsVgs(vgs, path));
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

int runExport(const Arguments& args) {
    if (args.size() < 2 || args.size() > 3) {
        return usageError("export needs a card, a block and at most one output file");
    }
    const auto index = parseIndex(args[1]);
    if (!index) {
        return usageError("a save's block is 1 to 15: " + args[1]);
    }
    std::optional<cards::SaveFormat> format = cards::SaveFormat::Mcs;
    if (args.size() == 3) {
        const std::string& out = args[2];
        const std::size_t nameStart = out.find_last_of("/\\") + 1;
        const std::size_t dot = out.rfind('.');
        format = cards::saveFormatFromExtension(dot == std::string::npos || dot < nameStart
                                                    ? std::string_view{}
                                                    : std::string_view(out).substr(dot + 1));
        if (!format) {
            return usageError("unknown save file type: " + out);
        }
    }
    const auto read = cards::readCardFile(args[0], false);
    if (!read.readable) {
        std::cerr << args[0] << ": " << read.error << '\n';
        return kExitFailed;
    }
    std::string error;
    const auto save = cards::exportSave(read.file.card, *index, &error);
    const auto bytes = save ? cards::packSaveFile(*save, *format) : std::nullopt;
    if (!bytes) {
        std::cerr << args[0] << ": " << (error.empty() ? "書き出せません" : error) << '\n';
        return kExitFailed;
    }
    std::string out = args.size() == 3 ? args[2] : std::string();
    if (out.empty()) {
        const std::size_t folderEnd = args[0].find_last_of("/\\") + 1;
        out = args[0].substr(0, folderEnd) + cards::saveFileName(*save, *format);
    }
    platform::NewOutputFile output;
    switch (output.create(out)) {
    case platform::NewOutputFile::CreateResult::Created:
        break;
    case platform::NewOutputFile::CreateResult::AlreadyExists:
        std::cerr << out << ": すでにあります\n";
        return kExitFailed;
    case platform::NewOutputFile::CreateResult::Failed:
        std::cerr << out << ": " << platform::describeError(output.errorNumber()) << '\n';
        return kExitFailed;
    }
    if (!output.write(bytes->data(), bytes->size()) || !output.commit()) {
        std::cerr << out << ": " << platform::describeError(output.errorNumber()) << '\n';
        return kExitFailed;
    }
    std::cout << out << '\n';
    return kExitOk;
}

int runImport(const Arguments& args) {
    if (args.size() < 2) {
        return usageError("import needs a card and at least one save file");
    }
    int status = kExitOk;
    for (auto it = args.begin() + 1; it != args.end(); ++it) {
        const auto read = cards::readSaveFile(*it);
        if (!read.ok) {
            std::cerr << *it << ": " << read.error << '\n';
            status = kExitFailed;
            continue;
        }
        if (!read.signatureValid) {
            std::cerr << *it << ": ﾌｧｲﾙ署名不一致\n";
        }
        const auto edit = cards::importSaveFile(args[0], read.save);
        if (!edit.ok) {
            std::cerr << *it << ": " << edit.error << '\n';
            status = kExitFailed;
            continue;
        }
        reportGivenUp(args[0], edit);
        std::cout << edit.block << '\t' << read.save.name << '\n';
    }
    return status;
}

namespace {

int runOnSave(const Arguments& args, const char* command,
              cards::SaveEdit (*change)(const std::string&, int)) {
    if (args.size() != 2) {
        return usageError(std::string(command) + " needs a card and a block");
    }
    const auto index = parseIndex(args[1]);
    if (!index) {
        return usageError("a save's block is 1 to 15: " + args[1]);
    }
    const auto edit = change(args[0], *index);
    if (!edit.ok) {
        std::cerr << args[0] << ": " << edit.error << '\n';
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace

int runDelete(const Arguments& args) {
    return runOnSave(args, "delete", &cards::deleteSaveFile);
}

int runUndelete(const Arguments& args) {
    return runOnSave(args, "undelete", &cards::undeleteSaveFile);
}

int runCopy(const Arguments& args) {
    if (args.size() != 3) {
        return usageError("copy needs a card, a block and another card");
    }
    const auto index = parseIndex(args[1]);
    if (!index) {
        return usageError("a save's block is 1 to 15: " + args[1]);
    }
    const auto edit = cards::copySaveFile(args[0], *index, args[2]);
    if (!edit.ok) {
        std::cerr << args[2] << ": " << edit.error << '\n';
        return kExitFailed;
    }
    reportGivenUp(args[2], edit);
    std::cout << edit.block << '\n';
    return kExitOk;
}

} // namespace tobrel::cli
