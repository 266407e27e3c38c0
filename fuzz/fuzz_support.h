#pragma once
// Shared pieces of the fuzz targets: a property check that stops the run with
// a message, a splitter for the fuzzer's bytes and a scratch file.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unistd.h>

namespace tobrel::fuzz {

// Stops the run: libFuzzer keeps the input that broke the property.
[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
}

inline void require(bool condition, const char* what) {
    if (!condition) {
        fail(what);
    }
}

// Takes the fuzzer's bytes apart: small numbers and length-prefixed pieces
// first, the rest as one piece.
class Input {
public:
    Input(const unsigned char* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}

    unsigned char byte() {
        if (rest_.empty()) {
            return 0;
        }
        const auto value = static_cast<unsigned char>(rest_.front());
        rest_.remove_prefix(1);
        return value;
    }

    // A piece of up to maxSize bytes, its length taken from the next byte.
    std::string_view piece(std::size_t maxSize) {
        const std::size_t size = std::min<std::size_t>(byte() % (maxSize + 1), rest_.size());
        const std::string_view taken = rest_.substr(0, size);
        rest_.remove_prefix(size);
        return taken;
    }

    std::string_view rest() const { return rest_; }

private:
    std::string_view rest_;
};

// One file per process in the temporary folder, for readers that take a path.
class ScratchFile {
public:
    explicit ScratchFile(const char* tag) {
        const char* tmp = std::getenv("TMPDIR");
        folder_ = std::filesystem::path(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") /
                  ("tobrel-fuzz-" + std::string(tag) + "-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
    }
    ~ScratchFile() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    std::string path(std::string_view name) const { return (folder_ / name).string(); }

    std::string write(std::string_view name, std::string_view bytes) const {
        const std::string target = path(name);
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        require(static_cast<bool>(out), "scratch file written");
        return target;
    }

    std::string read(std::string_view name) const {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path folder_;
};

} // namespace tobrel::fuzz
