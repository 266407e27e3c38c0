#include "app/CommonDialog.h"

#include "app/UserPrompts.h"

#include <QFileInfo>

namespace tobrel::app {

QString CommonDialog::toQtNameFilter(const QString& filter) {
    const qsizetype bar = filter.indexOf(QLatin1Char('|'));
    if (bar < 0) {
        return filter;
    }
    QString patterns = filter.mid(bar + 1);
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    return filter.left(bar) + QStringLiteral(" (") + patterns + QLatin1Char(')');
}

bool CommonDialog::showOpen() {
    lastError_ = 0;
    OpenFileRequest request{dialogTitle, toQtNameFilter(filter), initDir, fileName, flags};
    auto chosen = UserPrompts::current().chooseOpenFile(owner_, request);
    if (!chosen) {
        lastError_ = kCancelErrorCode;
        return false;
    }
    fileName = *chosen;
    fileTitle = QFileInfo(*chosen).fileName();
    return true;
}

} // namespace tobrel::app
