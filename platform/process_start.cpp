#include "platform/process_start.h"

#include <QDesktopServices>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QUrl>

namespace tobrel::platform {

bool startDetachedProcess(const DetachedProcess& process, std::int64_t* pid) {
    QProcess starter;
    starter.setProgram(QString::fromStdString(process.program));
    QStringList arguments;
    for (const auto& argument : process.arguments) {
        arguments << QString::fromStdString(argument);
    }
    starter.setArguments(arguments);
    if (!process.workingDirectory.empty()) {
        starter.setWorkingDirectory(QString::fromStdString(process.workingDirectory));
    }
    if (!process.environment.empty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const auto& [name, value] : process.environment) {
            environment.insert(QString::fromStdString(name), QString::fromStdString(value));
        }
        starter.setProcessEnvironment(environment);
    }
    // The program's output is not ours to show; nothing waits on our input.
    starter.setStandardInputFile(QProcess::nullDevice());
    starter.setStandardOutputFile(QProcess::nullDevice());
    starter.setStandardErrorFile(QProcess::nullDevice());
    qint64 started = 0;
    if (!starter.startDetached(&started)) {
        return false;
    }
    if (pid) {
        *pid = started;
    }
    return true;
}

bool openWithDesktopDefault(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

} // namespace tobrel::platform
