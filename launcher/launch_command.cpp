#include "launcher/launch_command.h"

#include "launcher/launch_slots.h"
#include "platform/paths.h"
#include "platform/wine/prefix.h"
#include "platform/wine_programs.h"

namespace tobrel::launcher {
namespace {

// On Linux only "/" separates; a "\" is part of a file name there.
std::string localFolderOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

LaunchCommand windowsCommand(std::string_view path, const LaunchContext& context) {
    LaunchCommand command;
    if (isControlPanelApplet(path)) {
        command.action = LaunchAction::RunProcess;
        command.commandLine = context.windowsDirectory + "\\Control.exe " + std::string(path);
        return command;
    }
    command.action = LaunchAction::ShellOpen;
    command.target = path;
    command.workingDirectory = platform::directoryOf(path);
    return command;
}

LaunchCommand linuxCommand(std::string_view slotPath, const LaunchContext& context) {
    const std::string file = programFile(slotPath, context).value_or(std::string(slotPath));
    const std::string_view path = file;
    LaunchCommand command;
    const bool applet = isControlPanelApplet(path);
    if (!applet && !isExecutable(path)) {
        command.action = LaunchAction::DesktopOpen;
        command.target = path;
        return command;
    }
    if (context.wineProgram.empty()) {
        command.action = LaunchAction::WineMissing;
        command.target = path;
        return command;
    }
    command.action = LaunchAction::RunProcess;
    command.program = context.wineProgram;
    if (applet) {
        std::optional<std::string> inPrefix;
        if (platform::isWindowsFormPath(slotPath)) {
            inPrefix = std::string(slotPath); // already as programs in the prefix see it
        } else if (context.toWinePath) {
            inPrefix = context.toWinePath(path);
        }
        command.arguments = {"control.exe", inPrefix.value_or(std::string(path))};
    } else {
        command.arguments = {std::string(path)};
    }
    command.workingDirectory = localFolderOf(path);
    if (!context.winePrefix.empty()) {
        command.environment = {{"WINEPREFIX", context.winePrefix}};
    }
    return command;
}

} // namespace

std::optional<std::string> programFile(std::string_view path, const LaunchContext& context) {
    if (context.host == HostSystem::Linux && platform::isWindowsFormPath(path)) {
        return context.fromWinePath ? context.fromWinePath(path) : std::nullopt;
    }
    return std::string(path);
}

LaunchCommand launchCommand(std::string_view path, const LaunchContext& context) {
    if (path.empty()) {
        return {};
    }
    return context.host == HostSystem::Windows ? windowsCommand(path, context)
                                               : linuxCommand(path, context);
}

LaunchContext systemLaunchContext() {
    LaunchContext context;
    if (!platform::programsRunThroughWine()) {
        // Programs start natively: no Wine, no prefix, Windows paths as they are.
        context.host = HostSystem::Windows;
        context.windowsDirectory = platform::windowsDirectory();
        return context;
    }
    context.host = HostSystem::Linux;
    context.wineProgram = platform::findWineProgram();
    context.winePrefix = platform::launchPrefix();
    context.windowsDirectory = platform::windowsDirectory();
    context.toWinePath = [prefix = context.winePrefix](std::string_view path) {
        return prefix.empty() ? std::nullopt : platform::unixPathToWindows(prefix, path);
    };
    context.fromWinePath = [prefix = context.winePrefix](std::string_view path) {
        return prefix.empty() ? std::nullopt : platform::windowsPathToUnix(prefix, path);
    };
    return context;
}

} // namespace tobrel::launcher
