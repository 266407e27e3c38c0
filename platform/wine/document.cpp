#include "platform/wine/document.h"

#include "platform/wine/escaping.h"
#include "platform/wine/line_text.h"

namespace tobrel::platform::wine {

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
                    while (continuesOnNextLine(withoutLineEnd(lines_[last])) &&
                           last + 1 < lines_.size()) {
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
    return valueAt(*found);
}

StoredValue RegistryText::valueAt(const ValueEntry& entry) const {
    const std::string_view first = withoutLineEnd(lines_[entry.firstLine]);
    auto parsedName = parseValueName(first, skipBlanks(first, 0));
    std::vector<std::string_view> pieces{first.substr(parsedName->dataStart)};
    for (std::size_t k = 1; k < entry.lineCount; ++k) {
        pieces.push_back(withoutLineEnd(lines_[entry.firstLine + k]));
    }
    return parseValueData(pieces);
}

std::vector<RegistryText::ValueReading>
RegistryText::readingExcept(const KeyPath& path, std::u16string_view name) const {
    std::vector<ValueReading> reading;
    for (const auto& section : sections_) {
        const bool sameKey = section.path && keyPathsEqual(*section.path, path);
        if (!sameKey) {
            reading.push_back({section.path, u"", {}}); // the key itself
        }
        for (const auto& value : section.values) {
            if (!sameKey || !namesEqual(value.name, name)) {
                reading.push_back({section.path, value.name, valueAt(value)});
            }
        }
    }
    return reading;
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

bool RegistryText::createKey(const KeyPath& path, std::uint64_t fileTime) {
    if (keyExists(path)) {
        return true;
    }
    const auto before = lines_;
    insertSection(path, fileTime);
    if (keyExists(path)) {
        return true;
    }
    lines_ = before;
    index();
    return false;
}

bool RegistryText::setValue(const KeyPath& path, std::u16string_view name, std::uint32_t type,
                            std::string_view data, std::uint64_t fileTime) {
    const auto before = lines_;
    const auto othersBefore = readingExcept(path, name);
    editValue(path, name, type, data, fileTime);
    // Read back as Wine will: the value as given, everything else as it was.
    if (findValue(path, name) == StoredValue{type, std::string(data)} &&
        readingExcept(path, name) == othersBefore) {
        return true;
    }
    lines_ = before;
    index();
    return false;
}

void RegistryText::editValue(const KeyPath& path, std::u16string_view name, std::uint32_t type,
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
    for (const auto& value : section.values) {
        // A line placed after a hex line ending in "\" would be read as its
        // continuation: the new value goes before that value instead.
        if (value.firstLine + value.lineCount == at &&
            continuesOnNextLine(withoutLineEnd(lines_[at - 1]))) {
            at = value.firstLine;
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
