#pragma once
// The settings file's section and keys, and the reading of their values.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tobrel::settings {

// Every key of the program lives in this one section.
inline constexpr std::string_view kSectionForm = "FORM";

inline constexpr std::string_view kKeyPosTop = "POSTOP";
inline constexpr std::string_view kKeyPosLeft = "POSLEFT";
inline constexpr std::string_view kKeyWaku = "WAKU";
inline constexpr std::string_view kKeyLastDir = "LASTDIR";
inline constexpr std::string_view kKeyConvType = "CONVTYPE";
inline constexpr std::string_view kKeyLastTab = "LASTTAB";
inline constexpr std::string_view kKeyCtrlTab = "CTRLTAB";
inline constexpr std::array<std::string_view, 6> kKeyLaunchPath = {
    "LAUNCHPATH0", "LAUNCHPATH1", "LAUNCHPATH2", "LAUNCHPATH3", "LAUNCHPATH4", "LAUNCHPATH5"};
inline constexpr std::string_view kKeyIconPath = "ICONPATH";
inline constexpr std::string_view kKeyCodePath = "CODEPATH";

// Highest recognised values of the choice keys.
inline constexpr int kConvTypeCount = 6; // "0" to "5"
inline constexpr int kLastTabCount = 5;  // "0" to "4"
inline constexpr int kCtrlTabCount = 2;  // "0" and "1"

// A whole decimal integer with an optional sign ("600", "-150", "+7"). Nothing
// for empty or non-numeric text, fractions, blanks, or values outside int: a
// hand-edited POSTOP, POSLEFT or WAKU that is not a number reads as missing.
std::optional<int> parseIniInteger(std::string_view text);

// WAKU as read at start: 0 when missing or not a number. The window is kept
// on the screen exactly when this is 1; the number is written back at exit.
int wakuFromText(std::string_view text);

// The choice written as exactly one digit "0" up to count - 1; anything else
// (a blank, a leading zero, a sign, a decimal point, empty) gives 0.
int choiceFromText(std::string_view text, int count);

inline int convTypeFromText(std::string_view text) {
    return choiceFromText(text, kConvTypeCount);
}
inline int lastTabFromText(std::string_view text) {
    return choiceFromText(text, kLastTabCount);
}
inline int ctrlTabFromText(std::string_view text) {
    return choiceFromText(text, kCtrlTabCount);
}

// Decimal text of a single-precision number as the window coordinates are
// written: an integral value without a decimal point ("600", "-150"), any
// other in its shortest form ("0.5"); a value that is not finite gives "0".
std::string formatIniNumber(float value);

} // namespace tobrel::settings
