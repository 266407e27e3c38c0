#include "app/TrayIcon.h"

#include <QSystemTrayIcon>

#include <memory>

namespace tobrel::app {
namespace {

class SystemTrayIcon final : public TrayIcon {
public:
    bool available() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }
    void add(const QIcon& picture, const QString& tip) override {
        if (!icon_) {
            createIcon();
        }
        icon_->setIcon(picture);
        icon_->setToolTip(tip);
        icon_->show();
    }
    void remove() override {
        if (icon_) {
            icon_->hide();
        }
    }
    bool present() const override { return icon_ && icon_->isVisible(); }

private:
    // Made when the window first goes into the tray: most runs never do, and
    // the platform's tray service costs start-up time.
    void createIcon() {
        icon_ = std::make_unique<QSystemTrayIcon>();
        connect(icon_.get(), &QSystemTrayIcon::activated, this,
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

    std::unique_ptr<QSystemTrayIcon> icon_;
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
