#pragma once
// The one message for registry writes the store refused, shared by the panels
// that write the emulators' settings (memory-card slots, controllers).

#include <QStringList>

class QWidget;

namespace tobrel::app {

// Shows an "ｴﾗｰ" box saying in Japanese why the registry refused the write
// (Wine running for the prefix, a registry file that cannot be read or is not
// Wine's, or a failed write) and listing the values that were not written.
void showRegistryWriteError(QWidget* parent, const QStringList& unwrittenValues);

} // namespace tobrel::app
