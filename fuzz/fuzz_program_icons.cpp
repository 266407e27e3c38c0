// Any bytes as a Windows program file. Properties: every read stays inside the
// file, the bytes read stay within the header and resource bounds, an image
// read has the pixels its size says, and no image is larger than the bytes
// that back it (at least one bit per pixel, or a PNG inside the file).
#include "fuzz/fuzz_support.h"
#include "platform/program_icons.h"

#include <string>

using namespace tobrel;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    std::uint64_t requested = 0;
    const auto icons = platform::readProgramIcons(
        size, [&](std::uint64_t offset, std::size_t count, std::string& out) {
            fuzz::require(offset <= size && count <= size - offset, "reads stay inside the file");
            requested += count;
            out.assign(file.substr(static_cast<std::size_t>(offset), count));
            return true;
        });
    fuzz::require(requested <= 4 * static_cast<std::uint64_t>(size) + 4096,
                  "the reader reads each byte a bounded number of times");
    fuzz::require(icons.groupCount >= 0, "a count is never negative");
    const auto fromBytes = platform::readProgramIconsFromBytes(file);
    fuzz::require(fromBytes.groupCount == icons.groupCount &&
                      fromBytes.firstIcon.has_value() == icons.firstIcon.has_value(),
                  "reading from bytes gives the same answer");
    if (!icons.firstIcon) {
        return 0;
    }
    const auto& image = *icons.firstIcon;
    fuzz::require(image.width > 0 && image.height > 0, "an image has a size");
    if (image.png) {
        fuzz::require(!image.pngData.empty() && file.find(image.pngData) != std::string_view::npos,
                      "a PNG image is bytes of the file");
    } else {
        const auto pixels = static_cast<std::uint64_t>(image.width) * image.height;
        fuzz::require(image.argb.size() == pixels, "an image has its pixels");
        fuzz::require(pixels <= 8 * static_cast<std::uint64_t>(size),
                      "an image is backed by at least a bit per pixel");
    }
    return 0;
}
