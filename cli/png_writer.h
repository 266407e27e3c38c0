#pragma once
// A minimal PNG encoder for small RGBA pictures (save icons): one IDAT chunk
// holding a zlib stream of stored (uncompressed) deflate blocks.

#include <cstdint>
#include <span>
#include <string>

namespace tobrel::cli {

// The bytes of a PNG file of width x height pixels, 8-bit RGBA, rows from the
// top. rgba must hold width * height * 4 bytes.
std::string encodePng(int width, int height, std::span<const std::uint8_t> rgba);

} // namespace tobrel::cli
