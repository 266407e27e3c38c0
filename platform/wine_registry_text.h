#pragma once
// Wine's registry file format (user.reg) as text: parsing, value lookup and
// minimal edits. An edit rewrites only the lines of the value it changes and
// the timestamp lines of that value's key; every other byte stays as read, so
// comments, unknown options (#class, #link) and values of types the program
// never touches survive exactly.

#include "platform/registry_types.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tobrel::platform::wine {

// Key and value names as Wine keeps them: UTF-16 code units.
using Name = std::u16string;
// A key path relative to the root, one name per component.
using KeyPath = std::vector<Name>;

inline constexpr std::string_view kHeaderLine = "WINE REGISTRY Version 2";

// The first lines of a user.reg written from scratch (no #arch line: Wine
// accepts the file for either prefix type without it).
inline constexpr std::string_view kNewUserFileHeader =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n";

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
inline constexpr std::uint64_t kFileTimeUnixEpoch = 116444736000000000ULL;
inline constexpr std::uint64_t kFileTimeTicksPerSecond = 10000000ULL;

// UTF-8 to UTF-16; nothing when the text is not valid UTF-8.
std::optional<std::u16string> utf8ToUtf16(std::string_view utf8);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view utf16);

// Names compare without regard to case, unit by unit after lowering.
char16_t lowerCaseUnit(char16_t unit);
bool namesEqual(std::u16string_view a, std::u16string_view b);
// Wine's sort order for keys and values: lowered units, then length.
int compareNames(std::u16string_view a, std::u16string_view b);
bool keyPathsEqual(const KeyPath& a, const KeyPath& b);

// Splits "Software\bleem\bleem!\1.0\CARD" at "\" (empty components are
// skipped); nothing when a component is not valid UTF-8.
std::optional<KeyPath> splitKeyPath(std::string_view utf8Path);

// Escapes text the way Wine writes it: "\" and the delimiters get a backslash,
// control characters their C escape or octal, everything above 0x7F "\x" and
// lowercase hex, padded to four digits only when an ASCII hex digit follows.
std::string escapeText(std::u16string_view text, std::string_view delimiters);

struct UnescapedText {
    std::u16string text;
    std::size_t end = 0; // index just past the closing delimiter
};
// Reads escaped text from line[start] up to the unescaped closing delimiter,
// as Wine's reader does (raw UTF-8 decoded, invalid bytes dropped, unknown
// escapes taken literally). Nothing when the closing delimiter is missing.
std::optional<UnescapedText> unescapeText(std::string_view line, std::size_t start, char closing);

// The lines of one value as Wine writes them, each ending with eol.
std::string formatValue(std::u16string_view name, std::uint32_t type, std::string_view data,
                        std::string_view eol);
std::string formatKeyLine(const KeyPath& path, std::uint64_t fileTime);
std::string formatTimeOption(std::uint64_t fileTime);

struct StoredValue {
    std::uint32_t type = kRegNone;
    std::string data; // string types hold UTF-16LE units, as Wine stores them
};

// Parses the lines of one value (a value line and its hex continuation lines)
// as Wine's reader does: data it cannot parse make an empty REG_NONE. Nothing
// when the text is not a value line at all.
struct ParsedValue {
    Name name;
    StoredValue value;
};
std::optional<ParsedValue> parseValue(std::string_view lines);

// One user.reg held as its lines. Names match case-insensitively; where a key
// or value appears more than once, Wine's merge rule applies (the last data wins).
class RegistryText {
public:
    explicit RegistryText(std::string content);
    // An empty file with the header a new user.reg starts with.
    static RegistryText newUserFile();

    // True when line 1 is Wine's header (a trailing CR allowed). Anything else
    // (a BOM, another program's file) makes Wine ignore the file; such a file
    // must never be rewritten.
    bool hasWineHeader() const { return validHeader_; }

    bool keyExists(const KeyPath& path) const;
    std::optional<StoredValue> findValue(const KeyPath& path, std::u16string_view name) const;

    // Adds an empty key with its timestamp lines unless the key exists.
    void createKey(const KeyPath& path, std::uint64_t fileTime);
    // Replaces or adds the value; the key is created when missing. The key
    // holding the value gets fresh timestamp lines.
    void setValue(const KeyPath& path, std::u16string_view name, std::uint32_t type,
                  std::string_view data, std::uint64_t fileTime);

    std::string content() const;

private:
    struct ValueEntry {
        Name name;
        std::size_t firstLine = 0;
        std::size_t lineCount = 1;
    };
    struct Section {
        std::optional<KeyPath> path; // nothing when the key line is malformed
        std::size_t headerLine = 0;
        std::size_t contentEnd = 0; // just past its last key, value or option line
        std::vector<ValueEntry> values;
    };

    void index();
    void replaceLines(std::size_t first, std::size_t count, const std::string& replacement);
    void stampSection(std::size_t sectionIndex, std::uint64_t fileTime);
    std::size_t insertSection(const KeyPath& path, std::uint64_t fileTime);

    std::vector<std::string> lines_; // each with its own line ending
    std::vector<Section> sections_;
    std::string eol_ = "\n";
    bool validHeader_ = false;
};

} // namespace tobrel::platform::wine
