#include "app/modMain.h"

#include "app/AppVersion.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"
#include "platform/single_instance.h"
#include "platform/termination_signals.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

namespace tobrel::app {

QPointer<frmMain> mainForm;

namespace {

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
#ifndef Q_OS_WIN
    // Debian has no alias from the Windows font to its metric-compatible twin.
    for (const char* family : {"ＭＳ Ｐゴシック", "MS PGothic"}) {
        QFont::insertSubstitution(QString::fromUtf8(family), QStringLiteral("IPAPGothic"));
    }
#endif
    QApplication::setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    QApplication::setApplicationName(AppVersion::title());
    QApplication::setApplicationVersion(AppVersion::versionText());

    auto* translator = new QTranslator(qApp);
#ifdef Q_OS_WIN
    // Built into the program: a static Qt has no translations folder.
    const QString translations = QStringLiteral(":/translations");
#else
    const QString translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#endif
    if (translator->load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                         translations)) {
        QApplication::installTranslator(translator);
    }
}

int runTobrel(int argc, char** argv) {
    QApplication application(argc, argv);
    platform::SingleInstance instance("tobrel");
    if (!instance.isFirst()) {
        return 0; // another copy runs: end silently, leaving it as it is
    }
    // SIGINT and SIGTERM close the main window as its close box does, so the
    // settings are saved when the desktop session ends or the user presses Ctrl+C.
    // Taken from here on: one that arrives while only the splash is up is kept
    // and closes the main window as soon as it is shown.
    bool closeRequested = false;
    platform::TerminationSignals termination;
    QObject::connect(&termination, &platform::TerminationSignals::received, [&closeRequested] {
        if (mainForm) {
            mainForm->close();
        } else {
            closeRequested = true;
        }
    });
    prepareApplication();

    // The splash shows while the main window loads; the load's yields repaint
    // it, and a click or a key may close it earlier.
    frmSplash splash;
    splash.show();
    splash.activateWindow();
    splash.repaint();
    QApplication::processEvents();

    frmMain window;
    mainForm = &window;
    // Once closed (and its settings saved) the window takes no more requests.
    QObject::connect(&application, &QGuiApplication::lastWindowClosed, [] { mainForm = nullptr; });
    window.load();
    window.show();
    splash.close();          // closing again after the user closed it changes nothing
    window.activateWindow(); // the splash had the focus
    if (closeRequested) {
        window.close();
    }
    saveScreenshotsWhenAsked(&application);
    const int status = QApplication::exec();
    mainForm = nullptr;
    return status;
}

} // namespace tobrel::app
