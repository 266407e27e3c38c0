#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>

namespace tobrel::app {

// The program's own icon: a memory card, drawn rather than shipped as a file.
QIcon builtInIcon();

// The same drawing as a size x size picture, for the desktop's icon theme.
QImage builtInIconImage(int size);

// The same drawing as SVG text (a 32-unit square), for the desktop's icon theme.
QByteArray builtInIconSvg();

} // namespace tobrel::app
