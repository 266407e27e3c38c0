// Any bytes as a single-save file. Properties: a save read has a usable name
// and 1..15 whole blocks taken from the file; written again in the format it
// came in and read back, it is the same save.
#include "cards/card_format.h"
#include "cards/save_file.h"
#include "fuzz/fuzz_support.h"

using namespace tobrel;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    fuzz::Input input(data, size);
    const std::string_view name = input.piece(24);
    const std::string_view rest = input.rest();
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(rest.data()), rest.size());
    const auto read = cards::parseSaveFile(bytes, name);
    fuzz::require(read.ok == read.error.empty(), "a save or a reason");
    if (!read.ok) {
        return 0;
    }
    fuzz::require(cards::isValidSaveName(read.save.name), "the name is usable");
    fuzz::require(read.save.blocks.size() % cards::kBlockSize == 0 && read.save.blockCount() >= 1 &&
                      read.save.blockCount() <= cards::kSaveBlockCount &&
                      read.save.blocks.size() <= bytes.size(),
                  "1..15 whole blocks out of the file");
    const auto packed = cards::packSaveFile(read.save, read.format);
    fuzz::require(packed.has_value(), "a save read can be written");
    const auto again = cards::parseSaveFile(*packed, read.save.name);
    fuzz::require(again.ok && again.format == read.format && again.save == read.save &&
                      again.signatureValid,
                  "written and read again, the same save");
    return 0;
}
