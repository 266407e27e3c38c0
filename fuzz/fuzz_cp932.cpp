// Any bytes as code page 932 text. Properties: the decoded text is valid
// UTF-8 and is accepted back; where no replacement character appeared,
// encoding gives the same bytes, except for the characters code page 932
// holds at two codes (NEC and IBM extensions), which come back as the same
// text; names show as the bytes themselves when those are UTF-8.
#include "fuzz/fuzz_support.h"
#include "platform/encoding.h"

#include <string>

using namespace tobrel;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = platform::decodeCp932(bytes);
    fuzz::require(platform::utf8ToUtf16(text).has_value(), "decoded text is valid UTF-8");
    if (text.find("\xEF\xBF\xBD") == std::string::npos) {
        const auto encoded = platform::encodeCp932(text);
        fuzz::require(encoded.has_value(), "decoded text encodes again");
        if (*encoded != bytes) {
            fuzz::require(platform::decodeCp932(*encoded) == text,
                          "a duplicate code comes back as the same text");
            fuzz::require(encoded->size() == bytes.size(),
                          "a duplicate code has the length of the original");
        }
    }
    const std::string shown = platform::nameForDisplay(bytes);
    fuzz::require(platform::utf8ToUtf16(shown).has_value(), "a shown name is valid UTF-8");
    if (platform::utf8ToUtf16(bytes)) {
        fuzz::require(shown == bytes, "a UTF-8 name shows as it is");
    }
    return 0;
}
