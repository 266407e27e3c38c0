#include "platform/wine_registry_text.h"

#include <algorithm>
#include <cstdio>

namespace tobrel::platform::wine {
namespace {

bool isAsciiHexDigit(char32_t c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Wine's reader skips any white space around hex bytes and "=".
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view withoutLineEnd(std::string_view line) {
    if (!line.empty() && line.back() == '\n') {
        line.remove_suffix(1);
    }
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

std::string_view lineEndOf(std::string_view line) {
    if (line.size() >= 2 && line.substr(line.size() - 2) == "\r\n") {
        return "\r\n";
    }
    if (!line.empty() && line.back() == '\n') {
        return "\n";
    }
    return "";
}

std::size_t skipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && isBlank(text[pos])) {
        ++pos;
    }
    return pos;
}

std::string hexNumber(std::uint64_t value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%llx", static_cast<unsigned long long>(value));
    return buffer;
}

// Decodes one UTF-8 sequence at text[pos]; nothing (and length 1) when invalid.
std::optional<char32_t> decodeUtf8At(std::string_view text, std::size_t pos, std::size_t& length) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    length = 1;
    std::size_t need;
    char32_t value;
    char32_t minimum;
    if (lead < 0x80) {
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        need = 1, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        need = 2, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        need = 3, value = lead & 0x07, minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    if (pos + need >= text.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i <= need; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) {
            return std::nullopt;
        }
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return std::nullopt;
    }
    length = need + 1;
    return value;
}

void appendUtf16(std::u16string& out, char32_t c) {
    if (c >= 0x10000) {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
        out += static_cast<char16_t>(c);
    }
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

// The number after a key's "]": its last write in whole seconds since 1970.
std::string unixSecondsText(std::uint64_t fileTime) {
    const std::uint64_t seconds = fileTime > kFileTimeUnixEpoch
                                      ? (fileTime - kFileTimeUnixEpoch) / kFileTimeTicksPerSecond
                                      : 0;
    return std::to_string(seconds);
}

std::string formatValueName(std::u16string_view name) {
    return name.empty() ? std::string("@") : "\"" + escapeText(name, "\"") + "\"";
}

// The data of one value line (after "="), continuation lines included.
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

struct ParsedName {
    Name name;
    std::size_t dataStart = 0;
};

// "name"= or @= at the start of a value line (after leading blanks).
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

// A hex line continues on the next when it ends with "\".
bool continues(std::string_view text) {
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return !text.empty() && text.back() == '\\';
}

int compareKeyPaths(const KeyPath& a, const KeyPath& b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (int order = compareNames(a[i], b[i]); order != 0) {
            return order;
        }
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

} // namespace

std::optional<std::u16string> utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::size_t length;
        auto c = decodeUtf8At(utf8, pos, length);
        if (!c) {
            return std::nullopt;
        }
        appendUtf16(out, *c);
        pos += length;
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

char16_t lowerCaseUnit(char16_t c) {
    // The alphabets a Japanese user's key and value names realistically use:
    // Latin (with Latin-1 and Extended-A), Greek, Cyrillic and full-width Latin.
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
        (c >= 0x391 && c <= 0x3AB && c != 0x3A2) || (c >= 0x410 && c <= 0x42F) ||
        (c >= 0xFF21 && c <= 0xFF3A)) {
        return static_cast<char16_t>(c + 32);
    }
    if (c >= 0x400 && c <= 0x40F) {
        return static_cast<char16_t>(c + 80);
    }
    if (c == 0x386) {
        return 0x3AC;
    }
    if (c >= 0x388 && c <= 0x38A) {
        return static_cast<char16_t>(c + 37);
    }
    if (c == 0x38C) {
        return 0x3CC;
    }
    if (c == 0x38E || c == 0x38F) {
        return static_cast<char16_t>(c + 63);
    }
    if (c == 0x178) {
        return 0xFF;
    }
    if (c >= 0x100 && c <= 0x17E && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149) {
        const bool upperIsEven = c < 0x139 || (c >= 0x14A && c < 0x179);
        if ((c % 2 == 0) == upperIsEven) {
            return static_cast<char16_t>(c + 1);
        }
    }
    return c;
}

bool namesEqual(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && compareNames(a, b) == 0;
}

int compareNames(std::u16string_view a, std::u16string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const char16_t x = lowerCaseUnit(a[i]);
        const char16_t y = lowerCaseUnit(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool keyPathsEqual(const KeyPath& a, const KeyPath& b) {
    return a.size() == b.size() && compareKeyPaths(a, b) == 0;
}

std::optional<KeyPath> splitKeyPath(std::string_view utf8Path) {
    KeyPath path;
    std::size_t start = 0;
    while (start <= utf8Path.size()) {
        std::size_t end = utf8Path.find('\\', start);
        if (end == std::string_view::npos) {
            end = utf8Path.size();
        }
        if (end > start) {
            auto component = utf8ToUtf16(utf8Path.substr(start, end - start));
            if (!component) {
                return std::nullopt;
            }
            path.push_back(std::move(*component));
        }
        start = end + 1;
    }
    return path;
}

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

RegistryText::RegistryText(std::string content) {
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        end = end == std::string::npos ? content.size() : end + 1;
        lines_.push_back(content.substr(start, end - start));
        start = end;
    }
    if (!lines_.empty()) {
        validHeader_ = withoutLineEnd(lines_[0]) == kHeaderLine;
        if (lineEndOf(lines_[0]) == "\r\n") {
            eol_ = "\r\n";
        }
    }
    index();
}

RegistryText RegistryText::newUserFile() {
    return RegistryText(std::string(kNewUserFileHeader));
}

void RegistryText::index() {
    sections_.clear();
    Section* current = nullptr;
    for (std::size_t i = 1; i < lines_.size(); ++i) {
        const std::string_view text = withoutLineEnd(lines_[i]);
        const std::size_t pos = skipBlanks(text, 0);
        if (pos == text.size() || text[pos] == ';') {
            continue;
        }
        if (text[pos] == '[') {
            Section section;
            section.headerLine = i;
            section.contentEnd = i + 1;
            if (auto path = unescapeText(text, pos + 1, ']')) {
                section.path = KeyPath{};
                std::size_t from = 0;
                const std::u16string& joined = path->text;
                while (from <= joined.size()) {
                    std::size_t to = joined.find(u'\\', from);
                    if (to == std::u16string::npos) {
                        to = joined.size();
                    }
                    if (to > from) {
                        section.path->push_back(joined.substr(from, to - from));
                    }
                    from = to + 1;
                }
            }
            sections_.push_back(std::move(section));
            current = &sections_.back();
            continue;
        }
        if (!current) {
            continue; // preamble: comments and #arch
        }
        if (text[pos] == '@' || text[pos] == '"') {
            if (auto name = parseValueName(text, pos)) {
                std::size_t last = i;
                if (isHexForm(text.substr(name->dataStart))) {
                    while (continues(withoutLineEnd(lines_[last])) && last + 1 < lines_.size()) {
                        ++last;
                    }
                }
                current->values.push_back({std::move(name->name), i, last - i + 1});
                i = last;
            }
        }
        current->contentEnd = i + 1;
    }
}

bool RegistryText::keyExists(const KeyPath& path) const {
    if (path.empty()) {
        return true;
    }
    for (const auto& section : sections_) {
        if (section.path && section.path->size() >= path.size() &&
            keyPathsEqual(KeyPath(section.path->begin(),
                                  section.path->begin() + static_cast<std::ptrdiff_t>(path.size())),
                          path)) {
            return true;
        }
    }
    return false;
}

std::optional<StoredValue> RegistryText::findValue(const KeyPath& path,
                                                   std::u16string_view name) const {
    const ValueEntry* found = nullptr;
    for (const auto& section : sections_) {
        if (!section.path || !keyPathsEqual(*section.path, path)) {
            continue;
        }
        for (const auto& value : section.values) {
            if (namesEqual(value.name, name)) {
                found = &value; // later lines win, as when Wine merges them
            }
        }
    }
    if (!found) {
        return std::nullopt;
    }
    const std::string_view first = withoutLineEnd(lines_[found->firstLine]);
    auto parsedName = parseValueName(first, skipBlanks(first, 0));
    std::vector<std::string_view> pieces{first.substr(parsedName->dataStart)};
    for (std::size_t k = 1; k < found->lineCount; ++k) {
        pieces.push_back(withoutLineEnd(lines_[found->firstLine + k]));
    }
    return parseValueData(pieces);
}

void RegistryText::replaceLines(std::size_t first, std::size_t count,
                                const std::string& replacement) {
    std::vector<std::string> added;
    std::size_t start = 0;
    while (start < replacement.size()) {
        std::size_t end = replacement.find('\n', start);
        end = end == std::string::npos ? replacement.size() : end + 1;
        added.push_back(replacement.substr(start, end - start));
        start = end;
    }
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(first),
                 lines_.begin() + static_cast<std::ptrdiff_t>(first + count));
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(first), added.begin(), added.end());
    index();
}

void RegistryText::stampSection(std::size_t sectionIndex, std::uint64_t fileTime) {
    const Section& section = sections_[sectionIndex];
    const std::size_t header = section.headerLine;
    // Keep the key's name exactly as written; only the number after "]" changes.
    const std::string_view headerText = withoutLineEnd(lines_[header]);
    const std::size_t open = skipBlanks(headerText, 0);
    const auto name = unescapeText(headerText, open + 1, ']');
    const std::string_view headerEnd = lineEndOf(lines_[header]);
    // The unchanged part of the key line, then the number exactly as Wine writes it.
    lines_[header] = std::string(headerText.substr(0, name->end)) + " " +
                     unixSecondsText(fileTime) +
                     std::string(headerEnd.empty() ? std::string_view(eol_) : headerEnd);

    for (std::size_t i = header + 1; i < section.contentEnd; ++i) {
        const std::string_view text = withoutLineEnd(lines_[i]);
        if (text.substr(skipBlanks(text, 0)).starts_with("#time=")) {
            std::string_view end = lineEndOf(lines_[i]);
            lines_[i] = formatTimeOption(fileTime) + std::string(end.empty() ? eol_ : end);
            return;
        }
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(header + 1),
                  formatTimeOption(fileTime) + eol_);
    index();
}

std::size_t RegistryText::insertSection(const KeyPath& path, std::uint64_t fileTime) {
    const std::string block =
        formatKeyLine(path, fileTime) + eol_ + formatTimeOption(fileTime) + eol_;
    // Keep a sorted file sorted: the new key goes before the first key that
    // Wine would write after it, else at the end.
    for (const auto& section : sections_) {
        if (section.path && compareKeyPaths(*section.path, path) > 0) {
            const std::size_t at = section.headerLine;
            replaceLines(at, 0, block + eol_);
            return at;
        }
    }
    if (!lines_.empty() && lineEndOf(lines_.back()).empty()) {
        lines_.back() += eol_;
    }
    if (lines_.empty() || !withoutLineEnd(lines_.back()).empty()) {
        lines_.push_back(eol_);
    }
    const std::size_t at = lines_.size();
    replaceLines(at, 0, block);
    return at;
}

void RegistryText::createKey(const KeyPath& path, std::uint64_t fileTime) {
    if (!keyExists(path)) {
        insertSection(path, fileTime);
    }
}

void RegistryText::setValue(const KeyPath& path, std::u16string_view name, std::uint32_t type,
                            std::string_view data, std::uint64_t fileTime) {
    // The last line that defines the value is the one Wine's merge keeps.
    std::optional<std::size_t> sectionIndex;
    const ValueEntry* existing = nullptr;
    for (std::size_t s = 0; s < sections_.size(); ++s) {
        const Section& section = sections_[s];
        if (!section.path || !keyPathsEqual(*section.path, path)) {
            continue;
        }
        for (const auto& value : section.values) {
            if (namesEqual(value.name, name)) {
                existing = &value;
                sectionIndex = s;
            }
        }
        if (!existing) {
            sectionIndex = s;
        }
    }

    if (existing) {
        // Keep the spelling already in the file; Wine keeps the first one seen anyway.
        const Name spelling = existing->name;
        const std::size_t first = existing->firstLine;
        const std::size_t count = existing->lineCount;
        std::string_view lastEnd = lineEndOf(lines_[first + count - 1]);
        std::string lines = formatValue(spelling, type, data, eol_);
        if (lastEnd.empty()) {
            lines.resize(lines.size() - eol_.size()); // it was the file's last line
        }
        replaceLines(first, count, lines);
        stampSection(*sectionIndex, fileTime);
        return;
    }

    if (!sectionIndex) {
        const std::size_t header = insertSection(path, fileTime);
        for (std::size_t s = 0; s < sections_.size(); ++s) {
            if (sections_[s].headerLine == header) {
                sectionIndex = s;
            }
        }
    }
    const Section& section = sections_[*sectionIndex];
    std::size_t at = section.contentEnd;
    for (const auto& value : section.values) {
        if (compareNames(value.name, name) > 0) {
            at = value.firstLine;
            break;
        }
    }
    if (at == lines_.size() && !lines_.empty() && lineEndOf(lines_.back()).empty()) {
        lines_.back() += eol_;
    }
    const std::size_t keep = *sectionIndex;
    replaceLines(at, 0, formatValue(name, type, data, eol_));
    stampSection(keep, fileTime);
}

std::string RegistryText::content() const {
    std::string out;
    for (const auto& line : lines_) {
        out += line;
    }
    return out;
}

} // namespace tobrel::platform::wine
