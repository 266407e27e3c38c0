#include "app/ProgramStarter.h"

#include "platform/process_start.h"

namespace tobrel::app {
namespace {

ProgramStarter* g_installed = nullptr;

} // namespace

bool ProgramStarter::start(const launcher::LaunchCommand& command) {
    using launcher::LaunchAction;
    switch (command.action) {
    case LaunchAction::Nothing:
        return true;
    case LaunchAction::RunProcess:
        if (command.program.empty()) {
            return platform::startCommandLine(command.commandLine); // as Windows takes it
        }
        return platform::startDetachedProcess(
            {command.program, command.arguments, command.workingDirectory, command.environment});
    case LaunchAction::ShellOpen:
        return platform::shellOpen(command.target, command.workingDirectory);
    case LaunchAction::DesktopOpen:
        return platform::openWithDesktopDefault(command.target);
    case LaunchAction::WineMissing:
        break;
    }
    return false;
}

ProgramStarter& ProgramStarter::current() {
    static ProgramStarter real;
    return g_installed ? *g_installed : real;
}

void ProgramStarter::install(ProgramStarter* starter) {
    g_installed = starter;
}

} // namespace tobrel::app
