#include "app/ProgramStarter.h"

#include "platform/process_start.h"

#include <QProcess>

namespace tobrel::app {
namespace {

ProgramStarter* g_installed = nullptr;

platform::DetachedProcess detachedProcess(const launcher::LaunchCommand& command) {
    platform::DetachedProcess process{command.program, command.arguments, command.workingDirectory,
                                      command.environment};
    if (process.program.empty()) {
        // A whole command line, as Windows takes it.
        QStringList words = QProcess::splitCommand(QString::fromStdString(command.commandLine));
        if (!words.isEmpty()) {
            process.program = words.takeFirst().toStdString();
            for (const QString& word : words) {
                process.arguments.push_back(word.toStdString());
            }
        }
    }
    return process;
}

} // namespace

bool ProgramStarter::start(const launcher::LaunchCommand& command) {
    using launcher::LaunchAction;
    switch (command.action) {
    case LaunchAction::Nothing:
        return true;
    case LaunchAction::RunProcess: {
        const auto process = detachedProcess(command);
        return !process.program.empty() && platform::startDetachedProcess(process);
    }
    case LaunchAction::ShellOpen:
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
