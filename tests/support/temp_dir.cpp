#include "tests/support/temp_dir.h"

#include "platform/files.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

namespace tobrel::testing {

TempDir::TempDir() {
    std::random_device entropy;
    auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("tobrel-test-" + std::to_string(entropy()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::file(std::string_view name) const {
    return platform::fromFsPath(path_) + "/" + std::string(name);
}

void writeBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(platform::toFsPath(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string readBytes(const std::string& path) {
    auto content = platform::readWholeFile(path);
    if (!content) {
        throw std::runtime_error("cannot read " + path);
    }
    return *content;
}

std::vector<std::string> listFolder(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(platform::fromFsPath(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace tobrel::testing
