#include "platform/wine/escaping.h"

#include "platform/encoding.h"
#include "platform/wine/line_text.h"

#include <cstdio>

namespace tobrel::platform::wine {
namespace {

bool isAsciiHexDigit(char32_t c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

} // namespace

std::string escapeText(std::u16string_view text, std::string_view delimiters) {
    std::string out;
    char buffer[16];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const char16_t next = i + 1 < text.size() ? text[i + 1] : u'\0';
        if (c > 0x7F) {
            // Without padding, a following hex digit would be read as part of the number.
            std::snprintf(buffer, sizeof buffer, isAsciiHexDigit(next) ? "\\x%04x" : "\\x%x",
                          static_cast<unsigned>(c));
            out += buffer;
        } else if (c < 0x20) {
            switch (c) {
            case u'\a':
                out += "\\a";
                break;
            case u'\b':
                out += "\\b";
                break;
            case u'\t':
                out += "\\t";
                break;
            case u'\n':
                out += "\\n";
                break;
            case u'\v':
                out += "\\v";
                break;
            case u'\f':
                out += "\\f";
                break;
            case u'\r':
                out += "\\r";
                break;
            case 0x1B:
                out += "\\e";
                break;
            default:
                std::snprintf(buffer, sizeof buffer,
                              (next >= u'0' && next <= u'7') ? "\\%03o" : "\\%o",
                              static_cast<unsigned>(c));
                out += buffer;
            }
        } else if (c == u'\\' || delimiters.find(static_cast<char>(c)) != std::string_view::npos) {
            out += '\\';
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::optional<UnescapedText> unescapeText(std::string_view line, std::size_t start, char closing) {
    UnescapedText result;
    std::size_t pos = start;
    while (pos < line.size() && line[pos] != closing) {
        const char c = line[pos];
        if (c == '\\') {
            if (++pos >= line.size()) {
                return std::nullopt;
            }
            const char e = line[pos];
            switch (e) {
            case 'a':
                result.text += u'\a';
                ++pos;
                break;
            case 'b':
                result.text += u'\b';
                ++pos;
                break;
            case 'e':
                result.text += char16_t{0x1B};
                ++pos;
                break;
            case 'f':
                result.text += u'\f';
                ++pos;
                break;
            case 'n':
                result.text += u'\n';
                ++pos;
                break;
            case 'r':
                result.text += u'\r';
                ++pos;
                break;
            case 't':
                result.text += u'\t';
                ++pos;
                break;
            case 'v':
                result.text += u'\v';
                ++pos;
                break;
            case 'x': {
                ++pos;
                unsigned value = 0;
                int digits = 0;
                while (digits < 4 && pos < line.size() && hexDigitValue(line[pos]) >= 0) {
                    value = value * 16 + static_cast<unsigned>(hexDigitValue(line[pos++]));
                    ++digits;
                }
                result.text += digits ? static_cast<char16_t>(value) : u'x';
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    unsigned value = 0;
                    int digits = 0;
                    while (digits < 3 && pos < line.size() && line[pos] >= '0' &&
                           line[pos] <= '7') {
                        value = value * 8 + static_cast<unsigned>(line[pos++] - '0');
                        ++digits;
                    }
                    result.text += static_cast<char16_t>(value);
                } else {
                    std::size_t length;
                    if (auto decoded = decodeUtf8At(line, pos, length)) {
                        appendUtf16(result.text, *decoded);
                    }
                    pos += length;
                }
            }
        } else if (static_cast<unsigned char>(c) >= 0x80) {
            std::size_t length;
            if (auto decoded = decodeUtf8At(line, pos, length)) {
                appendUtf16(result.text, *decoded);
            }
            pos += length; // an invalid byte is dropped, as Wine does
        } else {
            result.text += static_cast<char16_t>(c);
            ++pos;
        }
    }
    if (pos >= line.size()) {
        return std::nullopt;
    }
    result.end = pos + 1;
    return result;
}

} // namespace tobrel::platform::wine
