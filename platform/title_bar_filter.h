#pragma once
// Reports a double click of the left mouse button on a window's title bar or
// frame, where the window system hands that click to the program (Windows).
// Elsewhere the window manager keeps it, and this filter reports nothing.

#include <QAbstractNativeEventFilter>
#include <functional>

namespace tobrel::platform {

class TitleBarFilter final : public QAbstractNativeEventFilter {
public:
    // onDoubleClick receives the native id of the window that was double-clicked.
    explicit TitleBarFilter(std::function<void(quintptr)> onDoubleClick);

    // Never swallows the message: the window system handles it as usual.
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    // True where this filter sees title-bar double clicks.
    static bool supported();

private:
    std::function<void(quintptr)> onDoubleClick_;
};

} // namespace tobrel::platform
