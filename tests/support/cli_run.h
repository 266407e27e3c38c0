#pragma once
// Runs tobrel-cli as a child process and captures what it prints.

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace tobrel::testing {

struct CliResult {
    int status = -1;
    std::string out; // standard output and standard error together
};

inline std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

inline CliResult runCli(const std::vector<std::string>& args, const std::string& env = "") {
    std::string command = env + " " + shellQuote(TOBREL_CLI_PATH);
    for (const auto& arg : args) {
        command += " " + shellQuote(arg);
    }
    command += " 2>&1 </dev/null";
    CliResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        return result;
    }
    std::array<char, 4096> buffer{};
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        result.out.append(buffer.data(), n);
    }
    int raw = pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return result;
}

} // namespace tobrel::testing
