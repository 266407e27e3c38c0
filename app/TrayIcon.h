#pragma once
// The seam to the desktop's notification area (tray): one icon with a tip
// that reports the presses over it. Tests install a factory of their own, as
// the offscreen platform and many Linux desktops have no tray.

#include <QIcon>
#include <QObject>
#include <functional>
#include <memory>

namespace tobrel::app {

class TrayIcon : public QObject {
    Q_OBJECT
public:
    // What happened over the icon; the window reacts to the first two only.
    enum class Notice { RightPress, LeftDoubleClick, Other };

    using Factory = std::function<std::unique_ptr<TrayIcon>()>;

    // False where the desktop has no tray to put the icon into.
    virtual bool available() const = 0;
    // Puts the icon into the tray (or changes it when already there).
    virtual void add(const QIcon& picture, const QString& tip) = 0;
    // Takes the icon out; no effect when it is not there.
    virtual void remove() = 0;
    virtual bool present() const = 0;

    // A new tray icon: the desktop's, unless a test installed a factory.
    static std::unique_ptr<TrayIcon> create();
    // Installs a factory; an empty one restores the desktop's tray.
    static void installFactory(Factory factory);

signals:
    void notified(tobrel::app::TrayIcon::Notice notice);
};

} // namespace tobrel::app
