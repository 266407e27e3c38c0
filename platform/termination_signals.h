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
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

signals:
    void received();
};

} // namespace tobrel::platform
