#pragma once

#include <QIcon>

namespace tobrel::app {

// The program's own icon: a memory card, drawn rather than shipped as a file.
QIcon builtInIcon();

} // namespace tobrel::app
