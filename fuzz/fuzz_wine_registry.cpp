// Any bytes as a user.reg, then one value written. Properties: an unchanged
// document gives back its bytes; a refused write changes nothing; an accepted
// one reads back as written (also from the file's new bytes), another value
// reads as before, and the lines that change all lie in the edited key's
// section (or form a new one).
#include "fuzz/fuzz_support.h"
#include "platform/encoding.h"
#include "platform/registry_types.h"
#include "platform/wine/document.h"

#include <array>
#include <string>
#include <vector>

using namespace tobrel;
using platform::wine::RegistryText;

namespace {

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::size_t size = end == std::string_view::npos ? text.size() : end + 1;
        lines.push_back(text.substr(0, size));
        text.remove_prefix(size);
    }
    return lines;
}

// The old lines that differ, between the common first and last lines, hold
// at most one key line, and only as their first.
void requireOneSectionChanged(std::string_view before, std::string_view after) {
    const auto oldLines = linesOf(before);
    const auto newLines = linesOf(after);
    std::size_t head = 0;
    while (head < oldLines.size() && head < newLines.size() && oldLines[head] == newLines[head]) {
        ++head;
    }
    std::size_t tail = 0;
    while (tail < oldLines.size() - head && tail < newLines.size() - head &&
           oldLines[oldLines.size() - 1 - tail] == newLines[newLines.size() - 1 - tail]) {
        ++tail;
    }
    for (std::size_t i = head + 1; i < oldLines.size() - tail; ++i) {
        fuzz::require(oldLines[i].empty() || oldLines[i].front() != '[',
                      "changed lines lie within one key's section");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    constexpr std::uint64_t kFileTime = 133000000000000000ULL;
    constexpr std::array<std::uint32_t, 7> kTypes = {platform::kRegSz,
                                                     platform::kRegExpandSz,
                                                     platform::kRegBinary,
                                                     platform::kRegDword,
                                                     platform::kRegMultiSz,
                                                     platform::kRegNone,
                                                     0x1234};
    fuzz::Input input(data, size);
    const unsigned char flags = input.byte();
    const auto path = platform::wine::splitKeyPath(input.piece(24));
    const auto name = platform::utf8ToUtf16(input.piece(12));
    const std::uint32_t type = kTypes[input.byte() % kTypes.size()];
    const std::string valueData(input.piece(24));
    const auto probePath = platform::wine::splitKeyPath(input.piece(24));
    const auto probeName = platform::utf8ToUtf16(input.piece(12));
    std::string file((flags & 1) != 0 ? "WINE REGISTRY Version 2\n" : "");
    file += input.rest();
    if (!path || !name || !probePath || !probeName) {
        return -1;
    }

    RegistryText document(file);
    fuzz::require(document.content() == file, "an unchanged document keeps its bytes");
    const auto probeBefore = document.findValue(*probePath, *probeName);

    if (!document.setValue(*path, *name, type, valueData, kFileTime)) {
        fuzz::require(document.content() == file, "a refused write changes nothing");
        return 0;
    }
    const platform::wine::StoredValue expected{type, valueData};
    fuzz::require(document.findValue(*path, *name) == expected, "the value reads back");
    const std::string written = document.content();
    const RegistryText reread(written);
    fuzz::require(reread.findValue(*path, *name) == expected, "the new file reads back the value");
    const bool sameValue = platform::wine::keyPathsEqual(*path, *probePath) &&
                           platform::wine::namesEqual(*name, *probeName);
    if (!sameValue) {
        fuzz::require(reread.findValue(*probePath, *probeName) == probeBefore,
                      "another value stays as it was");
    }
    requireOneSectionChanged(file, written);
    return 0;
}
