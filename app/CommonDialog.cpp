#include "app/CommonDialog.h"

#include "app/UserPrompts.h"

#include "platform/encoding.h"
#include "platform/files.h"

#include <QStringList>

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

std::string CommonDialog::localBytesOf(const QString& path) {
    const std::string direct = path.toStdString();
    if (direct.empty() || platform::pathEntryExists(direct)) {
        return direct;
    }
    if (path.startsWith(QLatin1Char('/'))) {
        std::string resolved;
        for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            std::string candidate = resolved;
            candidate += '/';
            candidate += part.toStdString();
            if (!platform::pathEntryExists(candidate)) {
                // Qt shows a name that is not UTF-8 with U+FFFD marks: find the one entry it came
                // from.
                const auto entries = platform::listDirectory(resolved.empty() ? "/" : resolved);
                int matches = 0;
                for (const auto& entry :
                     entries.value_or(std::vector<platform::DirectoryEntry>{})) {
                    if (QString::fromStdString(entry.name) == part && ++matches == 1) {
                        candidate = resolved;
                        candidate += '/';
                        candidate += entry.name;
                    }
                }
                if (matches != 1) {
                    resolved.clear();
                    break;
                }
            }
            resolved = std::move(candidate);
        }
        if (!resolved.empty()) {
            if (path.endsWith(QLatin1Char('/'))) {
                resolved += '/'; // still no file's name
            }
            return resolved;
        }
    }
    const auto stored = platform::encodeCp932(direct);
    return stored && platform::pathEntryExists(*stored) ? *stored : direct;
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
    // Without the spaces around it, which every caller drops.
    qsizetype first = 0;
    qsizetype last = chosen->size();
    while (first < last && chosen->at(first) == QLatin1Char(' ')) {
        ++first;
    }
    while (last > first && chosen->at(last - 1) == QLatin1Char(' ')) {
        --last;
    }
    localPath = localBytesOf(chosen->mid(first, last - first));
    const std::size_t slash = localPath.rfind('/');
    fileTitle = QString::fromStdString(platform::nameForDisplay(
        slash == std::string::npos ? localPath : localPath.substr(slash + 1)));
    return true;
}

} // namespace tobrel::app
