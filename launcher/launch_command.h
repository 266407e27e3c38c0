#pragma once
// What starting a slot's program runs. One pure function decides it from the
// path and a description of the system, so that nothing has to be started to
// see what would be.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tobrel::launcher {

enum class HostSystem { Windows, Linux };

struct LaunchContext {
    HostSystem host = HostSystem::Linux;
    // Windows: as GetWindowsDirectoryA gives it; Linux: the prefix's drive_c/windows.
    std::string windowsDirectory;
    // Linux: the full path of the wine program; empty when Wine is not installed.
    std::string wineProgram;
    // Linux: the prefix programs run in (WINEPREFIX); empty leaves Wine's default.
    std::string winePrefix;
    // Linux: a local path as programs in the prefix see it ("Z:\home\..."); a
    // path it cannot translate (nothing) is passed on as it is.
    std::function<std::optional<std::string>(std::string_view)> toWinePath;
    // Linux: a drive-letter path ("C:\EMU\VGS.EXE", as settings carried over
    // from Windows hold it) to the file in the prefix's drives; nothing when no
    // drive of the prefix holds it.
    std::function<std::optional<std::string>(std::string_view)> fromWinePath;
};

enum class LaunchAction {
    Nothing,     // a free slot
    ShellOpen,   // Windows: ShellExecuteA "open" on target in workingDirectory
    RunProcess,  // a process, detached
    DesktopOpen, // Linux: open target with the desktop's default application
    WineMissing, // Linux: a Windows program, but no Wine to run it
};

struct LaunchCommand {
    LaunchAction action = LaunchAction::Nothing;
    std::string target;                 // ShellOpen, DesktopOpen: the file
    std::string commandLine;            // RunProcess on Windows: the whole command line
    std::string program;                // RunProcess on Linux: the program run ...
    std::vector<std::string> arguments; // ... with these arguments, each one whole
    std::string workingDirectory;       // empty: the starter's own
    std::vector<std::pair<std::string, std::string>> environment; // added to the starter's

    bool operator==(const LaunchCommand&) const = default;
};

// The file on this system that a slot's path names. On Linux a drive-letter
// path is looked up in the prefix's drives (nothing when none holds it); any
// other path, and every path on Windows, names its file itself. The slot keeps
// its text as it is: only testing, drawing and starting use the file.
std::optional<std::string> programFile(std::string_view path, const LaunchContext& context);

// The command that starting the program at path runs.
// Windows: a control-panel applet (".CPL" in any case) runs the command line
// windowsDirectory + "\Control.exe " + path, the path unquoted; anything else
// is opened with ShellExecuteA in the path's folder.
// Linux: ".EXE" runs "wine PATH" and ".CPL" Wine's control-panel runner with
// the applet, both in the program's folder and the context's prefix; any other
// file is opened with the desktop's default application. A drive-letter path
// is started as its programFile (as it is when it has none).
LaunchCommand launchCommand(std::string_view path, const LaunchContext& context);

// This system's context: on Linux Wine as installed here and the prefix the
// registry store uses; on Windows the Windows directory.
LaunchContext systemLaunchContext();

} // namespace tobrel::launcher
