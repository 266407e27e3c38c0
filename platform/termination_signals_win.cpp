#include "platform/termination_signals.h"

// Windows has no SIGINT or SIGTERM for a windowed program: a request to end it
// from outside (taskkill without /F, the session ending) arrives as WM_CLOSE,
// which Qt hands to the window as its close box would. Nothing to set up here.

namespace tobrel::platform {

void TerminationSignals::deferUntilHandled() {}

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {}

TerminationSignals::~TerminationSignals() = default;

// No signal to send itself: the start-up tests that use the stages are the
// Linux build's.
void startupStage(const char*) {}

} // namespace tobrel::platform
