#include "launcher/launch_command.h"
#include "launcher/launch_slots.h"

#include <algorithm>
#include <array>

#include <gtest/gtest.h>

namespace tobrel::launcher {
namespace {

using Action = LaunchAction;
using Strings = std::vector<std::string>;

LaunchContext windowsHost() {
    return {HostSystem::Windows, "C:\\WINDOWS", {}, {}, {}, {}};
}

// The home folder is reachable through drive Z:, and drive C: is the prefix's
// drive_c; nothing else is.
LaunchContext linuxHost(std::string wine = "/usr/bin/wine", std::string prefix = "/home/u/.wine") {
    return {HostSystem::Linux,
            prefix + "/drive_c/windows",
            std::move(wine),
            prefix,
            [](std::string_view path) -> std::optional<std::string> {
                if (path.substr(0, 8) != "/home/u/") {
                    return std::nullopt;
                }
                std::string windows = "Z:" + std::string(path);
                std::replace(windows.begin(), windows.end(), '/', '\\');
                return windows;
            },
            [prefix](std::string_view path) -> std::optional<std::string> {
                if (path.substr(0, 3) != "C:\\") {
                    return std::nullopt;
                }
                std::string local = prefix + "/drive_c/" + std::string(path.substr(3));
                std::replace(local.begin(), local.end(), '\\', '/');
                return local;
            }};
}

struct CommandCase {
    const char* name;
    LaunchContext context;
    std::string path;
    LaunchCommand expected;
};

LaunchCommand wine(Strings arguments, std::string folder, std::string prefix = "/home/u/.wine") {
    LaunchCommand command{Action::RunProcess, {}, {}, "/usr/bin/wine", std::move(arguments),
                          std::move(folder),  {}};
    if (!prefix.empty()) {
        command.environment = {{"WINEPREFIX", prefix}};
    }
    return command;
}

TEST(LaunchCommand, ForEveryKindOfPathOnBothSystems) {
    const auto open = [](Action action, std::string target, std::string folder = {}) {
        return LaunchCommand{action, std::move(target), {}, {}, {}, std::move(folder), {}};
    };
    const auto control = [](std::string line) {
        return LaunchCommand{Action::RunProcess, {}, std::move(line), {}, {}, {}, {}};
    };
    const CommandCase cases[] = {
        {"Windows: free slot", windowsHost(), "", {}},
        {"Windows: .EXE", windowsHost(), "C:\\EMU\\VGS.EXE",
         open(Action::ShellOpen, "C:\\EMU\\VGS.EXE", "C:\\EMU\\")},
        {"Windows: .exe", windowsHost(), "C:\\EMU\\e.exe",
         open(Action::ShellOpen, "C:\\EMU\\e.exe", "C:\\EMU\\")},
        {"Windows: .CPL, folder with spaces unquoted", windowsHost(), "C:\\Program Files\\J.CPL",
         control("C:\\WINDOWS\\Control.exe C:\\Program Files\\J.CPL")},
        {"Windows: .cpl", windowsHost(), "C:\\x\\joy.cpl",
         control("C:\\WINDOWS\\Control.exe C:\\x\\joy.cpl")},
        {"Windows: other file", windowsHost(), "C:\\x\\A.CPLX",
         open(Action::ShellOpen, "C:\\x\\A.CPLX", "C:\\x\\")},
        {"Linux: free slot", linuxHost(), "", {}},
        {"Linux: .EXE, folder with spaces one argument", linuxHost(), "/home/u/My Games/VGS.EXE",
         wine({"/home/u/My Games/VGS.EXE"}, "/home/u/My Games/")},
        {"Linux: .exe, a backslash is part of the name", linuxHost(), "/opt/x/a\\b.exe",
         wine({"/opt/x/a\\b.exe"}, "/opt/x/")},
        {"Linux: .CPL through the control-panel runner", linuxHost(), "/home/u/C P/JOY.CPL",
         wine({"control.exe", "Z:\\home\\u\\C P\\JOY.CPL"}, "/home/u/C P/")},
        {"Linux: .cpl outside the drives keeps its path", linuxHost(), "/opt/x/joy.cpl",
         wine({"control.exe", "/opt/x/joy.cpl"}, "/opt/x/")},
        {"Linux: no prefix leaves Wine's default", linuxHost("/usr/bin/wine", ""), "/o/V.EXE",
         wine({"/o/V.EXE"}, "/o/", "")},
        {"Linux: other file", linuxHost(), "/home/u/読んでね.txt",
         open(Action::DesktopOpen, "/home/u/読んでね.txt")},
        {"Linux: Wine missing, .EXE", linuxHost(""), "/o/V.EXE",
         open(Action::WineMissing, "/o/V.EXE")},
        {"Linux: Wine missing, .cpl", linuxHost(""), "/o/j.cpl",
         open(Action::WineMissing, "/o/j.cpl")},
        {"Linux: Wine missing, other file", linuxHost(""), "/o/a.htm",
         open(Action::DesktopOpen, "/o/a.htm")},
        {"Linux: drive-letter path started as the prefix's file", linuxHost(),
         "C:\\EMU\\VGS\\VGS.EXE",
         wine({"/home/u/.wine/drive_c/EMU/VGS/VGS.EXE"}, "/home/u/.wine/drive_c/EMU/VGS/")},
        {"Linux: drive-letter applet", linuxHost(), "C:\\x\\joy.cpl",
         wine({"control.exe", "C:\\x\\joy.cpl"}, "/home/u/.wine/drive_c/x/")},
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

TEST(LaunchCommand, ProgramFileOfASlotPath) {
    const struct {
        const char* name;
        LaunchContext context;
        std::string path;
        std::optional<std::string> file;
    } cases[] = {
        {"Linux: this system's path", linuxHost(), "/home/u/VGS.EXE", "/home/u/VGS.EXE"},
        {"Linux: drive letter through the prefix", linuxHost(), "C:\\EMU\\VGS\\VGS.EXE",
         "/home/u/.wine/drive_c/EMU/VGS/VGS.EXE"},
        {"Linux: a drive the prefix lacks", linuxHost(), "Q:\\VGS.EXE", std::nullopt},
        {"Linux: no prefix to look in", LaunchContext{}, "C:\\VGS.EXE", std::nullopt},
        {"Windows: a drive letter is this system's", windowsHost(), "Q:\\VGS.EXE", "Q:\\VGS.EXE"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(programFile(c.path, c.context), c.file) << c.name;
    }
}

TEST(LaunchSlots, OnlyPathsCodePage932HoldsCanBeStored) {
    EXPECT_TRUE(pathCanBeStored("/home/u/ｴﾐｭ/ゲーム.EXE"));
    EXPECT_TRUE(pathCanBeStored("C:\\EMU\\VGS.EXE"));
    EXPECT_FALSE(pathCanBeStored("/home/u/café/VGS.EXE"));
    EXPECT_FALSE(pathCanBeStored("/home/u/wave\u301C/VGS.EXE")); // would come back as U+FF5E
}

TEST(LaunchSlots, NamesAndWhereTheRegisterDialogOpens) {
    EXPECT_EQ(startButtonName(0, ""), "Program1: 空き");
    EXPECT_EQ(startButtonName(1, "C:\\EMU\\VGS.EXE"), "Program2: VGS.EXE");
    EXPECT_EQ(startButtonName(5, "/home/u/ｴﾐｭ/bleem.exe"), "Program6: bleem.exe");
    EXPECT_EQ(startButtonName(2, "/home/u/folder/"), "Program3: /home/u/folder/");
    EXPECT_EQ(pathBoxName(3), "Program4 のパス");
    EXPECT_EQ(registerButtonName(3), "Program4 のﾌﾟﾛｸﾞﾗﾑを登録");

    const std::array<std::array<std::string, 3>, 3> dialogCases = {{
        {"", "/opt/tobrel", ""},
        {"C:\\EMU\\VGS.EXE", "C:\\EMU\\", "VGS.EXE"},
        {"/home/u/My Games/e.exe", "/home/u/My Games/", "e.exe"},
    }};
    for (const auto& [slotPath, folder, name] : dialogCases) {
        const auto start = registerDialogStart(slotPath, "/opt/tobrel");
        EXPECT_EQ(start.initialDirectory, folder) << slotPath;
        EXPECT_EQ(start.fileName, name) << slotPath;
    }
}

} // namespace
} // namespace tobrel::launcher
