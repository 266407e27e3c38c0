#include "settings/keys.h"

#include <charconv>
#include <cmath>

namespace tobrel::settings {

std::optional<int> parseIniInteger(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt; // "+-5"
        }
    }
    int value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

int wakuFromText(std::string_view text) {
    return parseIniInteger(text).value_or(0);
}

int choiceFromText(std::string_view text, int count) {
    if (text.size() == 1 && text[0] >= '0' && text[0] < '0' + count) {
        return text[0] - '0';
    }
    return 0;
}

std::string formatIniNumber(float value) {
    if (!std::isfinite(value)) {
        return "0";
    }
    if (value == std::trunc(value) && std::fabs(value) < 1e18F) {
        // Integral: no decimal point, and never "-0".
        return std::to_string(static_cast<long long>(value));
    }
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string("0");
}

} // namespace tobrel::settings
