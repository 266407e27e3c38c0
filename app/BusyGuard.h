#pragma once
// Marks a panel busy while a long job runs: the given controls are disabled,
// and everything is restored when the job ends, whichever way it ends.

#include <QApplication>
#include <QWidget>
#include <initializer_list>
#include <vector>

namespace tobrel::app {

class BusyGuard {
public:
    BusyGuard(bool& busy, std::initializer_list<QWidget*> widgets)
        : busy_(busy), widgets_(widgets) {
        busy_ = true;
        for (auto* widget : widgets_) {
            widget->setEnabled(false);
        }
    }
    ~BusyGuard() {
        if (waitCursor_) {
            QApplication::restoreOverrideCursor();
        }
        for (auto* widget : widgets_) {
            widget->setEnabled(true);
        }
        busy_ = false;
    }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

    // The hourglass for the whole application until the guard ends.
    void showWaitCursor() {
        if (!waitCursor_) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            waitCursor_ = true;
        }
    }

private:
    bool& busy_;
    std::vector<QWidget*> widgets_;
    bool waitCursor_ = false;
};

} // namespace tobrel::app
