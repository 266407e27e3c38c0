// Writes the program's built-in icon into an icon theme folder (such as
// .../icons/hicolor): scalable/apps/tobrel.svg and NxN/apps/tobrel.png for the
// sizes desktops ask for. The build runs it; scripts/make-icons.sh runs it by hand.
// With --ico FILE it writes the Windows icon file that tobrel.exe carries.

#include "app/AppIcon.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <array>
#include <cstdio>

namespace {

constexpr std::array kSizes{16, 22, 24, 32, 48, 64, 128, 256};

bool writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size() && file.flush();
}

void appendLe(QByteArray& out, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

// One image of an .ico file: a 32-bit bottom-up DIB with its alpha channel and
// an empty AND mask, which every Windows and Wine reads; 256 pixels as PNG.
QByteArray icoImage(int size) {
    const QImage image = tobrel::app::builtInIconImage(size).convertToFormat(QImage::Format_ARGB32);
    QByteArray data;
    if (size >= 256) {
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return data;
    }
    appendLe(data, 40, 4);       // BITMAPINFOHEADER
    appendLe(data, size, 4);     // width
    appendLe(data, size * 2, 4); // height of colour and mask together
    appendLe(data, 1, 2);        // planes
    appendLe(data, 32, 2);       // bits per pixel
    appendLe(data, 0, 4);        // BI_RGB
    appendLe(data, 0, 4 * 5);    // size, resolutions, colours: defaults
    for (int y = size - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
        for (int x = 0; x < size; ++x) {
            appendLe(data, line[x], 4); // ARGB32 is B, G, R, A in memory order
        }
    }
    const int maskRow = ((size + 31) / 32) * 4;
    data.append(QByteArray(maskRow * size, '\0'));
    return data;
}

QByteArray icoFile() {
    const std::array sizes{16, 24, 32, 48, 64, 256};
    QByteArray header;
    QByteArray images;
    appendLe(header, 0, 2);
    appendLe(header, 1, 2); // an icon
    appendLe(header, sizes.size(), 2);
    const int firstOffset = 6 + 16 * static_cast<int>(sizes.size());
    for (int size : sizes) {
        const QByteArray image = icoImage(size);
        header.append(static_cast<char>(size >= 256 ? 0 : size)); // 0 stands for 256
        header.append(static_cast<char>(size >= 256 ? 0 : size));
        appendLe(header, 0, 2); // no palette
        appendLe(header, 1, 2); // planes
        appendLe(header, 32, 2);
        appendLe(header, image.size(), 4);
        appendLe(header, firstOffset + images.size(), 4);
        images.append(image);
    }
    return header + images;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && QByteArray(argv[1]) == "--ico") {
        if (!writeFile(QString::fromLocal8Bit(argv[2]), icoFile())) {
            std::fprintf(stderr, "export_icons: could not write %s\n", argv[2]);
            return 1;
        }
        return 0;
    }
    if (argc != 2) {
        std::fputs("usage: export_icons THEME_FOLDER | --ico FILE\n", stderr);
        return 2;
    }
    const QString theme = QString::fromLocal8Bit(argv[1]);
    bool ok = writeFile(theme + "/scalable/apps/tobrel.svg", tobrel::app::builtInIconSvg());
    for (int size : kSizes) {
        const QString path = QStringLiteral("%1/%2x%2/apps/tobrel.png").arg(theme).arg(size);
        QDir().mkpath(QFileInfo(path).path());
        ok = tobrel::app::builtInIconImage(size).save(path, "PNG") && ok;
    }
    if (!ok) {
        std::fprintf(stderr, "export_icons: could not write the icons into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
