#include "app/TrayIcon.h"

#include <QSystemTrayIcon>

namespace tobrel::app {
namespace {

class SystemTrayIcon final : public TrayIcon {
public:
    SystemTrayIcon() {
        connect(&icon_, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    switch (reason) {
                    case QSystemTrayIcon::Context:
                        emit notified(Notice::RightPress);
                        break;
                    case QSystemTrayIcon::DoubleClick:
                        emit notified(Notice::LeftDoubleClick);
                        break;
                    default:
                        emit notified(Notice::Other);
                        break;
                    }
                });
    }

    bool available() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }
    void add(const QIcon& picture, const QString& tip) override {
        icon_.setIcon(picture);
        icon_.setToolTip(tip);
        icon_.show();
    }
    void remove() override { icon_.hide(); }
    bool present() const override { return icon_.isVisible(); }

private:
    QSystemTrayIcon icon_;
};

TrayIcon::Factory& installedFactory() {
    static TrayIcon::Factory factory;
    return factory;
}

} // namespace

std::unique_ptr<TrayIcon> TrayIcon::create() {
    if (installedFactory()) {
        return installedFactory()();
    }
    return std::make_unique<SystemTrayIcon>();
}

void TrayIcon::installFactory(Factory factory) {
    installedFactory() = std::move(factory);
}

} // namespace tobrel::app
