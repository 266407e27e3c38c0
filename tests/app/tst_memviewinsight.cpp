// The card viewer's icons and check findings, on cards built here.

#include "app/frmMemView.h"
#include "cards/save_icon.h"
#include "tests/app/AppTest.h"
#include "tests/support/card_images.h"

#include <QLabel>
#include <QTableWidget>
#include <functional>
#include <memory>

using namespace tobrel;
using namespace tobrel::testing;

using CardDamage = std::function<void(std::string&)>;
Q_DECLARE_METATYPE(CardDamage)

namespace {

// Saves at blocks 1 (one icon frame), 2-3 (two) and 4, 6, 5 (three), each
// with its own palette so that a swapped icon shows.
std::string soundCard() {
    std::string body = makeFormattedCard();
    addChainedSave(body, {1}, "ONE", 1);
    addChainedSave(body, {2, 3}, "TWO", 2);
    addChainedSave(body, {4, 6, 5}, "THREE", 3);
    for (int block : {1, 2, 4}) {
        char* save = body.data() + cards::kBlockSize * static_cast<std::size_t>(block);
        for (int i = 96; i < 256; ++i) {
            save[i] = static_cast<char>(i * block + 7);
        }
    }
    return body;
}

std::unique_ptr<app::frmMemView> openViewer(const std::string& path, bool vgs) {
    return std::make_unique<app::frmMemView>(nullptr, path, vgs);
}

std::unique_ptr<app::frmMemView> showViewer(const std::string& body) {
    static TempDir dir; // one card at a time: each viewer has read its card when built
    const std::string path = dir.file("SHOWN.MCD");
    writeBytes(path, body);
    auto viewer = openViewer(path, false);
    viewer->show();
    return QTest::qWaitForWindowExposed(viewer.get()) ? std::move(viewer) : nullptr;
}

// The first column from the left, from `from` on, with a pixel other than the
// cell's background.
int firstInkColumn(const QImage& cell, int from) {
    const QRgb background = cell.pixel(cell.width() - 1, 0);
    for (int x = from; x < cell.width(); ++x) {
        for (int y = 0; y < cell.height(); ++y) {
            if (cell.pixel(x, y) != background) {
                return x;
            }
        }
    }
    return -1;
}

// Where in the cell the icon's opaque pixels all show exactly; -1 if nowhere.
int iconColumnIn(const QImage& cell, const cards::SaveIcon& icon) {
    for (int left = 0; left + cards::kIconSide <= cell.width(); ++left) {
        for (int top = 0; top + cards::kIconSide <= cell.height(); ++top) {
            bool all = true;
            for (int i = 0; all && i < cards::kIconSide * cards::kIconSide; ++i) {
                const auto* want = icon.rgba.data() + 4 * i;
                all = want[3] == 0 ||
                      cell.pixel(left + i % cards::kIconSide, top + i / cards::kIconSide) ==
                          qRgb(want[0], want[1], want[2]);
            }
            if (all) {
                return left;
            }
        }
    }
    return -1;
}

} // namespace

class TestMemViewInsight : public QObject {
    Q_OBJECT

private slots:
    void titlesCarryIconsAndFindingsShowUnderTheGrid_data() {
        QTest::addColumn<bool>("vgs");
        QTest::addColumn<CardDamage>("damage");
        QTest::addColumn<QString>("line");
        QTest::newRow("sound card") << false << CardDamage([](std::string&) {}) << QString();
        QTest::newRow("sound VGS image") << true << CardDamage([](std::string&) {}) << QString();
        QTest::newRow("directory checksum")
            << false << CardDamage([](std::string& b) { b[3 * 128 + 60] ^= 4; })
            << QStringLiteral("ﾌﾞﾛｯｸ3: ﾁｪｯｸｻﾑ不一致");
        QTest::newRow("more findings than fit")
            << true << CardDamage([](std::string& b) {
                   for (int n : {7, 8, 9, 10, 11}) {
                       b[static_cast<std::size_t>(128 * n + 64)] ^= 1;
                   }
               })
            << QStringLiteral("ﾌﾞﾛｯｸ7: ﾁｪｯｸｻﾑ不一致、ﾌﾞﾛｯｸ8: ﾁｪｯｸｻﾑ不一致、"
                              "ﾌﾞﾛｯｸ9: ﾁｪｯｸｻﾑ不一致、ほか2件");
    }

    void titlesCarryIconsAndFindingsShowUnderTheGrid() {
        QFETCH(bool, vgs);
        QFETCH(CardDamage, damage);
        QFETCH(QString, line);
        TempDir dir;
        std::string body = soundCard();
        damage(body);
        const std::string path = dir.file("CARD");
        writeBytes(path, vgs ? makeVgsImage(body) : body);

        auto viewer = openViewer(path, vgs);
        QCOMPARE(viewer->checkLine(), line);
        QTableWidget* grid = viewer->grid();
        const struct {
            int block;
            const char* title;
            const char* count;
        } rows[] = {{1, "ONE", "1"}, {2, "TWO", "2"}, {4, "THREE", "3"}};
        for (int row = 0; row < 3; ++row) {
            const auto& expected = rows[row];
            QCOMPARE(grid->item(row, 0)->text(), QString::fromLatin1(expected.title));
            QCOMPARE(grid->item(row, 1)->text(), QString::fromLatin1(expected.count));
            const auto* block = reinterpret_cast<const unsigned char*>(body.data()) +
                                cards::kBlockSize * static_cast<std::size_t>(expected.block);
            const auto icon = cards::decodeSaveIcon(std::span(block, cards::kBlockSize));
            QVERIFY(icon.has_value());
            const QImage shown = grid->item(row, 0)
                                     ->icon()
                                     .pixmap(cards::kIconSide, cards::kIconSide)
                                     .toImage()
                                     .convertToFormat(QImage::Format_RGBA8888);
            QCOMPARE(shown.size(), QSize(cards::kIconSide, cards::kIconSide));
            for (int y = 0; y < cards::kIconSide; ++y) {
                for (int x = 0; x < cards::kIconSide; ++x) {
                    const auto* want = icon->rgba.data() + 4 * (y * cards::kIconSide + x);
                    const QRgb got = shown.pixel(x, y);
                    QCOMPARE(qAlpha(got), int(want[3]));
                    if (want[3] != 0) {
                        QCOMPARE(qRgb(qRed(got), qGreen(got), qBlue(got)),
                                 qRgb(want[0], want[1], want[2]));
                    }
                }
            }
        }
        QVERIFY(!grid->item(3, 0));
    }

    void iconsShowPixelForPixelAndTitlesStartAlike() {
        std::string body = soundCard();
        addChainedSave(body, {7}, "ONE");
        body[cards::kBlockSize * 7 + cards::kIconFlagOffset] = 0; // no icon: listed all the same
        const auto viewer = showViewer(body);
        QVERIFY(viewer);
        QTableWidget* grid = viewer->grid();
        QCOMPARE(grid->item(3, 0)->text(), QStringLiteral("ONE"));
        const auto cell = [&](int row) {
            return grid->viewport()->grab(grid->visualItemRect(grid->item(row, 0))).toImage();
        };
        const auto* block = reinterpret_cast<const unsigned char*>(body.data()) + cards::kBlockSize;
        const auto icon = cards::decodeSaveIcon(std::span(block, cards::kBlockSize));
        QVERIFY(icon);
        const int iconLeft = iconColumnIn(cell(0), *icon);
        QVERIFY(iconLeft >= 0);
        const int titleWithIcon = firstInkColumn(cell(0), iconLeft + cards::kIconSide);
        QVERIFY(titleWithIcon != -1);
        QCOMPARE(firstInkColumn(cell(3), 0), titleWithIcon);
    }

    void keepsOneHeightAndColumnsFillTheGrid_data() {
        QTest::addColumn<CardDamage>("fill");
        QTest::addColumn<bool>("findings");
        QTest::newRow("sound card") << CardDamage([](std::string&) {}) << false;
        QTest::newRow("empty card")
            << CardDamage([](std::string& b) { b = makeFormattedCard(); }) << false;
        QTest::newRow("15 saves") << CardDamage([](std::string& b) {
            b = makeCardBody();
            for (int n = 1; n <= 15; ++n) {
                addSave(b, n, "SAVE", 1);
            }
        }) << true;
        QTest::newRow("findings") << CardDamage([](std::string& b) {
            for (int n = 7; n <= 15; ++n) {
                b[static_cast<std::size_t>(128 * n + 8)] ^= 1; // link and checksum
            }
        }) << true;
        QTest::newRow("findings too long for three") << CardDamage([](std::string& b) {
            for (int n : {1, 2, 4}) { // the saves' length fields
                b.replace(static_cast<std::size_t>(128 * n + 4), 4, "\xFF\xFF\xFF\x7F");
                sealFrame(b, n);
            }
        }) << true;
    }
    void keepsOneHeightAndColumnsFillTheGrid() {
        QFETCH(CardDamage, fill);
        QFETCH(bool, findings);
        const auto sound = showViewer(soundCard());
        QVERIFY(sound);
        std::string body = soundCard();
        fill(body);
        const auto viewer = showViewer(body);
        QVERIFY(viewer);
        QCOMPARE(viewer->checkLine().isEmpty(), !findings);
        QCOMPARE(viewer->height(), sound->height());
        QTableWidget* grid = viewer->grid();
        QCOMPARE(grid->columnWidth(0) + grid->columnWidth(1), grid->viewport()->width());
        QCOMPARE(grid->columnWidth(1), 47); // 700 twips
        QVERIFY(grid->rowViewportPosition(14) + grid->rowHeight(14) <= grid->viewport()->height());
        const auto* line = viewer->findChild<QLabel*>("lblCheck");
        QVERIFY(line->heightForWidth(line->width()) <= line->height());
    }
};

TOBREL_TEST_MAIN(TestMemViewInsight)
#include "tst_memviewinsight.moc"
