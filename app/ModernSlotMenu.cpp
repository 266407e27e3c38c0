#include "app/ModernSlotMenu.h"

#include "app/UserPrompts.h"
#include "cards/conversion.h"
#include "platform/encoding.h"

#include <QMenu>

namespace tobrel::app {

QString ModernSlotMenu::slotCaption(const emulator::EmulatorSettings& settings, int index) {
    QString caption = QString::fromUtf8(settings.info().caption.data(),
                                        static_cast<qsizetype>(settings.info().caption.size()));
    if (!settings.winePrefix.empty()) {
        caption += QStringLiteral(" (Wine)");
    }
    return caption + QStringLiteral(" Slot%1").arg(index + 1);
}

QMenu* ModernSlotMenu::addTo(QMenu& menu, QWidget* parent, const std::string& cardPath,
                             const std::vector<emulator::EmulatorSettings>& found,
                             const emulator::SlotsEnvironment& environment) {
    QMenu* submenu = menu.addMenu(menuCaption());
    submenu->setObjectName(QStringLiteral("mnuSetSlot"));
    if (found.empty()) {
        submenu->addAction(QStringLiteral("(ｴﾐｭﾚｰﾀの設定が見つかりません)"))->setEnabled(false);
        return submenu;
    }
    for (const auto& settings : found) {
        for (int index = 0; index < 2; ++index) {
            QAction* action = submenu->addAction(slotCaption(settings, index));
            QObject::connect(action, &QAction::triggered, parent,
                             [parent, settings, index, cardPath, environment] {
                                 assign(parent, settings, index, cardPath, environment);
                             });
        }
    }
    return submenu;
}

bool ModernSlotMenu::assign(QWidget* parent, const emulator::EmulatorSettings& settings, int index,
                            const std::string& cardPath,
                            const emulator::SlotsEnvironment& environment) {
    auto change = emulator::setModernSlot(settings, index, cardPath, environment);
    if (!change.ok && change.offerConversion) {
        const QString question =
            QString::fromStdString(change.message) +
            QStringLiteral(
                "\n\nﾍｯﾀﾞｰのないﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(.MCR)を同じﾌｫﾙﾀﾞに作り、それを設定しますか?");
        if (!UserPrompts::current().askYesNo(parent, menuCaption(), question)) {
            return false;
        }
        // The bare card beside it, named as the conversion panel names outputs.
        const auto converted = cards::convertCardFileTo(cardPath, cards::CardContainer::Raw, "MCR");
        if (!converted.ok) {
            showErrorMessage(parent,
                             QString::fromStdString(cards::conversionLogLine(cardPath, converted)));
            return false;
        }
        change = emulator::setModernSlot(settings, index, converted.outputPath, environment);
    }
    if (!change.ok) {
        showErrorMessage(parent, QString::fromStdString(change.message));
        return false;
    }
    const auto& stored = change.stored[static_cast<std::size_t>(index)];
    UserPrompts::current().showMessage(
        parent, MessageIcon::Information, menuCaption(),
        slotCaption(settings, index) + QStringLiteral("に設定しました。\n") +
            QString::fromStdString(platform::nameForDisplay(stored.value_or(""))));
    return true;
}

} // namespace tobrel::app
