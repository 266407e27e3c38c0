#pragma once
// The "ｴﾗｰ" box for registry values that could not be written: why the store
// refused, and which values are left as they were.

#include <QStringList>

class QWidget;

namespace tobrel::app {

void showRegistryWriteError(QWidget* parent, const QStringList& unwrittenValues);

} // namespace tobrel::app
