#include "platform/single_instance.h"

#include <QDir>
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
    const QString path =
        folder + QLatin1Char('/') + QString::fromLatin1(name) + QStringLiteral(".lock");
    switch (detail::holdLockFile(path.toUtf8().toStdString(), handle_)) {
    case detail::LockHold::Taken:
        first_ = true;
        break;
    case detail::LockHold::HeldElsewhere:
        first_ = false;
        break;
    case detail::LockHold::Unavailable:
        first_ = true; // nowhere to lock: better to run than to refuse to start
        break;
    }
}

SingleInstance::~SingleInstance() {
    if (handle_ != -1) {
        detail::releaseLockFile(handle_);
    }
}

} // namespace tobrel::platform
