#pragma once
// The program's command-line arguments as the program's UTF-8 text.

#include <string>
#include <vector>

namespace tobrel::platform {

// Every argument but the program name. On Windows they are taken from the
// wide command line, since the char arguments there are in the ANSI code
// page and lose what it cannot hold.
std::vector<std::string> commandLineArguments(int argc, char** argv);

} // namespace tobrel::platform
