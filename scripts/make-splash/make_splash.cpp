// Draws the splash picture (324 x 244 pixels) and saves it as a binary PPM
// (raw RGB pixels, which the splash shows without decoding).
// Usage: make-splash OUTPUT.ppm   (run with QT_QPA_PLATFORM=offscreen)
// The bottom right corner is left calm: the window writes the product name
// and version there at run time.

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>

namespace {

constexpr int kWidth = 324;
constexpr int kHeight = 244;

void drawBackground(QPainter& painter) {
    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0.0, QColor(18, 24, 58));
    sky.setColorAt(0.65, QColor(34, 52, 112));
    sky.setColorAt(1.0, QColor(12, 16, 40));
    painter.fillRect(0, 0, kWidth, kHeight, sky);

    // Soft glow behind the card.
    QRadialGradient glow(92, 112, 110);
    glow.setColorAt(0.0, QColor(120, 170, 255, 110));
    glow.setColorAt(1.0, QColor(120, 170, 255, 0));
    painter.fillRect(0, 0, kWidth, kHeight, glow);

    // Thin diagonal light lines.
    painter.setPen(QPen(QColor(255, 255, 255, 18), 1));
    for (int x = -kHeight; x < kWidth; x += 14) {
        painter.drawLine(x, kHeight, x + kHeight, 0);
    }

    // A band along the bottom for the product name.
    QLinearGradient band(0, 206, 0, kHeight);
    band.setColorAt(0.0, QColor(0, 0, 0, 0));
    band.setColorAt(1.0, QColor(0, 0, 0, 120));
    painter.fillRect(0, 206, kWidth, kHeight - 206, band);
    painter.setPen(QPen(QColor(250, 200, 70), 2));
    painter.drawLine(16, 210, kWidth - 16, 210);
}

void drawCard(QPainter& painter, QPointF origin, qreal scale, qreal angle, QColor body) {
    painter.save();
    painter.translate(origin);
    painter.rotate(angle);
    painter.scale(scale, scale);
    QPainterPath outline;
    outline.moveTo(0, 0);
    outline.lineTo(52, 0);
    outline.lineTo(64, 12);
    outline.lineTo(64, 92);
    outline.lineTo(0, 92);
    outline.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 90)); // shadow
    painter.drawPath(outline.translated(4, 5));
    QLinearGradient shade(0, 0, 64, 92);
    shade.setColorAt(0.0, body.lighter(135));
    shade.setColorAt(1.0, body.darker(130));
    painter.setPen(QPen(QColor(20, 20, 30), 1.2));
    painter.setBrush(shade);
    painter.drawPath(outline);
    // Label.
    painter.setBrush(QColor(236, 238, 246));
    painter.setPen(QPen(QColor(60, 60, 80), 0.8));
    painter.drawRoundedRect(QRectF(8, 10, 44, 40), 3, 3);
    painter.setPen(QPen(QColor(90, 110, 170), 2));
    for (int line = 0; line < 3; ++line) {
        painter.drawLine(QPointF(13, 22 + line * 9), QPointF(46 - line * 6, 22 + line * 9));
    }
    // Contacts.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(222, 178, 64));
    for (int pin = 0; pin < 6; ++pin) {
        painter.drawRect(QRectF(6 + pin * 9.2, 74, 6, 12));
    }
    painter.restore();
}

void drawTitle(QPainter& painter) {
    QFont title(QStringLiteral("IPAPGothic"));
    title.setPixelSize(46);
    title.setBold(true);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    painter.setFont(title);
    painter.setPen(QColor(0, 0, 0, 110));
    painter.drawText(QPointF(154, 96), QStringLiteral("Tobrel"));
    QLinearGradient metal(0, 56, 0, 96);
    metal.setColorAt(0.0, QColor(255, 255, 255));
    metal.setColorAt(1.0, QColor(170, 200, 255));
    painter.setPen(QPen(QBrush(metal), 1));
    painter.drawText(QPointF(152, 94), QStringLiteral("Tobrel"));

    QFont sub(QStringLiteral("IPAPGothic"));
    sub.setPixelSize(12);
    painter.setFont(sub);
    painter.setPen(QColor(250, 200, 70));
    painter.drawText(QPointF(155, 118), QStringLiteral("Memory Card Utility"));
    painter.setPen(QColor(210, 220, 245));
    painter.drawText(QPointF(155, 140), QStringLiteral("ﾒﾓﾘｰｶｰﾄﾞ変換"));
    painter.drawText(QPointF(155, 156), QStringLiteral("ｽﾛｯﾄ・ｷｰ設定"));
    painter.drawText(QPointF(155, 172), QStringLiteral("ﾗﾝﾁｬ・ｺｰﾄﾞﾘｽﾄ抽出"));

    QFont small(QStringLiteral("IPAPGothic"));
    small.setPixelSize(9);
    painter.setFont(small);
    painter.setPen(QColor(150, 165, 205));
    painter.drawText(QPointF(16, 228), QStringLiteral("for PlayStation emulators"));
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-splash OUTPUT.ppm\n");
        return 2;
    }
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawBackground(painter);
    drawCard(painter, QPointF(30, 58), 1.0, -12, QColor(70, 74, 96));
    drawCard(painter, QPointF(62, 46), 1.15, 8, QColor(96, 102, 134));
    drawTitle(painter);
    painter.end();
    if (!image.save(QString::fromLocal8Bit(argv[1]), "PPM")) {
        std::fprintf(stderr, "make-splash: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
