#include "platform/single_instance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace tobrel::platform {
namespace {

// A per-user folder for the lock: the runtime folder when the session has
// one, else the user's cache folder (the shared temporary folder would let
// another user's copy block ours).
QString lockFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(QString::fromLocal8Bit(runtime)).exists()) {
        return QString::fromLocal8Bit(runtime);
    }
    QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty()) {
        cache = QDir::homePath() + QStringLiteral("/.cache");
    }
    return cache;
}

} // namespace

SingleInstance::SingleInstance(const char* name) {
    const QString folder = lockFolder();
    QDir().mkpath(folder);
    lock_ = std::make_unique<QLockFile>(folder + QLatin1Char('/') + QString::fromLatin1(name) +
                                        QStringLiteral(".lock"));
    // The holder's process id is in the file; a lock whose holder died is stale at once.
    lock_->setStaleLockTime(0);
    first_ = lock_->tryLock(0);
    if (!first_ && lock_->error() == QLockFile::PermissionError) {
        first_ = true; // no folder to lock in: better to run than to refuse to start
    }
}

SingleInstance::~SingleInstance() = default;

} // namespace tobrel::platform
