#pragma once
// Path helpers shared by the panels that show and store file paths.
//
// Both "\" and "/" count as separators: stored Windows paths use the first,
// paths on this system the second.

#include <cstddef>
#include <string>
#include <string_view>

namespace tobrel::settings {

// Longest stretch at the end of a path, in characters (UTF-8 code points),
// within which the last separator is searched.
inline constexpr std::size_t kPathWindow = 260;

// The path up to and including its last separator ("C:\GAME\CARD1.MCD" gives
// "C:\GAME\"; a path ending in a separator is returned whole). Empty for an
// empty path, for a path without any separator, and for a path whose last
// separator is not among its last 260 characters.
std::string directoryOf(std::string_view path);

// The text after the last separator ("C:\GAME\CARD1.MCD" gives "CARD1.MCD";
// empty for a path ending in a separator). Empty for an empty path and for a
// path whose last separator is not among its last 260 characters. A path
// without any separator is a bare file name and is returned whole.
std::string fileNameOf(std::string_view path);

// Whether a stored path still names a file, as a directory search for ordinary
// files would find it: true for a regular file (also through a symbolic link);
// false for folders, other special entries, hidden files (whose name begins
// with "."), and an empty path. Wildcard characters ("*", "?") are taken
// literally, since on this system they are ordinary file name characters; the
// comparison is case-sensitive like the file system.
bool fileExistsForSettings(const std::string& path);

} // namespace tobrel::settings
