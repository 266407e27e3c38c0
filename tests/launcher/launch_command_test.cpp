#include "launcher/launch_command.h"
#include "launcher/launch_slots.h"

#include <gtest/gtest.h>

namespace tobrel::launcher {
namespace {

LaunchContext windowsHost() {
    LaunchContext context;
    context.host = HostSystem::Windows;
    context.windowsDirectory = "C:\\WINDOWS";
    return context;
}

// Wine installed; the home folder is reachable through drive Z:.
LaunchContext linuxHost(std::string wine = "/usr/bin/wine", std::string prefix = "/home/u/.wine") {
    LaunchContext context;
    context.host = HostSystem::Linux;
    context.wineProgram = std::move(wine);
    context.winePrefix = std::move(prefix);
    context.windowsDirectory = context.winePrefix + "/drive_c/windows";
    context.toWinePath = [](std::string_view path) -> std::optional<std::string> {
        if (path.substr(0, 8) != "/home/u/") {
            return std::nullopt;
        }
        std::string windows = "Z:" + std::string(path);
        for (char& c : windows) {
            c = c == '/' ? '\\' : c;
        }
        return windows;
    };
    return context;
}

LaunchCommand shellOpen(std::string target, std::string folder) {
    LaunchCommand command;
    command.action = LaunchAction::ShellOpen;
    command.target = std::move(target);
    command.workingDirectory = std::move(folder);
    return command;
}

LaunchCommand commandLine(std::string line) {
    LaunchCommand command;
    command.action = LaunchAction::RunProcess;
    command.commandLine = std::move(line);
    return command;
}

LaunchCommand wine(std::vector<std::string> arguments, std::string folder,
                   std::string prefix = "/home/u/.wine") {
    LaunchCommand command;
    command.action = LaunchAction::RunProcess;
    command.program = "/usr/bin/wine";
    command.arguments = std::move(arguments);
    command.workingDirectory = std::move(folder);
    if (!prefix.empty()) {
        command.environment = {{"WINEPREFIX", prefix}};
    }
    return command;
}

LaunchCommand onTarget(LaunchAction action, std::string target) {
    LaunchCommand command;
    command.action = action;
    command.target = std::move(target);
    return command;
}

struct CommandCase {
    const char* name;
    LaunchContext context;
    std::string path;
    LaunchCommand expected;
};

TEST(LaunchCommand, ForEveryKindOfPathOnBothSystems) {
    const CommandCase cases[] = {
        {"Windows: free slot", windowsHost(), "", {}},
        {"Windows: .EXE opened in its folder", windowsHost(), "C:\\EMU\\VGS.EXE",
         shellOpen("C:\\EMU\\VGS.EXE", "C:\\EMU\\")},
        {"Windows: .exe", windowsHost(), "C:\\EMU\\epsxe.exe",
         shellOpen("C:\\EMU\\epsxe.exe", "C:\\EMU\\")},
        {"Windows: .CPL in a folder with spaces, unquoted", windowsHost(),
         "C:\\Program Files\\Joy\\JOY.CPL",
         commandLine("C:\\WINDOWS\\Control.exe C:\\Program Files\\Joy\\JOY.CPL")},
        {"Windows: .cpl", windowsHost(), "C:\\x\\joy.cpl",
         commandLine("C:\\WINDOWS\\Control.exe C:\\x\\joy.cpl")},
        {"Windows: .Cpl", windowsHost(), "C:\\x\\Joy.Cpl",
         commandLine("C:\\WINDOWS\\Control.exe C:\\x\\Joy.Cpl")},
        {"Windows: other file", windowsHost(), "C:\\x\\readme.txt",
         shellOpen("C:\\x\\readme.txt", "C:\\x\\")},
        {"Windows: .CPL not at the end", windowsHost(), "C:\\x\\A.CPLX",
         shellOpen("C:\\x\\A.CPLX", "C:\\x\\")},

        {"Linux: free slot", linuxHost(), "", {}},
        {"Linux: .EXE in a folder with spaces, one argument", linuxHost(),
         "/home/u/My Games/VGS.EXE", wine({"/home/u/My Games/VGS.EXE"}, "/home/u/My Games/")},
        {"Linux: .exe", linuxHost(), "/opt/emu/epsxe.exe",
         wine({"/opt/emu/epsxe.exe"}, "/opt/emu/")},
        {"Linux: a backslash is part of the name", linuxHost(), "/opt/x/a\\b.EXE",
         wine({"/opt/x/a\\b.EXE"}, "/opt/x/")},
        {"Linux: .CPL through the control-panel runner", linuxHost(),
         "/home/u/Control Panel/JOY.CPL",
         wine({"control.exe", "Z:\\home\\u\\Control Panel\\JOY.CPL"}, "/home/u/Control Panel/")},
        {"Linux: .cpl outside the drives keeps its path", linuxHost(), "/opt/x/joy.cpl",
         wine({"control.exe", "/opt/x/joy.cpl"}, "/opt/x/")},
        {"Linux: no prefix leaves Wine's default", linuxHost("/usr/bin/wine", ""),
         "/opt/emu/VGS.EXE", wine({"/opt/emu/VGS.EXE"}, "/opt/emu/", "")},
        {"Linux: other file opened by the desktop", linuxHost(), "/home/u/読んでね.txt",
         onTarget(LaunchAction::DesktopOpen, "/home/u/読んでね.txt")},
        {"Linux: Wine missing, .EXE", linuxHost(""), "/opt/emu/VGS.EXE",
         onTarget(LaunchAction::WineMissing, "/opt/emu/VGS.EXE")},
        {"Linux: Wine missing, .cpl", linuxHost(""), "/opt/x/joy.cpl",
         onTarget(LaunchAction::WineMissing, "/opt/x/joy.cpl")},
        {"Linux: Wine missing, other file", linuxHost(""), "/opt/x/a.html",
         onTarget(LaunchAction::DesktopOpen, "/opt/x/a.html")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const LaunchCommand got = launchCommand(c.path, c.context);
        EXPECT_EQ(got.action, c.expected.action);
        EXPECT_EQ(got.target, c.expected.target);
        EXPECT_EQ(got.commandLine, c.expected.commandLine);
        EXPECT_EQ(got.program, c.expected.program);
        EXPECT_EQ(got.arguments, c.expected.arguments);
        EXPECT_EQ(got.workingDirectory, c.expected.workingDirectory);
        EXPECT_EQ(got.environment, c.expected.environment);
    }
}

TEST(LaunchSlots, NamesSayWhichSlotAndWhichProgram) {
    const struct {
        int slot;
        std::string path;
        std::string startButton;
    } cases[] = {
        {0, "", "Program1: 空き"},
        {1, "C:\\EMU\\VGS.EXE", "Program2: VGS.EXE"},
        {5, "/home/u/ｴﾐｭ/bleem.exe", "Program6: bleem.exe"},
        {2, "/home/u/folder/", "Program3: /home/u/folder/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(startButtonName(c.slot, c.path), c.startButton);
    }
    EXPECT_EQ(slotCaption(3), "Program4");
    EXPECT_EQ(pathBoxName(3), "Program4 のパス");
    EXPECT_EQ(registerButtonName(3), "Program4 のﾌﾟﾛｸﾞﾗﾑを登録");
}

TEST(LaunchSlots, RegisterDialogOpensBesideTheSlotsProgram) {
    const struct {
        std::string slotPath;
        std::string folder;
        std::string name;
    } cases[] = {
        {"", "/opt/tobrel", ""},
        {"C:\\EMU\\VGS.EXE", "C:\\EMU\\", "VGS.EXE"},
        {"/home/u/My Games/epsxe.exe", "/home/u/My Games/", "epsxe.exe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slotPath);
        const auto start = registerDialogStart(c.slotPath, "/opt/tobrel");
        EXPECT_EQ(start.initialDirectory, c.folder);
        EXPECT_EQ(start.fileName, c.name);
    }
}

} // namespace
} // namespace tobrel::launcher
