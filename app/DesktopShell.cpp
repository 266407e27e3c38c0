#include "app/DesktopShell.h"

#include "platform/process_start.h"

namespace tobrel::app {
namespace {

class QtDesktopShell final : public DesktopShell {
public:
    bool openAddress(const QString& address) override {
        return platform::openAddress(address.toStdString());
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
