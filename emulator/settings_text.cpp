#include "emulator/settings_text.h"

#include "platform/encoding.h"

#include <cstddef>

namespace tobrel::emulator {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b, bool caseSensitive) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (caseSensitive ? a[i] != b[i] : lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// ---- "Key = value" lines -------------------------------------------------

enum class LineKind { Blank, Comment, Section, Setting, Other };

struct Line {
    std::size_t start = 0; // first byte of the line (past a byte order mark)
    std::size_t end = 0;   // end of its content, before the line break
    std::size_t next = 0;  // start of the next line
    LineKind kind = LineKind::Other;
    std::string_view name;      // section or key name
    std::size_t valueStart = 0; // a setting's value: [valueStart, end)
};

std::vector<Line> splitLines(std::string_view text, const LineSyntax& syntax) {
    std::vector<Line> lines;
    std::size_t pos = text.starts_with(kBom) ? kBom.size() : 0;
    while (pos < text.size()) {
        Line line;
        line.start = pos;
        const auto newline = text.find('\n', pos);
        line.next = newline == std::string_view::npos ? text.size() : newline + 1;
        line.end = newline == std::string_view::npos ? text.size() : newline;
        if (line.end > pos && text[line.end - 1] == '\r') {
            --line.end;
        }
        const auto content = text.substr(pos, line.end - pos);
        const auto trimmed = trim(content);
        if (trimmed.empty()) {
            line.kind = LineKind::Blank;
        } else if (trimmed.front() == ';' || trimmed.front() == '#') {
            line.kind = LineKind::Comment;
        } else if (syntax.sections && trimmed.front() == '[' &&
                   trimmed.find(']') != std::string_view::npos) {
            line.kind = LineKind::Section;
            line.name = trim(trimmed.substr(1, trimmed.find(']') - 1));
        } else if (const auto equals = content.find('='); equals != std::string_view::npos) {
            line.kind = LineKind::Setting;
            line.name = trim(content.substr(0, equals));
            line.valueStart = pos + equals + 1;
            while (line.valueStart < line.end && isBlank(text[line.valueStart])) {
                ++line.valueStart;
            }
        }
        lines.push_back(line);
        pos = line.next;
    }
    return lines;
}

std::string_view lineBreakOf(std::string_view text) {
    const auto newline = text.find('\n');
    if (newline != std::string_view::npos && newline > 0 && text[newline - 1] == '\r') {
        return "\r\n";
    }
    return "\n";
}

// ---- JSON ------------------------------------------------------------------

constexpr int kMaxJsonDepth = 512;
constexpr std::size_t npos = std::string_view::npos;

class JsonScanner {
public:
    explicit JsonScanner(std::string_view text) : t_(text) {}

    std::size_t skipSpace(std::size_t p) const {
        while (p < t_.size() && (t_[p] == ' ' || t_[p] == '\t' || t_[p] == '\n' || t_[p] == '\r')) {
            ++p;
        }
        return p;
    }

    // The position after the string starting at p, npos when it is malformed.
    // decoded, when given, receives its text.
    std::size_t string(std::size_t p, std::string* decoded = nullptr) const {
        if (p >= t_.size() || t_[p] != '"') {
            return npos;
        }
        ++p;
        while (p < t_.size()) {
            const auto c = static_cast<unsigned char>(t_[p]);
            if (c == '"') {
                return p + 1;
            }
            if (c < 0x20) {
                return npos;
            }
            if (c != '\\') {
                if (decoded) {
                    decoded->push_back(static_cast<char>(c));
                }
                ++p;
                continue;
            }
            if (++p >= t_.size()) {
                return npos;
            }
            const char e = t_[p];
            if (e == 'u') {
                char32_t unit = 0;
                if (!hex4(p + 1, unit)) {
                    return npos;
                }
                p += 5;
                if (unit >= 0xD800 && unit <= 0xDBFF && t_.substr(p, 2) == "\\u") {
                    char32_t low = 0;
                    if (hex4(p + 2, low) && low >= 0xDC00 && low <= 0xDFFF) {
                        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                        p += 6;
                    }
                }
                if (decoded) {
                    appendUtf8(*decoded, unit);
                }
                continue;
            }
            static constexpr std::string_view escapes = "\"\\/bfnrt";
            static constexpr std::string_view meanings = "\"\\/\b\f\n\r\t";
            const auto which = escapes.find(e);
            if (which == npos) {
                return npos;
            }
            if (decoded) {
                decoded->push_back(meanings[which]);
            }
            ++p;
        }
        return npos;
    }

    // The position after the value starting at p (white space not included).
    std::size_t value(std::size_t p, int depth = 0) const {
        if (p >= t_.size() || depth > kMaxJsonDepth) {
            return npos;
        }
        switch (t_[p]) {
        case '{':
        case '[': {
            const bool object = t_[p] == '{';
            const char close = object ? '}' : ']';
            p = skipSpace(p + 1);
            if (p < t_.size() && t_[p] == close) {
                return p + 1;
            }
            while (true) {
                if (object) {
                    p = string(p);
                    if (p == npos) {
                        return npos;
                    }
                    p = skipSpace(p);
                    if (p >= t_.size() || t_[p] != ':') {
                        return npos;
                    }
                    p = skipSpace(p + 1);
                }
                p = value(p, depth + 1);
                if (p == npos) {
                    return npos;
                }
                p = skipSpace(p);
                if (p < t_.size() && t_[p] == ',') {
                    p = skipSpace(p + 1);
                    continue;
                }
                return p < t_.size() && t_[p] == close ? p + 1 : npos;
            }
        }
        case '"':
            return string(p);
        case 't':
            return t_.substr(p, 4) == "true" ? p + 4 : npos;
        case 'f':
            return t_.substr(p, 5) == "false" ? p + 5 : npos;
        case 'n':
            return t_.substr(p, 4) == "null" ? p + 4 : npos;
        default:
            return number(p);
        }
    }

    // One member of an object, scanned by members().
    struct Member {
        std::string name;
        std::size_t nameStart = 0;
        std::size_t valueStart = 0;
        std::size_t valueEnd = 0;
    };

    // The members of the object whose "{" is at p, and the position of its "}".
    bool members(std::size_t p, std::vector<Member>& out, std::size_t& close) const {
        if (p >= t_.size() || t_[p] != '{') {
            return false;
        }
        p = skipSpace(p + 1);
        if (p < t_.size() && t_[p] == '}') {
            close = p;
            return true;
        }
        while (true) {
            Member member;
            member.nameStart = p;
            p = string(p, &member.name);
            if (p == npos) {
                return false;
            }
            p = skipSpace(p);
            if (p >= t_.size() || t_[p] != ':') {
                return false;
            }
            member.valueStart = skipSpace(p + 1);
            member.valueEnd = value(member.valueStart, 1);
            if (member.valueEnd == npos) {
                return false;
            }
            out.push_back(std::move(member));
            p = skipSpace(out.back().valueEnd);
            if (p < t_.size() && t_[p] == ',') {
                p = skipSpace(p + 1);
                continue;
            }
            if (p < t_.size() && t_[p] == '}') {
                close = p;
                return true;
            }
            return false;
        }
    }

private:
    bool hex4(std::size_t p, char32_t& unit) const {
        if (p + 4 > t_.size()) {
            return false;
        }
        unit = 0;
        for (std::size_t i = p; i < p + 4; ++i) {
            const char c = t_[i];
            int digit = -1;
            if (c >= '0' && c <= '9') {
                digit = c - '0';
            } else if (c >= 'a' && c <= 'f') {
                digit = c - 'a' + 10;
            } else if (c >= 'A' && c <= 'F') {
                digit = c - 'A' + 10;
            }
            if (digit < 0) {
                return false;
            }
            unit = unit * 16 + static_cast<char32_t>(digit);
        }
        return true;
    }

    static void appendUtf8(std::string& out, char32_t c) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }

    std::size_t number(std::size_t p) const {
        const std::size_t start = p;
        auto digits = [&] {
            const std::size_t from = p;
            while (p < t_.size() && t_[p] >= '0' && t_[p] <= '9') {
                ++p;
            }
            return p - from;
        };
        if (p < t_.size() && t_[p] == '-') {
            ++p;
        }
        if (p < t_.size() && t_[p] == '0') {
            ++p;
        } else if (digits() == 0) {
            return npos;
        }
        if (p < t_.size() && t_[p] == '.') {
            ++p;
            if (digits() == 0) {
                return npos;
            }
        }
        if (p < t_.size() && (t_[p] == 'e' || t_[p] == 'E')) {
            ++p;
            if (p < t_.size() && (t_[p] == '+' || t_[p] == '-')) {
                ++p;
            }
            if (digits() == 0) {
                return npos;
            }
        }
        return p > start ? p : npos;
    }

    std::string_view t_;
};

bool isValidUtf8(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length = 1;
        if (!platform::decodeUtf8At(text, pos, length)) {
            return false;
        }
        pos += length;
    }
    return true;
}

std::size_t jsonRoot(std::string_view text) {
    const JsonScanner scan(text);
    return scan.skipSpace(text.starts_with(kBom) ? kBom.size() : 0);
}

// The last member named name in the object at objectStart.
struct MemberSearch {
    bool ok = false;
    std::optional<JsonScanner::Member> found;
    std::optional<JsonScanner::Member> last;
    std::size_t close = 0;
};

MemberSearch findMember(std::string_view text, std::size_t objectStart, std::string_view name) {
    MemberSearch search;
    std::vector<JsonScanner::Member> members;
    if (!JsonScanner(text).members(objectStart, members, search.close)) {
        return search;
    }
    search.ok = true;
    for (const auto& member : members) {
        if (member.name == name) {
            search.found = member;
        }
    }
    if (!members.empty()) {
        search.last = members.back();
    }
    return search;
}

// A new member "name": value for the object at objectStart, placed after its
// last member on a line of its own when that member has one.
std::string insertMember(std::string_view text, std::size_t objectStart, const MemberSearch& search,
                         std::string_view name, std::string_view rawValue) {
    std::string member = *jsonQuote(name) + ": " + std::string(rawValue);
    std::string out(text);
    if (!search.last) {
        out.insert(objectStart + 1, member);
        return out;
    }
    std::string separator = " ";
    const auto lineStart = text.rfind('\n', search.last->nameStart);
    if (lineStart != npos) {
        const auto indent = text.substr(lineStart + 1, search.last->nameStart - lineStart - 1);
        if (trim(indent).empty()) {
            separator = std::string(lineBreakOf(text)) + std::string(indent);
        }
    }
    out.insert(search.last->valueEnd, "," + separator + member);
    return out;
}

} // namespace

std::optional<std::string> readLineSetting(std::string_view text, const LineSyntax& syntax,
                                           std::string_view section, std::string_view key) {
    std::optional<std::string> value;
    bool inSection = section.empty();
    for (const auto& line : splitLines(text, syntax)) {
        if (line.kind == LineKind::Section) {
            inSection = sameName(line.name, section, syntax.caseSensitive);
        } else if (inSection && line.kind == LineKind::Setting &&
                   sameName(line.name, key, syntax.caseSensitive)) {
            value = std::string(trim(text.substr(line.valueStart, line.end - line.valueStart)));
        }
    }
    return value;
}

std::optional<std::string> writeLineSetting(std::string_view text, const LineSyntax& syntax,
                                            std::string_view section, std::string_view key,
                                            std::string_view value) {
    if (value.find_first_of("\r\n") != npos || trim(value) != value) {
        return std::nullopt;
    }
    const auto lines = splitLines(text, syntax);
    const auto lineBreak = lineBreakOf(text);
    std::vector<const Line*> matches;
    const Line* anchor = nullptr; // the line a new key goes after
    bool sectionFound = section.empty();
    bool inSection = section.empty();
    for (const auto& line : lines) {
        if (line.kind == LineKind::Section) {
            inSection = sameName(line.name, section, syntax.caseSensitive);
            if (inSection) {
                sectionFound = true;
                anchor = &line;
            }
        } else if (inSection && line.kind == LineKind::Setting) {
            anchor = &line;
            if (sameName(line.name, key, syntax.caseSensitive)) {
                matches.push_back(&line);
            }
        }
    }

    std::string out(text);
    if (!matches.empty()) {
        for (auto it = matches.rbegin(); it != matches.rend(); ++it) {
            out.replace((*it)->valueStart, (*it)->end - (*it)->valueStart, value);
        }
        return out;
    }
    const std::string setting = std::string(key) + " = " + std::string(value);
    if (sectionFound) {
        std::size_t at = text.starts_with(kBom) ? kBom.size() : 0;
        std::string insertion = setting + std::string(lineBreak);
        if (anchor) {
            at = anchor->next;
            if (anchor->next == anchor->end) { // the last line, without a break
                insertion = std::string(lineBreak) + setting;
            }
        }
        out.insert(at, insertion);
        return out;
    }
    if (!lines.empty()) {
        if (!text.ends_with('\n')) {
            out += lineBreak;
        }
        if (lines.back().kind != LineKind::Blank) {
            out += lineBreak;
        }
    }
    out += "[" + std::string(section) + "]" + std::string(lineBreak) + setting +
           std::string(lineBreak);
    return out;
}

bool isValidJson(std::string_view text) {
    if (!isValidUtf8(text)) {
        return false;
    }
    const JsonScanner scan(text);
    const auto end = scan.value(jsonRoot(text));
    return end != npos && scan.skipSpace(end) == text.size();
}

std::optional<std::string> readJsonRaw(std::string_view text, const JsonPath& path) {
    if (path.empty() || !isValidJson(text)) {
        return std::nullopt;
    }
    std::size_t object = jsonRoot(text);
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto search = findMember(text, object, path[i]);
        if (!search.ok || !search.found) {
            return std::nullopt;
        }
        if (i + 1 == path.size()) {
            return std::string(text.substr(search.found->valueStart,
                                           search.found->valueEnd - search.found->valueStart));
        }
        object = search.found->valueStart;
    }
    return std::nullopt;
}

std::optional<std::string> readJsonString(std::string_view text, const JsonPath& path) {
    const auto raw = readJsonRaw(text, path);
    std::string decoded;
    if (!raw || JsonScanner(*raw).string(0, &decoded) != raw->size()) {
        return std::nullopt;
    }
    return decoded;
}

std::optional<bool> readJsonBool(std::string_view text, const JsonPath& path) {
    const auto raw = readJsonRaw(text, path);
    if (raw == "true") {
        return true;
    }
    if (raw == "false") {
        return false;
    }
    return std::nullopt;
}

std::optional<std::string> writeJsonRaw(std::string_view text, const JsonPath& path,
                                        std::string_view rawValue) {
    if (path.empty() || !isValidJson(text) || !isValidJson(rawValue) ||
        rawValue.starts_with(kBom)) {
        return std::nullopt;
    }
    std::size_t object = jsonRoot(text);
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto search = findMember(text, object, path[i]);
        if (!search.ok) {
            return std::nullopt; // not an object
        }
        if (!search.found) {
            // The member and whatever objects lead to it, built inside out.
            std::string value(rawValue);
            for (std::size_t j = path.size() - 1; j > i; --j) {
                value = "{" + *jsonQuote(path[j]) + ": " + value + "}";
            }
            auto out = insertMember(text, object, search, path[i], value);
            return isValidJson(out) ? std::optional(std::move(out)) : std::nullopt;
        }
        if (i + 1 == path.size()) {
            std::string out(text);
            out.replace(search.found->valueStart, search.found->valueEnd - search.found->valueStart,
                        rawValue);
            return isValidJson(out) ? std::optional(std::move(out)) : std::nullopt;
        }
        object = search.found->valueStart;
    }
    return std::nullopt;
}

std::optional<std::string> jsonQuote(std::string_view utf8) {
    if (!isValidUtf8(utf8)) {
        return std::nullopt;
    }
    std::string out = "\"";
    for (const char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                static constexpr char hex[] = "0123456789abcdef";
                out += "\\u00";
                out += hex[(c >> 4) & 0xF];
                out += hex[c & 0xF];
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

} // namespace tobrel::emulator
