#include "platform/wine/value_lines.h"

#include "platform/wine/escaping.h"
#include "platform/wine/line_text.h"

#include <cstdio>

namespace tobrel::platform::wine {
namespace {

std::string hexNumber(std::uint64_t value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%llx", static_cast<unsigned long long>(value));
    return buffer;
}

std::u16string unitsFromData(std::string_view data) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        units += static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                       (static_cast<unsigned char>(data[i + 1]) << 8));
    }
    return units;
}

std::string dataFromUnits(std::u16string_view units) {
    std::string data;
    data.reserve(units.size() * 2);
    for (char16_t unit : units) {
        data += static_cast<char>(unit & 0xFF);
        data += static_cast<char>(unit >> 8);
    }
    return data;
}

std::string formatValueName(std::u16string_view name) {
    return name.empty() ? std::string("@") : "\"" + escapeText(name, "\"") + "\"";
}

} // namespace

std::string unixSecondsText(std::uint64_t fileTime) {
    const std::uint64_t seconds = fileTime > kFileTimeUnixEpoch
                                      ? (fileTime - kFileTimeUnixEpoch) / kFileTimeTicksPerSecond
                                      : 0;
    return std::to_string(seconds);
}

StoredValue parseValueData(const std::vector<std::string_view>& pieces) {
    const StoredValue malformed{kRegNone, {}};
    std::string_view text = pieces.front();
    std::size_t pos = 0;
    std::uint32_t type = kRegSz;
    auto startsWith = [&](std::string_view prefix) {
        return text.substr(pos, prefix.size()) == prefix;
    };

    if (startsWith("\"") || startsWith("str:\"") || startsWith("str(2):\"") ||
        startsWith("str(7):\"")) {
        if (startsWith("str(2)")) {
            type = kRegExpandSz;
        } else if (startsWith("str(7)")) {
            type = kRegMultiSz;
        }
        pos = text.find('"', pos) + 1;
        auto value = unescapeText(text, pos, '"');
        if (!value) {
            return malformed;
        }
        value->text += u'\0'; // the terminator is implied in the file
        return {type, dataFromUnits(value->text)};
    }
    if (startsWith("dword:")) {
        // Like strtoul: leading hex digits only, anything after them ignored;
        // the value is then cut to 32 bits.
        pos += 6;
        pos = skipBlanks(text, pos);
        unsigned long long number = 0;
        bool saturated = false;
        for (; pos < text.size() && hexDigitValue(text[pos]) >= 0; ++pos) {
            if (number > (~0ULL >> 4)) {
                saturated = true;
            }
            number = (number << 4) | static_cast<unsigned>(hexDigitValue(text[pos]));
        }
        if (saturated) {
            number = ~0ULL;
        }
        const auto dword = static_cast<std::uint32_t>(number);
        std::string data(4, '\0');
        for (int i = 0; i < 4; ++i) {
            data[static_cast<std::size_t>(i)] = static_cast<char>((dword >> (8 * i)) & 0xFF);
        }
        return {kRegDword, data};
    }
    if (startsWith("hex:")) {
        type = kRegBinary;
        pos += 4;
    } else if (startsWith("hex(")) {
        pos += 4;
        std::uint64_t number = 0;
        std::size_t digits = 0;
        for (; pos < text.size() && hexDigitValue(text[pos]) >= 0; ++pos, ++digits) {
            number = (number << 4) | static_cast<unsigned>(hexDigitValue(text[pos]));
            if (number > 0xFFFFFFFFULL) {
                return malformed;
            }
        }
        if (digits == 0 || text.substr(pos, 2) != "):") {
            return malformed;
        }
        type = static_cast<std::uint32_t>(number);
        pos += 2;
    } else {
        return malformed;
    }

    std::string bytes;
    std::size_t piece = 0;
    for (;;) {
        while (pos < text.size() && isSpace(text[pos])) {
            ++pos;
        }
        while (pos < text.size() && hexDigitValue(text[pos]) >= 0) {
            // Like strtoul: all the digits make one number, which must fit a byte.
            unsigned value = 0;
            while (pos < text.size() && hexDigitValue(text[pos]) >= 0) {
                value = value * 16 + static_cast<unsigned>(hexDigitValue(text[pos++]));
                if (value > 0xFF) {
                    return malformed;
                }
            }
            bytes += static_cast<char>(value);
            while (pos < text.size() && isSpace(text[pos])) {
                ++pos;
            }
            if (pos < text.size() && text[pos] == ',') {
                ++pos;
            }
            while (pos < text.size() && isSpace(text[pos])) {
                ++pos;
            }
        }
        if (pos == text.size()) {
            return {type, bytes};
        }
        if (text[pos] != '\\' || piece + 1 >= pieces.size()) {
            return malformed;
        }
        text = pieces[++piece];
        pos = skipBlanks(text, 0);
    }
}

std::optional<ParsedName> parseValueName(std::string_view text, std::size_t pos) {
    ParsedName parsed;
    if (text[pos] == '@') {
        ++pos;
    } else {
        auto name = unescapeText(text, pos + 1, '"');
        if (!name) {
            return std::nullopt;
        }
        parsed.name = std::move(name->text);
        pos = name->end;
    }
    pos = skipBlanks(text, pos);
    if (pos >= text.size() || text[pos] != '=') {
        return std::nullopt;
    }
    parsed.dataStart = skipBlanks(text, pos + 1);
    return parsed;
}

bool isHexForm(std::string_view data) {
    return data.starts_with("hex:") || data.starts_with("hex(");
}

bool continuesOnNextLine(std::string_view text) {
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return !text.empty() && text.back() == '\\';
}

std::optional<ParsedValue> parseValue(std::string_view lines) {
    std::vector<std::string_view> pieces;
    while (!lines.empty()) {
        const std::size_t end = lines.find('\n');
        pieces.push_back(
            withoutLineEnd(lines.substr(0, end == std::string_view::npos ? end : end + 1)));
        lines = end == std::string_view::npos ? std::string_view() : lines.substr(end + 1);
    }
    if (pieces.empty()) {
        return std::nullopt;
    }
    const std::size_t start = skipBlanks(pieces[0], 0);
    if (start == pieces[0].size() || (pieces[0][start] != '@' && pieces[0][start] != '"')) {
        return std::nullopt;
    }
    auto name = parseValueName(pieces[0], start);
    if (!name) {
        return std::nullopt;
    }
    pieces[0] = pieces[0].substr(name->dataStart);
    return ParsedValue{std::move(name->name), parseValueData(pieces)};
}

std::string formatValue(std::u16string_view name, std::uint32_t type, std::string_view data,
                        std::string_view eol) {
    std::string out = formatValueName(name) + "=";
    const bool stringType = type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
    if (stringType && data.size() >= 2 && data.size() % 2 == 0 && data[data.size() - 1] == 0 &&
        data[data.size() - 2] == 0) {
        // Quoted only when the data ends with a UTF-16 terminator; the reader adds it back.
        const std::u16string units = unitsFromData(data.substr(0, data.size() - 2));
        out += type == kRegExpandSz ? "str(2):" : type == kRegMultiSz ? "str(7):" : "";
        out += "\"" + escapeText(units, "\"") + "\"";
        out += eol;
        return out;
    }
    if (type == kRegDword && data.size() == 4) {
        char buffer[16];
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i) {
            value = (value << 8) | static_cast<unsigned char>(data[static_cast<std::size_t>(i)]);
        }
        std::snprintf(buffer, sizeof buffer, "dword:%08x", static_cast<unsigned>(value));
        out += buffer;
        out += eol;
        return out;
    }
    out += type == kRegBinary ? std::string("hex:") : "hex(" + hexNumber(type) + "):";
    // Wine counts the columns from the start of the name and wraps after the
    // comma that takes the count past 76; continuation lines start with two spaces.
    std::size_t column = out.size();
    char buffer[4];
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%02x", static_cast<unsigned char>(data[i]));
        out += buffer;
        column += 2;
        if (i + 1 < data.size()) {
            out += ',';
            if (++column > 76) {
                out += "\\";
                out += eol;
                out += "  ";
                column = 2;
            }
        }
    }
    out += eol;
    return out;
}

std::string formatKeyLine(const KeyPath& path, std::uint64_t fileTime) {
    std::u16string joined;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (i > 0) {
            joined += u'\\';
        }
        joined += path[i];
    }
    return "[" + escapeText(joined, "[]") + "] " + unixSecondsText(fileTime);
}

std::string formatTimeOption(std::uint64_t fileTime) {
    return "#time=" + hexNumber(fileTime);
}

} // namespace tobrel::platform::wine
