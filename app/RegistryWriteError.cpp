#include "app/RegistryWriteError.h"

#include "app/UserPrompts.h"
#include "platform/wine/store.h"

namespace tobrel::app {
namespace {

QString reasonText(const platform::RegistryLocation& location) {
    const QString file = QString::fromStdString(location.file);
    switch (platform::registryWriteBlock(location)) {
    case platform::RegistryWriteBlock::WineserverRunning:
        return QStringLiteral("このWineプレフィックス(%1)でWineが動いているため、"
                              "レジストリに書き込めませんでした。"
                              "エミュレータを終了してから、もう一度「変更」を押して下さい。")
            .arg(QString::fromStdString(location.prefix));
    case platform::RegistryWriteBlock::Unreadable:
        return QStringLiteral("レジストリファイル(%1)を読み込めないため、書き込めませんでした。")
            .arg(file);
    case platform::RegistryWriteBlock::ForeignFile:
        return QStringLiteral("レジストリファイル(%1)はWineのレジストリファイルではないため、"
                              "書き込みませんでした。")
            .arg(file);
    case platform::RegistryWriteBlock::None:
        break;
    }
    return QStringLiteral("レジストリファイル(%1)に書き込めませんでした。").arg(file);
}

} // namespace

void showRegistryWriteError(QWidget* parent, const QStringList& unwrittenValues) {
    showErrorMessage(parent, reasonText(platform::locateRegistry()) +
                                 QStringLiteral("\n\n書き込まれなかった値:\n") +
                                 unwrittenValues.join(QLatin1Char('\n')));
}

} // namespace tobrel::app
