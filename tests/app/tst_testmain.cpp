// The window tests' main function: an exception that escapes one test
// function fails that function and the functions after it still run. The
// test registered for this executable checks its output.
#include "tests/app/TestMain.h"

#include <QtTest>
#include <stdexcept>

class TestTestMain : public QObject {
    Q_OBJECT
private slots:
    void before() { QVERIFY(true); }
    void throws_data() {
        QTest::addColumn<bool>("thrown");
        QTest::newRow("plain") << false;
        QTest::newRow("throwing") << true;
    }
    void throws() {
        QFETCH(bool, thrown);
        if (thrown) {
            throw std::runtime_error("unexpected");
        }
    }
    void afterTheException() { QVERIFY(true); }
    void alsoThrows() { throw 42; }
    void last() { QVERIFY(true); }
};

TOBREL_TEST_MAIN(TestTestMain)
#include "tst_testmain.moc"
