#pragma once
// Whether a path kept in the settings still names a file.

#include <string>

namespace tobrel::settings {

// Whether a stored path still names a file, as a directory search for ordinary
// files would find it: true for a regular file (also through a symbolic link);
// false for folders, other special entries, hidden files (whose name begins
// with "."), and an empty path. Wildcard characters ("*", "?") are taken
// literally, since on this system they are ordinary file name characters; the
// comparison is case-sensitive like the file system.
bool fileExistsForSettings(const std::string& path);

} // namespace tobrel::settings
