#pragma once
// Termination requests from outside (SIGINT, SIGTERM) delivered as a Qt
// signal in the event loop, where the window can close as its close box does.

#include <QObject>

namespace tobrel::platform {

// While one exists, SIGINT and SIGTERM no longer end the process at once:
// each emits received() from the event loop instead. Only one may exist.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    // Called first thing in main (before any thread starts): from here on a
    // SIGINT or SIGTERM waits until a TerminationSignals exists and is then
    // delivered to it, instead of ending the program halfway through its start.
    static void deferUntilHandled();

    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

signals:
    void received();
};

// A named point of the program's start-up. When the environment variable
// TOBREL_TERMINATE_AT names it, the process sends itself SIGTERM right there,
// as the end of a desktop session at that moment would: the start-up tests
// reach each point this way, whatever the speed of the machine.
void startupStage(const char* name);

} // namespace tobrel::platform
