#pragma once
// The one conversion between the core's UTF-8 std strings and QString.

#include <QString>

#include <string>
#include <string_view>

namespace tobrel::app {

inline QString toQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string toStdString(const QString& text) {
    return text.toStdString();
}

} // namespace tobrel::app
