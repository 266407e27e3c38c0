// The splash window: its measures, its caption, and what closes it.

#include "app/frmSplash.h"
#include "tests/app/TestMain.h"

#include <QLabel>
#include <QtTest>

using namespace tobrel;

class TestFrmSplash : public QObject {
    Q_OBJECT

private slots:
    void pictureLabelAndWindowAreMeasuredByTheRule() {
        app::frmSplash splash;
        QCOMPARE(splash.splashPicture()->geometry(), QRect(0, 0, 4860 / 15, 3660 / 15));
        QCOMPARE(splash.size(), QSize(4950 / 15, 3750 / 15));
        QCOMPARE(splash.productName()->geometry(), QRect(3000 / 15, 3300 / 15, 124, 16));
        QCOMPARE(splash.productName()->text(), QStringLiteral("Tobrel 1.27"));
        QVERIFY(splash.productName()->font().bold());
        QCOMPARE(splash.productName()->font().pointSize(), 12);
        QCOMPARE(splash.productName()->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    }

    void closesOnAClickOrACharacterKey_data() {
        QTest::addColumn<int>("key"); // 0: a mouse click
        QTest::addColumn<bool>("closes");
        QTest::newRow("click") << 0 << true;
        QTest::newRow("Enter") << int(Qt::Key_Return) << true;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << true;
        QTest::newRow("letter") << int(Qt::Key_A) << true;
        QTest::newRow("Shift gives no character") << int(Qt::Key_Shift) << false;
        QTest::newRow("F5 gives no character") << int(Qt::Key_F5) << false;
    }
    void closesOnAClickOrACharacterKey() {
        QFETCH(int, key);
        QFETCH(bool, closes);
        app::frmSplash splash;
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        if (key == 0) {
            QTest::mouseClick(splash.productName(), Qt::LeftButton);
        } else {
            QTest::keyClick(&splash, Qt::Key(key));
        }
        QCOMPARE(splash.isVisible(), !closes);
        splash.close(); // start-up closes it again: harmless
        splash.close();
        QVERIFY(!splash.isVisible());
    }
};

TOBREL_TEST_MAIN(TestFrmSplash)
#include "tst_frmsplash.moc"
