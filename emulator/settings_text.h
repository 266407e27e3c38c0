#pragma once
// Editing other programs' settings files in place: one value changes, every
// other byte stays as it was. Two syntaxes:
// - lines of "Key = value", optionally grouped under "[Section]" headers, with
//   ";" and "#" comment lines (DuckStation's settings.ini, PCSX-R's pcsxr.cfg,
//   ePSXe's epsxerc);
// - JSON (PCSX-Redux's pcsx.json), where one member of a nested object is
//   replaced or inserted and the document must stay valid.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tobrel::emulator {

struct LineSyntax {
    bool sections = true;       // "[Section]" headers group the keys
    bool caseSensitive = false; // how key and section names compare
};

// The value of key in section (empty section: the lines before any header, or
// the whole file without sections). With the key given more than once, the
// last one; nothing when it is not there.
std::optional<std::string> readLineSetting(std::string_view text, const LineSyntax& syntax,
                                           std::string_view section, std::string_view key);

// text with key's value set in section: every line of the key there gets the
// new value after its "=" and the spacing that followed it; a missing key is
// added after the section's last setting; a missing section is appended at the
// end. Lines are ended as the file's first line is (LF when it has none). A
// UTF-8 byte order mark stays. Nothing when value cannot be held on one line
// (a line break, or spaces at either end that the readers would drop).
std::optional<std::string> writeLineSetting(std::string_view text, const LineSyntax& syntax,
                                            std::string_view section, std::string_view key,
                                            std::string_view value);

// A JSON member reached from the top-level object through nested objects,
// e.g. {"emulator", "Mcd1"}.
using JsonPath = std::vector<std::string_view>;

// True when text is one JSON value (an optional UTF-8 byte order mark and
// white space around it allowed).
bool isValidJson(std::string_view text);

// The raw JSON text of the member's value (e.g. "\"a.mcd\"", "true"); nothing
// when the document is not valid, or the member or one of its parents is
// missing or not an object. A repeated name: the last one, as readers keep.
std::optional<std::string> readJsonRaw(std::string_view text, const JsonPath& path);
// The member as a string or a boolean; nothing when it is missing or of another type.
std::optional<std::string> readJsonString(std::string_view text, const JsonPath& path);
std::optional<bool> readJsonBool(std::string_view text, const JsonPath& path);

// text with the member's value replaced by rawValue (valid JSON text), or,
// when missing, the member inserted at the end of its object (and missing
// parent objects created). The rest of the document is kept byte for byte.
// Nothing when the document is not valid JSON or a parent is not an object.
std::optional<std::string> writeJsonRaw(std::string_view text, const JsonPath& path,
                                        std::string_view rawValue);

// A JSON string literal for UTF-8 text; nothing when text is not valid UTF-8.
std::optional<std::string> jsonQuote(std::string_view utf8);

} // namespace tobrel::emulator
