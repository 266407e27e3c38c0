#include "app/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tobrel::app {
namespace {

QPixmap drawCard(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 32.0;
    // Card body with a cut corner, as PlayStation memory cards have.
    QPainterPath body;
    body.moveTo(6 * unit, 2 * unit);
    body.lineTo(22 * unit, 2 * unit);
    body.lineTo(26 * unit, 6 * unit);
    body.lineTo(26 * unit, 30 * unit);
    body.lineTo(6 * unit, 30 * unit);
    body.closeSubpath();
    painter.setPen(QPen(QColor(40, 40, 60), unit));
    painter.setBrush(QColor(90, 90, 120));
    painter.drawPath(body);
    // Label and contacts.
    painter.setBrush(QColor(230, 230, 240));
    painter.drawRect(QRectF(9 * unit, 6 * unit, 14 * unit, 12 * unit));
    painter.setBrush(QColor(210, 170, 60));
    for (int i = 0; i < 4; ++i) {
        painter.drawRect(QRectF((8 + i * 4.5) * unit, 24 * unit, 3 * unit, 4 * unit));
    }
    return pixmap;
}

} // namespace

QIcon builtInIcon() {
    static const QIcon icon = [] {
        QIcon drawn;
        for (int size : {16, 32, 48}) {
            drawn.addPixmap(drawCard(size));
        }
        return drawn;
    }();
    return icon;
}

} // namespace tobrel::app
