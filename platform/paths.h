#pragma once
// Splitting paths into folder and name. Two forms reach the program: paths of
// this system, where only "/" separates and "\" is an ordinary character of a
// name, and paths in the Windows form that the emulators store (a drive letter
// first, "C:\GAME\CARD1.MCD"), where both "\" and "/" separate.

#include <cstddef>
#include <string>
#include <string_view>

namespace tobrel::platform {

// A drive letter and a colon first.
bool isWindowsFormPath(std::string_view path);

// Whether c separates folders in path, given the path's form.
bool isSeparatorIn(std::string_view path, char c);

// Index just past the last separator of path; 0 when it has none.
std::size_t nameStart(std::string_view path);

// Longest stretch at the end of a path, in characters (UTF-8 code points),
// within which directoryOf and fileNameOf search the last separator.
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

} // namespace tobrel::platform
