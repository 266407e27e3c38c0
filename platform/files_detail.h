#pragma once
// Helpers shared by the system-specific halves of platform/files.

#include <string>

namespace tobrel::platform::detail {

// The file a path finally names: its symbolic links followed, relative link
// targets taken from the link's own folder. A dangling link gives the path it
// points at, so that the new file appears there and the link stays a link.
std::string followLinks(const std::string& path);

// Seams of AtomicOutputFile, which the tests replace to plant an entry at the
// temporary file's name or to make the flush fail.
// The temporary file's name beside target for each attempt (0 to 99) at
// creating one; an attempt that finds anything at its name takes the next.
extern std::string (*temporaryName)(const std::string& target, int attempt);
// Writes an open file's content through to its device: 0, or an error number.
extern int (*flushFile)(int fd);

} // namespace tobrel::platform::detail
