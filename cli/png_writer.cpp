#include "cli/png_writer.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tobrel::cli {

namespace {

std::uint32_t crc32(std::string_view bytes) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            entries[n] = c;
        }
        return entries;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        c = table[(c ^ byte) & 0xFF] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFu;
}

std::uint32_t adler32(std::string_view bytes) {
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (unsigned char byte : bytes) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

void putBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

void putChunk(std::string& out, std::string_view type, std::string_view data) {
    putBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeStart = out.size();
    out += type;
    out += data;
    putBigEndian(out, crc32(std::string_view(out).substr(typeStart)));
}

} // namespace

std::string encodePng(int width, int height, std::span<const std::uint8_t> rgba) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    // Each row starts with filter type 0 (none).
    std::string raw;
    raw.reserve((rowBytes + 1) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        raw += '\0';
        const auto* row = rgba.data() + rowBytes * static_cast<std::size_t>(y);
        raw.append(reinterpret_cast<const char*>(row), rowBytes);
    }

    std::string zlib = {'\x78', '\x01'}; // deflate, 32 KiB window, no dictionary
    constexpr std::size_t kMaxStored = 65535;
    std::size_t offset = 0;
    do {
        const std::size_t length = std::min(kMaxStored, raw.size() - offset);
        const bool last = offset + length == raw.size();
        zlib += static_cast<char>(last ? 1 : 0); // BFINAL, BTYPE 00 (stored)
        zlib += static_cast<char>(length & 0xFF);
        zlib += static_cast<char>(length >> 8);
        zlib += static_cast<char>(~length & 0xFF);
        zlib += static_cast<char>((~length >> 8) & 0xFF);
        zlib.append(raw, offset, length);
        offset += length;
    } while (offset < raw.size());
    putBigEndian(zlib, adler32(raw));

    std::string header;
    putBigEndian(header, static_cast<std::uint32_t>(width));
    putBigEndian(header, static_cast<std::uint32_t>(height));
    header += std::string{'\x08', '\x06', '\0', '\0', '\0'}; // 8-bit RGBA, no interlace

    std::string png = "\x89PNG\r\n\x1a\n";
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", zlib);
    putChunk(png, "IEND", {});
    return png;
}

} // namespace tobrel::cli
