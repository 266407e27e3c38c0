#pragma once
// Helpers shared by the system-specific halves of platform/files.

#include <string>

namespace tobrel::platform::detail {

// The file a path finally names: its symbolic links followed, relative link
// targets taken from the link's own folder. A dangling link gives the path it
// points at, so that the new file appears there and the link stays a link.
std::string followLinks(const std::string& path);

} // namespace tobrel::platform::detail
