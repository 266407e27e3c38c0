#include "platform/encoding_detail.h"

#include <cerrno>
#include <iconv.h>
#include <mutex>
#include <stdexcept>
#include <string>

namespace tobrel::platform::detail {
namespace {

// One converter per direction, opened on first use (iconv_open loads tables
// and is far too slow to repeat per call); a converter has a shift state, so
// one conversion at a time uses it.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    template <typename Run> auto use(Run&& run) {
        const std::lock_guard<std::mutex> lock(mutex_);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr); // reset the shift state
        return run(cd_);
    }

private:
    iconv_t cd_;
    std::mutex mutex_;
};

Converter& toUtf8() {
    static Converter converter("UTF-8", "CP932");
    return converter;
}

Converter& fromUtf8() {
    static Converter converter("CP932", "UTF-8");
    return converter;
}

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

enum class OnBadInput { Replace, Fail };

// Runs iconv over the whole input. A byte that cannot be converted is replaced
// (and skipped) or makes the whole conversion fail, as the caller asks.
std::optional<std::string> convert(iconv_t cd, std::string_view input, OnBadInput policy,
                                   bool inputIsUtf8) {
    std::string out;
    out.reserve(input.size() * 3 / 2 + 4);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (rc != static_cast<size_t>(-1)) {
            continue;
        }
        if (errno == E2BIG) {
            continue;
        }
        // EILSEQ (invalid or unmappable) or EINVAL (incomplete sequence at the end).
        if (policy == OnBadInput::Fail) {
            return std::nullopt;
        }
        size_t skip = 1;
        if (inputIsUtf8) {
            // Skip the whole UTF-8 character so one unmappable character gives one mark.
            auto lead = static_cast<unsigned char>(*in);
            size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            skip = 1;
            while (skip < length && skip < inLeft &&
                   (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) {
                ++skip;
            }
        }
        out.append(kReplacement);
        in += skip;
        inLeft -= skip;
    }
    return out;
}

} // namespace

std::string decodeCp932System(std::string_view bytes) {
    return *toUtf8().use(
        [bytes](iconv_t cd) { return convert(cd, bytes, OnBadInput::Replace, false); });
}

std::optional<std::string> encodeCp932System(std::string_view utf8) {
    return fromUtf8().use([utf8](iconv_t cd) { return convert(cd, utf8, OnBadInput::Fail, true); });
}

} // namespace tobrel::platform::detail
