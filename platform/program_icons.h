#pragma once
// The icons inside a Windows program file (.EXE, .CPL, .DLL): the icon groups
// of its PE resource directory and the image of the first group that suits a
// 32 x 32 button best.
//
// The reader trusts nothing in the file: a truncated file, an offset past the
// end, a loop in the resource tree or an absurd count or size gives "no
// icon", never a crash, a hang or an allocation larger than the file. Only the
// headers and, of the resource section, the directories on the way to the
// icon and the icon itself are read; a section larger than kMaxResourceBytes
// is not read at all.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tobrel::platform {

inline constexpr std::uint64_t kMaxResourceBytes = 256ull << 20;

// The size an icon is drawn at on a start button.
inline constexpr int kProgramIconSize = 32;

struct IconImage {
    int width = 0;
    int height = 0;
    int bitCount = 0;                // colour depth as the image itself gives it
    bool png = false;                // a PNG-compressed image (modern icons)
    std::string pngData;             // png: the PNG file's bytes
    std::vector<std::uint32_t> argb; // otherwise: 0xAARRGGBB, rows top-down
};

struct ProgramIcons {
    // The number of icon groups, as ExtractIconA(path, -1) gives it; 0 for a
    // file without icons, a file that is not a PE file, or a corrupt one.
    int groupCount = 0;
    // The best image of the first group for kProgramIconSize at 32 bits per
    // pixel; nothing when the group or its image cannot be read.
    std::optional<IconImage> firstIcon;
};

// Reads the icons of the program file at path (UTF-8). Anything but a
// readable regular file gives no icons.
ProgramIcons readProgramIcons(const std::string& path);

// The same over bytes held in memory.
ProgramIcons readProgramIconsFromBytes(std::string_view fileBytes);

// The same over any source: read(offset, size, out) fills out with exactly
// size bytes from offset, or answers false. fileSize bounds every request.
using ReadAt = std::function<bool(std::uint64_t offset, std::size_t size, std::string& out)>;
ProgramIcons readProgramIcons(std::uint64_t fileSize, const ReadAt& read);

} // namespace tobrel::platform
