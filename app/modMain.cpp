#include "app/modMain.h"

#include "app/AppVersion.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"
#include "platform/single_instance.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QSocketNotifier>
#include <QTimer>
#include <QTranslator>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace tobrel::app {

QPointer<frmMain> mainForm;

namespace {

int g_signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(g_signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM close the main window as its close box does, so the
// settings are saved when the desktop session ends or the user presses Ctrl+C.
void closeOnTerminationSignals(QObject* owner) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [] {
        char byte;
        [[maybe_unused]] auto got = ::read(g_signalPipe[0], &byte, 1);
        if (mainForm) {
            mainForm->close();
        } else {
            // No main window yet (the splash is up): keep the request for it.
            [[maybe_unused]] auto again = ::write(g_signalPipe[1], &byte, 1);
        }
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// With TOBREL_SCREENSHOT set (as the run script does on a virtual display),
// the main window is saved there as a picture every few seconds.
void saveScreenshotsWhenAsked(QObject* owner) {
    const QString target = qEnvironmentVariable("TOBREL_SCREENSHOT");
    if (target.isEmpty()) {
        return;
    }
    auto* timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, owner, [target] {
        if (mainForm) {
            mainForm->grab().save(target);
        }
    });
    timer->start(3000);
}

} // namespace

void prepareApplication() {
    // Debian has no alias from the Windows font to its metric-compatible twin.
    for (const char* family : {"ＭＳ Ｐゴシック", "MS PGothic"}) {
        QFont::insertSubstitution(QString::fromUtf8(family), QStringLiteral("IPAPGothic"));
    }
    QApplication::setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    QApplication::setApplicationName(AppVersion::title());
    QApplication::setApplicationVersion(AppVersion::versionText());

    auto* translator = new QTranslator(qApp);
    if (translator->load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(translator);
    }
}

int runTobrel(int argc, char** argv) {
    QApplication application(argc, argv);
    platform::SingleInstance instance("tobrel");
    if (!instance.isFirst()) {
        return 0; // another copy runs: end silently, leaving it as it is
    }
    prepareApplication();
    closeOnTerminationSignals(&application);

    // The splash shows while the main window loads; the load's yields repaint
    // it, and a click or a key may close it earlier.
    frmSplash splash;
    splash.show();
    splash.activateWindow();
    splash.repaint();
    QApplication::processEvents();

    frmMain window;
    mainForm = &window;
    window.load();
    window.show();
    splash.close();          // closing again after the user closed it changes nothing
    window.activateWindow(); // the splash had the focus
    saveScreenshotsWhenAsked(&application);
    const int status = QApplication::exec();
    mainForm = nullptr;
    return status;
}

} // namespace tobrel::app
