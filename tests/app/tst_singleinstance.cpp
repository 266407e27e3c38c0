// The program itself, started twice: the second copy ends silently, a lock
// left by a crashed copy does not block the next start, and SIGTERM closes
// the window with the settings saved.

#include "tests/app/AppTest.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

class TestSingleInstance : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder_;
    QString program_;
    QString runtime_;

    QProcess* start() {
        auto* process = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_);
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(folder_.path());
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(program_, {});
        process->waitForStarted(10000);
        return process;
    }

    // Waits until the lock names its owner: a copy killed between creating the
    // file and writing it leaves an empty lock, which is not stale until it is old.
    bool waitForLock() {
        // The holder's process id written, not only the file created: a copy
        // killed in between leaves an empty lock, which is another case.
        return QTest::qWaitFor([this] { return QFileInfo(runtime_ + "/tobrel.lock").size() > 0; },
                               10000);
    }

private slots:
    void initTestCase() {
        QVERIFY(folder_.isValid());
        // A copy of its own, so that its settings file lands in the private folder.
        program_ = folder_.filePath(QStringLiteral("tobrel"));
        QVERIFY(QFile::copy(QStringLiteral(TOBREL_APP_PATH), program_));
        runtime_ = folder_.filePath(QStringLiteral("runtime"));
        QVERIFY(QDir().mkpath(runtime_));
        QFile::setPermissions(runtime_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void secondCopyEndsSilentlyAndTheFirstRunsOn() {
        QProcess* first = start();
        QVERIFY(waitForLock());
        QProcess* second = start();
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(second->readAllStandardOutput(), QByteArray());
        QCOMPARE(first->state(), QProcess::Running);
        QVERIFY(!QFile::exists(folder_.filePath("TOBREL.INI"))); // untouched until it closes

        first->terminate(); // SIGTERM: closes the window as its close box does
        QVERIFY(first->waitForFinished(10000));
        QCOMPARE(first->exitCode(), 0);
        QFile ini(folder_.filePath("TOBREL.INI"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray content = ini.readAll();
        QVERIFY(content.startsWith("[FORM]\r\nLASTDIR="));
        QVERIFY(content.contains("\r\nWAKU=0\r\n"));
    }

    void lockOfACrashedCopyDoesNotBlockTheNextStart() {
        QProcess* crashed = start();
        QVERIFY(waitForLock());
        crashed->kill();
        QVERIFY(crashed->waitForFinished(10000));
        QVERIFY(QFile::exists(runtime_ + "/tobrel.lock"));

        QProcess* next = start();
        QVERIFY(!next->waitForFinished(1500)); // still running: it took the stale lock
        next->terminate();
        QVERIFY(next->waitForFinished(10000));
        QCOMPARE(next->exitCode(), 0);
    }
};

TOBREL_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
