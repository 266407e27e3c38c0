#pragma once
// Reader and writer of the Windows profile (INI) format, behaving like
// GetPrivateProfileStringA and WritePrivateProfileStringA on code page 932
// bytes, but keeping every line that a write does not change byte for byte.
//
// Reading rules (as the Windows functions apply them):
// - section and key names match without regard to ASCII letter case; the
//   names are compared character by character, so the trail byte of a
//   double-byte character is never folded;
// - white space (blank, tab, CR, VT, FF) around a line, around the key, around
//   the value and inside the brackets of a section header is dropped;
// - a section header is a line starting with '[': its name runs up to the
//   last ']' of the line; a '[' line without ']' is no header;
// - a line starting with ';' is a comment; a line without '=' is a key
//   without a value: it reads as missing and hides later lines of that key,
//   and a write of that key gives it its value;
// - the first of two equal keys in a section wins, and of two equal section
//   headers only the first section is searched;
// - a name or value ends at its first NUL byte (`K=ab<NUL>cd` reads "ab",
//   `[S<NUL>T]` is section "S"), blanks before the NUL dropped; the line's
//   '=' and last ']' are still looked for in the whole line;
// - one matching pair of '"' or '\'' around the whole value is removed;
// - lines end in CR LF, LF or a CR alone; a last line without a line end is
//   read too;
// - a file starting with a UTF-8 byte-order mark is read as UTF-8: its values
//   arrive converted to code page 932 (characters without a form there become
//   '?'), and values written into it are stored as UTF-8.
//
// Writing rules:
// - an existing key (first match in the first matching section) is updated in
//   place as `<key as spelled in the file>=<value>`, keeping that line's line
//   end; when the stored value already equals the new one (as read, so up to
//   a NUL), nothing changes and the line keeps every byte;
// - a new key goes directly after the last key line of its section (or after
//   the header when the section has none), so blank lines, comments and odd
//   lines at the section's end stay attached to what follows them;
// - a new section is appended at the end of the file as `[Section]` then
//   `KEY=value`;
// - lines the writer adds end like the first line of the file (CR LF when the
//   file has no line end yet); a last line without a line end gets one when a
//   line has to follow it;
// - leading white space of a value is dropped; a value ends at its first NUL
//   (as a C string does); a value or name holding CR or LF is refused, since
//   it would split into lines of its own.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tobrel::platform {

// A profile file held in memory as its original lines.
class ProfileDocument {
public:
    ProfileDocument() = default;

    // Splits bytes into lines; never fails.
    static ProfileDocument parse(std::string_view bytes);

    // The value of key in section, unquoted, as code page 932 bytes; nothing
    // when the section or key is missing. An empty value (`KEY=`) is empty, not nothing.
    std::optional<std::string> get(std::string_view section, std::string_view key) const;

    // Stores value (code page 932 bytes) under key in section, creating both as
    // needed. False, with the document unchanged, when the section or key name
    // is empty or could not be read back as written (a key holding '=' or
    // starting with ';' or '['), or when a name or the value holds CR or LF.
    bool set(std::string_view section, std::string_view key, std::string_view value);

    // The file's bytes: untouched lines exactly as parsed.
    std::string serialize() const;

private:
    struct Line {
        std::string text;   // without its line end
        std::string ending; // "\r\n", "\n", "\r", or "" for a last line without one
    };

    std::optional<std::size_t> findSection(std::string_view name) const;
    std::string_view lineText(std::size_t index) const;
    std::string newLineEnding() const;
    void ensureLineEnding(std::size_t index);

    std::vector<Line> lines_;
    bool utf8_ = false; // the file starts with a UTF-8 byte-order mark
};

// Like GetPrivateProfileStringA: the value of key in section of the file at
// path, or defaultText when the file, section or key is missing or the file
// cannot be read. The result holds at most bufferSize - 1 bytes (none for a
// size of 0): it is cut exactly there, even inside a double-byte character,
// whose lone lead byte a decoder then turns into a replacement character.
std::string readProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view defaultText,
                              std::size_t bufferSize);

// Like WritePrivateProfileStringA with a non-null value: stores value under key
// in section of the file at path, creating the file and section as needed.
// The file is replaced atomically, so a failure (missing or read-only folder,
// full disk, unreadable existing file) leaves the old file whole and returns false.
bool writeProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

// Many writes to one file with one atomic rewrite: the file is read once when
// the batch is made, each set() applies like writeProfileString would, and
// commit() saves the result. The file ends byte-identical to the same writes
// made one by one with writeProfileString.
class ProfileWriteBatch {
public:
    explicit ProfileWriteBatch(std::string path);

    // False when the value or names are refused (see ProfileDocument::set) or
    // when the existing file could not be read; that write is then left out.
    bool set(std::string_view section, std::string_view key, std::string_view value);

    // Writes the file when anything changed. False when the existing file could
    // not be read or the file could not be replaced; the old file then stays whole.
    bool commit();

private:
    std::string path_;
    std::string original_;
    bool readable_ = true;
    ProfileDocument document_;
};

} // namespace tobrel::platform
