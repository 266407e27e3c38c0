#pragma once
// The lines of one value, and a key's own lines, as Wine reads and writes them.

#include "platform/registry_types.h"
#include "platform/wine/names.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tobrel::platform::wine {

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
inline constexpr std::uint64_t kFileTimeUnixEpoch = 116444736000000000ULL;
inline constexpr std::uint64_t kFileTimeTicksPerSecond = 10000000ULL;

// The lines of one value as Wine writes them, each ending with eol.
std::string formatValue(std::u16string_view name, std::uint32_t type, std::string_view data,
                        std::string_view eol);
std::string formatKeyLine(const KeyPath& path, std::uint64_t fileTime);
std::string formatTimeOption(std::uint64_t fileTime);

struct StoredValue {
    std::uint32_t type = kRegNone;
    std::string data; // string types hold UTF-16LE units, as Wine stores them
    bool operator==(const StoredValue&) const = default;
};

// Parses the lines of one value (a value line and its hex continuation lines)
// as Wine's reader does: data it cannot parse make an empty REG_NONE. Nothing
// when the text is not a value line at all.
struct ParsedValue {
    Name name;
    StoredValue value;
};
std::optional<ParsedValue> parseValue(std::string_view lines);

// The number after a key's "]": its last write in whole seconds since 1970.
std::string unixSecondsText(std::uint64_t fileTime);

struct ParsedName {
    Name name;
    std::size_t dataStart = 0; // where the data after "=" begin
};
// "name"= or @= at text[pos] (after leading blanks); nothing when there is none.
std::optional<ParsedName> parseValueName(std::string_view text, std::size_t pos);

// The data of one value (after "="), its continuation lines as further pieces.
StoredValue parseValueData(const std::vector<std::string_view>& pieces);

// Data in hex form, the only form that may go on over several lines.
bool isHexForm(std::string_view data);
// A hex line goes on in the next line when it ends with "\".
bool continuesOnNextLine(std::string_view line);

} // namespace tobrel::platform::wine
