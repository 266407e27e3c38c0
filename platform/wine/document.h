#pragma once
// Wine's registry file (user.reg) as a document: value lookup and minimal
// edits. An edit rewrites only the lines of the value it changes and the
// timestamp lines of that value's key; every other byte stays as read, so
// comments, unknown options (#class, #link) and values of types the program
// never touches survive exactly.

#include "platform/wine/names.h"
#include "platform/wine/value_lines.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tobrel::platform::wine {

inline constexpr std::string_view kHeaderLine = "WINE REGISTRY Version 2";

// The first lines of a user.reg written from scratch (no #arch line: Wine
// accepts the file for either prefix type without it).
inline constexpr std::string_view kNewUserFileHeader =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n";

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
    // False, with nothing changed, when the file's structure would swallow
    // the new key (a hex value dangling in a "\" at the end).
    bool createKey(const KeyPath& path, std::uint64_t fileTime);
    // Replaces or adds the value; the key is created when missing. The key
    // holding the value gets fresh timestamp lines. A new value goes where a
    // new line starts in the document's own reading, never after a hex line
    // that goes on in the next. False, with nothing changed, when the edited
    // file would not read back with this value as given and every other value
    // as it was.
    bool setValue(const KeyPath& path, std::u16string_view name, std::uint32_t type,
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

    // Every value of every key but one, as read now: what an edit of that
    // one value must leave alone.
    struct ValueReading {
        std::optional<KeyPath> key;
        Name name;
        StoredValue value;
        bool operator==(const ValueReading&) const = default;
    };
    std::vector<ValueReading> readingExcept(const KeyPath& path, std::u16string_view name) const;
    StoredValue valueAt(const ValueEntry& entry) const;
    void editValue(const KeyPath& path, std::u16string_view name, std::uint32_t type,
                   std::string_view data, std::uint64_t fileTime);

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
