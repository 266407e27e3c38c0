// Writes the program's built-in icon into an icon theme folder (such as
// .../icons/hicolor): scalable/apps/tobrel.svg and NxN/apps/tobrel.png for the
// sizes desktops ask for. The build runs it; scripts/make-icons.sh runs it by hand.

#include "app/AppIcon.h"

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

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: export_icons THEME_FOLDER\n", stderr);
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
