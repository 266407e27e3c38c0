#pragma once
// Whether a path kept in the settings still names a file.

#include <string>
#include <string_view>

namespace tobrel::settings {

// Whether a stored path still names a file, as a directory search for ordinary
// files would find it: true for a regular file (also through a symbolic link);
// false for folders, other special entries, hidden files (whose name begins
// with "."), and an empty path. Wildcard characters ("*", "?") are taken
// literally, since on this system they are ordinary file name characters; the
// comparison is case-sensitive like the file system.
bool fileExistsForSettings(const std::string& path);

// The folder LASTDIR keeps for folder (UTF-8 text): the folder itself when
// code page 932, the settings file's text, holds its path; else the nearest
// folder above it that it holds ("/home/u" for "/home/u/café/x"), since the
// folder would otherwise come back as a path that names nothing and the next
// start open at the start-up folder. Empty when not even a root is left.
std::string storableFolder(std::string_view folder);

// Where the settings file of a run lives, and whether its folder may have to
// be created when it is first written.
struct IniLocation {
    std::string path;
    bool createFolder = false;
};

// What the system says about the places the settings file could go.
struct IniPlaceFacts {
    // The executable's folder lets this user create files.
    bool besideWritable = false;
    // The executable's folder is the system's program folder this build
    // installs into ("/usr/bin" for the package). It is never used for
    // settings, not even by root, who may write there.
    bool besideIsInstallFolder = false;
    // The user's configuration folder ($XDG_CONFIG_HOME or ~/.config).
    std::string configHome;
};

// The settings file stays beside the executable (computeIniPath) where that
// folder is writable, as for a portable copy. Otherwise it is
// <configHome>/tobrel/ with the same file name, a folder created on first
// write. Without a known configuration folder it stays beside the executable.
IniLocation chooseIniLocation(std::string_view executablePath, const IniPlaceFacts& facts);

// The folder an installed copy's executable lives in (the build's install
// prefix plus its program folder, such as "/usr/bin").
std::string installedProgramFolder();

// chooseIniLocation with the facts of this system; installFolder is the
// program folder of an installed copy (empty when there is none). On Windows
// the program is portable: always the file beside the executable.
IniLocation locateIniFile(std::string_view executablePath, const std::string& installFolder);

} // namespace tobrel::settings
