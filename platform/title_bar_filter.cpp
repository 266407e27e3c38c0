#include "platform/title_bar_filter.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <QByteArray>

#include <utility>

namespace tobrel::platform {

TitleBarFilter::TitleBarFilter(std::function<void(quintptr)> onDoubleClick)
    : onDoubleClick_(std::move(onDoubleClick)) {}

bool TitleBarFilter::nativeEventFilter(const QByteArray& eventType, void* message,
                                       qintptr* result) {
    Q_UNUSED(result);
#ifdef _WIN32
    if (eventType == "windows_generic_MSG" && message) {
        const auto* native = static_cast<const MSG*>(message);
        if (native->message == WM_NCLBUTTONDBLCLK && onDoubleClick_) {
            onDoubleClick_(reinterpret_cast<quintptr>(native->hwnd));
        }
    }
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
#endif
    return false;
}

bool TitleBarFilter::supported() {
#ifdef _WIN32
    return true;
#else
    return false;
#endif
}

} // namespace tobrel::platform
