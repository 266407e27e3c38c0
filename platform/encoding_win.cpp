#include "platform/encoding_detail.h"

#include <windows.h>

namespace tobrel::platform::detail {
namespace {

constexpr UINT kCodePage = 932;
constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

bool isLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

void appendUtf8(std::string& out, const wchar_t* units, int count) {
    if (count <= 0) {
        return;
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, units, count, nullptr, 0, nullptr, nullptr);
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(size));
    WideCharToMultiByte(CP_UTF8, 0, units, count, out.data() + at, size, nullptr, nullptr);
}

} // namespace

std::string decodeCp932System(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 3 / 2 + 4);
    std::size_t pos = 0;
    // Character by character, so that one bad byte or pair gives one U+FFFD
    // and the rest still decodes (code page 932 has no shift state).
    while (pos < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[pos]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++pos;
            continue;
        }
        if (!isLeadByte(lead) && (lead < 0xA1 || lead > 0xDF)) {
            // 0x80, 0xA0 and 0xFD-0xFF are no characters of code page 932;
            // Windows maps them to private stand-ins that no other system
            // knows, so they decode as invalid here as everywhere else.
            out += kReplacement;
            ++pos;
            continue;
        }
        const std::size_t length = isLeadByte(lead) ? 2 : 1;
        if (pos + length > bytes.size()) {
            out += kReplacement;
            break;
        }
        wchar_t units[2];
        const int count = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data() + pos,
                                              static_cast<int>(length), units, 2);
        if (count <= 0) {
            out += kReplacement;
            ++pos; // the trail byte may start a character of its own
            continue;
        }
        appendUtf8(out, units, count);
        pos += length;
    }
    return out;
}

std::optional<std::string> encodeCp932System(std::string_view utf8) {
    if (utf8.empty()) {
        return std::string();
    }
    const int wideSize = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                             static_cast<int>(utf8.size()), nullptr, 0);
    if (wideSize <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                        wide.data(), wideSize);
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), wideSize,
                                         nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault) {
        return std::nullopt;
    }
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), wideSize, out.data(), size,
                        nullptr, &usedDefault);
    if (usedDefault) {
        return std::nullopt;
    }
    return out;
}

} // namespace tobrel::platform::detail
