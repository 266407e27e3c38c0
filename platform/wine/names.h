#pragma once
// Key and value names as Wine keeps them: UTF-16 units that compare without
// regard to case, and key paths made of them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tobrel::platform::wine {

using Name = std::u16string;
// A key path relative to the root, one name per component.
using KeyPath = std::vector<Name>;

// Names compare without regard to case, unit by unit after lowering.
char16_t lowerCaseUnit(char16_t unit);
bool namesEqual(std::u16string_view a, std::u16string_view b);
// Wine's sort order for keys and values: lowered units, then length.
int compareNames(std::u16string_view a, std::u16string_view b);
bool keyPathsEqual(const KeyPath& a, const KeyPath& b);
// Component by component, then the shorter path first.
int compareKeyPaths(const KeyPath& a, const KeyPath& b);

// Splits "Software\bleem\bleem!\1.0\CARD" at "\" (empty components are
// skipped); nothing when a component is not valid UTF-8.
std::optional<KeyPath> splitKeyPath(std::string_view utf8Path);

} // namespace tobrel::platform::wine
