#include "platform/process_start.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStringList>
#include <QUrl>

namespace tobrel::platform {

bool shellOpen(const std::string& target, const std::string& /*folder*/) {
    return openWithDesktopDefault(target);
}

bool startCommandLine(const std::string& commandLine) {
    QStringList words = QProcess::splitCommand(QString::fromStdString(commandLine));
    if (words.isEmpty()) {
        return false;
    }
    DetachedProcess process;
    process.program = words.takeFirst().toStdString();
    for (const QString& word : words) {
        process.arguments.push_back(word.toStdString());
    }
    return startDetachedProcess(process);
}

bool openAddress(const std::string& address) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(address), QUrl::TolerantMode));
}

} // namespace tobrel::platform
