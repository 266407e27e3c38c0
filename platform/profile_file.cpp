#include "platform/profile_file.h"

#include "platform/encoding.h"
#include "platform/files.h"

#include <cerrno>

namespace tobrel::platform {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimLeft(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

std::string_view trim(std::string_view text) {
    text = trimLeft(text);
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The functions read a name or a value as a C string: it ends at its first
// NUL, although the line goes on (its '=' and last ']' still count), and the
// blanks before that NUL go as they would at the line's end.
std::string_view untilNul(std::string_view text) {
    return trim(text.substr(0, text.find('\0')));
}

bool isCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool isCp932TrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Bytes of the character at text[index]. In code page 932 a trail byte can look
// like '[', ']', '\\' or a letter, so scanning must step over whole characters.
// In UTF-8 no ASCII byte is ever part of a longer character: bytes will do.
std::size_t characterLength(std::string_view text, std::size_t index, bool utf8) {
    if (!utf8 && index + 1 < text.size() &&
        isCp932LeadByte(static_cast<unsigned char>(text[index])) &&
        isCp932TrailByte(static_cast<unsigned char>(text[index + 1]))) {
        return 2;
    }
    return 1; // also a lead byte without a valid trail byte: it pairs with nothing
}

std::size_t findFirstSingle(std::string_view text, char wanted, bool utf8) {
    for (std::size_t i = 0; i < text.size(); i += characterLength(text, i, utf8)) {
        if (text[i] == wanted) {
            return i;
        }
    }
    return std::string_view::npos;
}

std::size_t findLastSingle(std::string_view text, char wanted, bool utf8) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < text.size(); i += characterLength(text, i, utf8)) {
        if (text[i] == wanted) {
            found = i;
        }
    }
    return found;
}

char foldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Case-insensitive for ASCII letters; double-byte characters must match exactly.
bool namesEqual(std::string_view a, std::string_view b, bool utf8) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size();) {
        std::size_t length = characterLength(a, i, utf8);
        if (length == 1) {
            if (foldAscii(a[i]) != foldAscii(b[i])) {
                return false;
            }
        } else if (a.substr(i, length) != b.substr(i, length)) {
            return false;
        }
        i += length;
    }
    return true;
}

struct ParsedLine {
    // BareName: a line without '=', which Windows takes for a key without a
    // value: it shadows later lines of that key, reads as missing, and a
    // write of that key fills it in.
    enum class Kind { Other, Section, Key, BareName };
    Kind kind = Kind::Other;
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // trimmed, quotes kept (keys only)
};

ParsedLine parseLine(std::string_view text, bool utf8) {
    ParsedLine parsed;
    std::string_view line = trim(text);
    if (line.empty() || line.front() == ';') {
        return parsed;
    }
    if (line.front() == '[') {
        std::size_t close = findLastSingle(line, ']', utf8);
        if (close != std::string_view::npos) {
            parsed.kind = ParsedLine::Kind::Section;
            parsed.name = untilNul(trim(line.substr(1, close - 1)));
            return parsed;
        }
        // A '[' line without ']' is no header; it may still be a key line.
    }
    std::size_t equals = findFirstSingle(line, '=', utf8);
    if (equals == std::string_view::npos) {
        parsed.kind = ParsedLine::Kind::BareName;
        parsed.name = untilNul(line);
        return parsed;
    }
    parsed.kind = ParsedLine::Kind::Key;
    parsed.name = untilNul(line.substr(0, equals));
    parsed.value = untilNul(line.substr(equals + 1));
    return parsed;
}

std::string_view removeQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

bool holdsLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

ProfileDocument ProfileDocument::parse(std::string_view bytes) {
    ProfileDocument document;
    document.utf8_ = bytes.starts_with(kUtf8ByteOrderMark);
    while (!bytes.empty()) {
        // A line ends in CR LF, LF, or a CR alone, as Windows reads them.
        const std::size_t end = bytes.find_first_of("\r\n");
        Line line;
        if (end == std::string_view::npos) {
            line.text = std::string(bytes);
            bytes = {};
        } else {
            const std::size_t endLength = bytes.substr(end, 2) == "\r\n" ? 2 : 1;
            line.text = std::string(bytes.substr(0, end));
            line.ending = std::string(bytes.substr(end, endLength));
            bytes.remove_prefix(end + endLength);
        }
        document.lines_.push_back(std::move(line));
    }
    return document;
}

std::string_view ProfileDocument::lineText(std::size_t index) const {
    std::string_view text = lines_[index].text;
    if (index == 0 && utf8_) {
        text.remove_prefix(kUtf8ByteOrderMark.size());
    }
    return text;
}

std::optional<std::size_t> ProfileDocument::findSection(std::string_view name) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        ParsedLine parsed = parseLine(lineText(i), utf8_);
        if (parsed.kind == ParsedLine::Kind::Section && namesEqual(parsed.name, name, utf8_)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> ProfileDocument::get(std::string_view section,
                                                std::string_view key) const {
    std::string sectionName(trim(section));
    std::string keyName(trim(key));
    if (sectionName.empty() || keyName.empty()) {
        return std::nullopt;
    }
    if (utf8_) {
        sectionName = decodeCp932(sectionName);
        keyName = decodeCp932(keyName);
    }
    auto header = findSection(sectionName);
    if (!header) {
        return std::nullopt;
    }
    for (std::size_t i = *header + 1; i < lines_.size(); ++i) {
        ParsedLine parsed = parseLine(lineText(i), utf8_);
        if (parsed.kind == ParsedLine::Kind::Section) {
            break;
        }
        if (parsed.kind == ParsedLine::Kind::BareName && namesEqual(parsed.name, keyName, utf8_)) {
            return std::nullopt;
        }
        if (parsed.kind == ParsedLine::Kind::Key && namesEqual(parsed.name, keyName, utf8_)) {
            std::string_view value = removeQuotes(parsed.value);
            return utf8_ ? encodeCp932Lossy(value) : std::string(value);
        }
    }
    return std::nullopt;
}

std::string ProfileDocument::newLineEnding() const {
    for (const auto& line : lines_) {
        if (!line.ending.empty()) {
            return line.ending;
        }
    }
    return "\r\n";
}

void ProfileDocument::ensureLineEnding(std::size_t index) {
    if (lines_[index].ending.empty()) {
        lines_[index].ending = newLineEnding();
    }
}

bool ProfileDocument::set(std::string_view section, std::string_view key, std::string_view value) {
    // A value is a C string to the Windows function: it ends at its first NUL.
    value = value.substr(0, value.find('\0'));
    if (holdsLineBreak(section) || holdsLineBreak(key) || holdsLineBreak(value)) {
        return false;
    }
    std::string sectionName(trim(section));
    std::string keyName(trim(key));
    std::string newValue(trimLeft(value));
    if (utf8_) {
        sectionName = decodeCp932(sectionName);
        keyName = decodeCp932(keyName);
        newValue = decodeCp932(newValue);
    }
    if (sectionName.empty() || keyName.empty()) {
        return false;
    }
    // Refuse names that would not read back as themselves (a key with '=' or
    // starting with ';', a name ending in a lone lead byte that swallows the
    // delimiter after it, ...): they would leave lines no lookup finds.
    const std::string headerText = "[" + sectionName + "]";
    const std::string keyText = keyName + "=" + newValue;
    ParsedLine header = parseLine(headerText, utf8_);
    ParsedLine entry = parseLine(keyText, utf8_);
    if (header.kind != ParsedLine::Kind::Section || header.name != sectionName ||
        entry.kind != ParsedLine::Kind::Key || entry.name != keyName || keyName.front() == '[') {
        return false;
    }

    auto headerIndex = findSection(sectionName);
    if (!headerIndex) {
        const std::string ending = newLineEnding();
        if (!lines_.empty()) {
            ensureLineEnding(lines_.size() - 1);
        }
        lines_.push_back({headerText, ending});
        lines_.push_back({keyText, ending});
        return true;
    }
    std::size_t lastKeyLine = *headerIndex;
    for (std::size_t i = *headerIndex + 1; i < lines_.size(); ++i) {
        ParsedLine parsed = parseLine(lineText(i), utf8_);
        if (parsed.kind == ParsedLine::Kind::Section) {
            break;
        }
        if (parsed.kind == ParsedLine::Kind::BareName && namesEqual(parsed.name, keyName, utf8_)) {
            lines_[i].text = std::string(parsed.name) + "=" + newValue;
            return true;
        }
        if (parsed.kind != ParsedLine::Kind::Key) {
            continue;
        }
        if (namesEqual(parsed.name, keyName, utf8_)) {
            if (parsed.value == newValue) {
                return true; // already stored: the line keeps its exact form
            }
            // Keep the key as the file spells it; blanks around '=' go.
            lines_[i].text = std::string(parsed.name) + "=" + newValue;
            return true;
        }
        lastKeyLine = i;
    }
    const std::string ending = newLineEnding();
    ensureLineEnding(lastKeyLine);
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastKeyLine + 1),
                  Line{keyText, ending});
    return true;
}

std::string ProfileDocument::serialize() const {
    std::string bytes;
    for (const auto& line : lines_) {
        bytes += line.text;
        bytes += line.ending;
    }
    return bytes;
}

std::string readProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view defaultText,
                              std::size_t bufferSize) {
    if (bufferSize == 0) {
        return {};
    }
    std::optional<std::string> value;
    if (auto content = readWholeFile(path)) {
        value = ProfileDocument::parse(*content).get(section, key);
    }
    std::string result = value ? std::move(*value) : std::string(defaultText);
    // The caller's buffer holds bufferSize - 1 bytes and a NUL. The cut is made
    // where the bytes end, as the Windows function makes it, even inside a
    // double-byte character.
    if (result.size() > bufferSize - 1) {
        result.resize(bufferSize - 1);
    }
    return result;
}

bool writeProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    ProfileWriteBatch batch(path);
    return batch.set(section, key, value) && batch.commit();
}

ProfileWriteBatch::ProfileWriteBatch(std::string path) : path_(std::move(path)) {
    if (path_.empty()) {
        readable_ = false; // no file to write: never a stray file in the working folder
        return;
    }
    int error = 0;
    if (auto content = readWholeFile(path_, &error)) {
        original_ = std::move(*content);
        document_ = ProfileDocument::parse(original_);
    } else if (error != ENOENT) {
        // Never replace a file that exists but cannot be read: its content would be lost.
        readable_ = false;
    }
}

bool ProfileWriteBatch::set(std::string_view section, std::string_view key,
                            std::string_view value) {
    return readable_ && document_.set(section, key, value);
}

bool ProfileWriteBatch::commit() {
    if (!readable_) {
        return false;
    }
    std::string bytes = document_.serialize();
    if (bytes == original_) {
        return true; // nothing changed: the file is left alone (or not created)
    }
    if (!replaceFileAtomically(path_, bytes)) {
        return false;
    }
    original_ = std::move(bytes);
    return true;
}

} // namespace tobrel::platform
