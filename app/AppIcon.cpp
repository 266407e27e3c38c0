#include "app/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QString>

#include <vector>

namespace tobrel::app {
namespace {

// The drawing on a 32-unit grid, back to front. Every shape has the outline
// colour below, one unit wide; the picture and the SVG text both come from here.
struct Shape {
    std::vector<QPointF> points;
    QColor fill;
};

const QColor kOutline(40, 40, 60);

QPolygonF rect(qreal x, qreal y, qreal width, qreal height) {
    return QPolygonF(QRectF(x, y, width, height)).mid(0, 4);
}

const std::vector<Shape>& shapes() {
    static const std::vector<Shape> all = [] {
        std::vector<Shape> list;
        // Card body with a cut corner, as PlayStation memory cards have.
        list.push_back({{{6, 2}, {22, 2}, {26, 6}, {26, 30}, {6, 30}}, QColor(90, 90, 120)});
        // Label and contacts.
        const QPolygonF label = rect(9, 6, 14, 12);
        list.push_back({{label.begin(), label.end()}, QColor(230, 230, 240)});
        for (int i = 0; i < 4; ++i) {
            const QPolygonF contact = rect(8 + i * 4.5, 24, 3, 4);
            list.push_back({{contact.begin(), contact.end()}, QColor(210, 170, 60)});
        }
        return list;
    }();
    return all;
}

void paintCard(QPainter& painter, int size) {
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 32.0;
    painter.setPen(QPen(kOutline, unit, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    for (const Shape& shape : shapes()) {
        QPolygonF scaled;
        for (const QPointF& point : shape.points) {
            scaled << point * unit;
        }
        painter.setBrush(shape.fill);
        painter.drawPolygon(scaled);
    }
}

QPixmap drawCard(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paintCard(painter, size);
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

QImage builtInIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintCard(painter, size);
    painter.end();
    return image;
}

QByteArray builtInIconSvg() {
    QString svg =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" "
                       "viewBox=\"0 0 32 32\">\n"
                       "  <g stroke=\"%1\" stroke-width=\"1\" stroke-linejoin=\"bevel\">\n")
            .arg(kOutline.name());
    for (const Shape& shape : shapes()) {
        QStringList points;
        for (const QPointF& point : shape.points) {
            points << QStringLiteral("%1,%2").arg(point.x()).arg(point.y());
        }
        svg += QStringLiteral("    <polygon fill=\"%1\" points=\"%2\"/>\n")
                   .arg(shape.fill.name(), points.join(QLatin1Char(' ')));
    }
    svg += QStringLiteral("  </g>\n</svg>\n");
    return svg.toUtf8();
}

} // namespace tobrel::app
