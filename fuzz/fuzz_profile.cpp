// Any bytes as a settings file, then one write. Properties: an unchanged
// document gives back its bytes; a refused write changes nothing; an accepted
// one reads back as the value written, and every line of the old file is
// still there byte for byte (only the edited line replaced, or lines added).
#include "fuzz/fuzz_support.h"
#include "platform/profile_file.h"

#include <string>
#include <vector>

using namespace tobrel;

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// What the reader gives for a value handed to the writer.
std::string readBackOf(std::string_view value) {
    value = trimmed(value.substr(0, value.find('\0')));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

// Lines with their ends, as the profile functions split them: CR LF, LF or a
// lone CR ends a line; a last line without end is included.
std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        std::size_t size = text.size();
        if (end != std::string_view::npos) {
            const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
            size = end + (crlf ? 2 : 1);
        }
        lines.push_back(text.substr(0, size));
        text.remove_prefix(size);
    }
    return lines;
}

// The old last line without a line end, given one.
bool endedLater(std::string_view newLine, std::string_view oldLine) {
    if (newLine.substr(0, oldLine.size()) != oldLine) {
        return false;
    }
    const std::string_view added = newLine.substr(oldLine.size());
    return added == "\n" || added == "\r\n" || added == "\r"; // the file's own ending
}

// Every old line is kept in order, each identical or (for a last line
// without end, or the one edited line) changed as allowed.
void requireOldLinesKept(std::string_view before, std::string_view after) {
    const auto oldLines = linesOf(before);
    const auto newLines = linesOf(after);
    fuzz::require(newLines.size() >= oldLines.size(), "a write removes no line");
    std::size_t replaced = 0;
    std::size_t j = 0;
    for (std::size_t i = 0; i < oldLines.size(); ++i, ++j) {
        while (j < newLines.size() && newLines[j] != oldLines[i] &&
               !endedLater(newLines[j], oldLines[i]) && newLines.size() - j > oldLines.size() - i) {
            ++j; // an added line
        }
        fuzz::require(j < newLines.size(), "old lines stay in order");
        if (newLines[j] == oldLines[i]) {
            continue;
        }
        if (i + 1 == oldLines.size() && endedLater(newLines[j], oldLines[i])) {
            continue; // the last line got its line end
        }
        ++replaced;
    }
    fuzz::require(replaced <= 1, "at most the edited line changes");
    fuzz::require(replaced == 0 || newLines.size() == oldLines.size(),
                  "a line is either replaced or lines are added, not both");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    fuzz::Input input(data, size);
    const std::string section(input.piece(12));
    const std::string key(input.piece(12));
    const std::string value(input.piece(24));
    const std::string_view file = input.rest();

    auto document = platform::ProfileDocument::parse(file);
    fuzz::require(document.serialize() == file, "an unchanged document keeps its bytes");
    const auto otherBefore = document.get("FORM", "LASTDIR");

    if (!document.set(section, key, value)) {
        fuzz::require(document.serialize() == file, "a refused write changes nothing");
        return 0;
    }
    const std::string written = document.serialize();
    const bool utf8 = file.substr(0, 3) == "\xEF\xBB\xBF";
    bool plainAscii = true;
    for (const char c : value) {
        plainAscii = plainAscii && static_cast<unsigned char>(c) < 0x80;
    }
    if (!utf8 || plainAscii) {
        fuzz::require(document.get(section, key) == readBackOf(value),
                      "the value reads back as written");
        const auto reread = platform::ProfileDocument::parse(written);
        fuzz::require(reread.get(section, key) == readBackOf(value),
                      "the written file reads back the value");
    }
    requireOldLinesKept(file, written);
    const auto reread = platform::ProfileDocument::parse(written);
    if (readBackOf(section) != "FORM" || readBackOf(key) != "LASTDIR") {
        // Names fold case: only an exact other name is certain to differ.
        std::string s = std::string(trimmed(section)), k = std::string(trimmed(key));
        for (auto* name : {&s, &k}) {
            for (auto& c : *name) {
                c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
            }
        }
        if (s != "FORM" || k != "LASTDIR") {
            fuzz::require(reread.get("FORM", "LASTDIR") == otherBefore,
                          "another value stays as it was");
        }
    }
    return 0;
}
