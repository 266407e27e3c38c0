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

#include <memory>

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
    // SIGINT and SIGTERM close the main window as its close box does, so the
    // settings are saved when the desktop session ends or the user presses
    // Ctrl+C. One that comes before the handler below is ready waits for it.
    platform::TerminationSignals::deferUntilHandled();
    platform::startupStage("start");
    QApplication application(argc, argv);
    platform::SingleInstance instance("tobrel");
    if (!instance.isFirst()) {
        return 0; // another copy runs: end silently, leaving it as it is
    }
    platform::startupStage("locked");
    // A request that comes while the program starts is kept: the main window
    // finishes its load (closed halfway, it would save half-loaded settings)
    // and then closes without being shown, before the event loop runs. From
    // then on a request closes the window at once, and the last window's
    // closing ends the event loop.
    bool closeRequested = false;
    bool running = false;
    platform::TerminationSignals termination;
    QObject::connect(&termination, &platform::TerminationSignals::received,
                     [&closeRequested, &running] {
                         closeRequested = true;
                         if (running && mainForm) {
                             mainForm->close();
                         }
                     });
    platform::startupStage("handled");
    prepareApplication();

    // The splash shows while the main window loads; the load's yields repaint
    // it, and a click or a key may close it earlier. Deleted once the main
    // window shows, so that its picture and window buffer do not stay.
    auto splash = std::make_unique<frmSplash>();
    splash->show();
    splash->activateWindow();
    platform::startupStage("splash");
    splash->repaint();
    QApplication::processEvents();

    // A closed window may be asked to close again: its settings are saved once.
    frmMain window;
    mainForm = &window;
    platform::startupStage("window");
    window.load();
    platform::startupStage("loaded");
    // Takes a request that came after the load's last yield.
    QApplication::processEvents();
    if (closeRequested) {
        splash->close();
        window.close(); // saves the settings as any close does
        mainForm = nullptr;
        return 0;
    }
    window.show();
    splash->close(); // closing again after the user closed it changes nothing
    splash.reset();
    window.activateWindow(); // the splash had the focus
    saveScreenshotsWhenAsked(&application);
    running = true;
    platform::startupStage("shown");
    QMetaObject::invokeMethod(
        &application, [] { platform::startupStage("running"); }, Qt::QueuedConnection);
    const int status = QApplication::exec();
    mainForm = nullptr;
    return status;
}

} // namespace tobrel::app
