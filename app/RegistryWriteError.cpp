#include "app/RegistryWriteError.h"

#include "app/UserPrompts.h"
#include "platform/registry_store.h"

namespace tobrel::app {
namespace {

QString refusalReason(platform::RegistryWriteBlock block) {
    switch (block) {
    case platform::RegistryWriteBlock::WineserverRunning:
        return QStringLiteral("Wineが実行中のため、ﾚｼﾞｽﾄﾘに書き込めませんでした。"
                              "Wineを終了してから、もう一度実行して下さい。");
    case platform::RegistryWriteBlock::ForeignFile:
        return QStringLiteral("ﾚｼﾞｽﾄﾘﾌｧｲﾙがWineの形式ではないため、書き込めませんでした。");
    case platform::RegistryWriteBlock::Unreadable:
        return QStringLiteral("ﾚｼﾞｽﾄﾘﾌｧｲﾙを読み込めないため、書き込めませんでした。");
    case platform::RegistryWriteBlock::None:
        break;
    }
    return QStringLiteral("ﾚｼﾞｽﾄﾘに書き込めませんでした。");
}

} // namespace

void showRegistryWriteError(QWidget* parent, const QStringList& unwrittenValues) {
    const QString reason = refusalReason(platform::registryWriteBlock(platform::locateRegistry()));
    showErrorMessage(parent, reason + QStringLiteral("\n\n書き込まれなかった値：\n") +
                                 unwrittenValues.join(QLatin1Char('\n')));
}

} // namespace tobrel::app
