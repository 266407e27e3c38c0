#include "app/DesktopShell.h"

#include <QDesktopServices>
#include <QUrl>

namespace tobrel::app {
namespace {

class QtDesktopShell final : public DesktopShell {
public:
    bool openAddress(const QString& address) override {
        return QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
    }
};

DesktopShell* g_installed = nullptr;

} // namespace

DesktopShell& DesktopShell::current() {
    static QtDesktopShell desktop;
    return g_installed ? *g_installed : desktop;
}

void DesktopShell::install(DesktopShell* shell) {
    g_installed = shell;
}

} // namespace tobrel::app
