#pragma once
// Lets pending window events run during a long loop on the user-interface
// thread, at most every few milliseconds, so that the window repaints and
// stays responsive while the loop itself loses no measurable time.

#include <QCoreApplication>
#include <QElapsedTimer>

namespace tobrel::app {

class EventPump {
public:
    static constexpr qint64 kIntervalMs = 15;

    EventPump() { timer_.start(); }

    // Called after every step of the loop.
    void operator()() {
        if (due()) {
            run();
        }
    }

    // For loops that bring the window up to date only when it will be painted.
    bool due() const { return timer_.elapsed() >= kIntervalMs; }
    void run() {
        QCoreApplication::processEvents();
        timer_.restart();
    }

private:
    QElapsedTimer timer_;
};

} // namespace tobrel::app
