#pragma once
// The seam through which windows hand an address to the desktop (the user's
// browser), so that tests can see the request without opening anything.

#include <QString>

namespace tobrel::app {

class DesktopShell {
public:
    virtual ~DesktopShell() = default;

    // Asks the desktop to open the address as given; false when no program
    // could be started for it (no browser, for one).
    virtual bool openAddress(const QString& address) = 0;

    // The shell in use; the desktop's own unless a test installed another.
    static DesktopShell& current();
    // Installs a shell (not owned); nullptr restores the desktop's.
    static void install(DesktopShell* shell);
};

} // namespace tobrel::app
