#pragma once
// The Wine prefix the emulators run in: where it is, whether its wineserver
// is running, and how its drive letters map to Linux paths.

#include <optional>
#include <string>
#include <string_view>

namespace tobrel::platform {

// $WINEPREFIX, or ~/.wine when unset. Empty when WINEPREFIX is relative
// (Wine refuses such a prefix) or no home folder is known. Trailing "/" removed.
std::string winePrefixPath();

// True when the folder looks like a Wine prefix: it holds dosdevices/ or system.reg.
// (For the folder of a given user.reg, whose presence proves nothing.)
bool looksLikeWinePrefix(const std::string& folder);

// True when the folder is a Wine prefix: it holds dosdevices/, system.reg or
// user.reg. An empty folder, such as a ~/.wine made by hand, is not one.
bool isWinePrefix(const std::string& folder);

// True while a wineserver runs for the prefix: it holds an fcntl write lock on
// its "lock" file for its whole life, in a folder server-<dev>-<ino> (the
// prefix folder's device and inode in lowercase hex) under one of
//   /tmp/.wine-<uid>            upstream Wine;
//   /run/user/<uid>/wine        Debian's build, when that runtime folder exists;
//   $TMPDIR/<name>, /tmp/<name> Debian's build otherwise, <name> taken from the
//                               prefix's "wineserver" entry.
// The server took TMPDIR from its own environment, so both temporary folders
// are looked in. A lock file that exists but cannot be examined counts as
// running: a write that Wine may overwrite is worse than one refused.
// serverRoot is put before each of these folders (for tests).
bool wineserverRunning(const std::string& prefix, const std::string& serverRoot = "");

// "C:\Games\A.MCD" to a Linux path through $prefix/dosdevices/c:. Existing
// components are matched case-insensitively as Wine does; the rest is kept as
// written. A drive whose link target is absolute (z: -> /) gives a path under
// that target, others stay under dosdevices/. Nothing for a path without a
// drive letter or a letter the prefix has no drive for.
std::optional<std::string> windowsPathToUnix(const std::string& prefix,
                                             std::string_view windowsPath);

// A Linux path to the drive-letter path the emulators see: the deepest folder
// of the path (or its parents) that is a drive's root decides, the lowest
// letter when two drives share a root; "/" is normally Z:. The rest of the
// path need not exist. Relative paths are taken from the working folder.
// Nothing when no drive root is found.
std::optional<std::string> unixPathToWindows(const std::string& prefix, std::string_view unixPath);

} // namespace tobrel::platform
