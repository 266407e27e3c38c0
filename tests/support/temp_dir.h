#pragma once
// Test helpers: a private temporary folder and small file utilities.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tobrel::testing {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes away (write bits are restored first).
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Full path of name inside the folder, as the program's UTF-8 text.
    std::string file(std::string_view name) const;

private:
    std::filesystem::path path_;
};

void writeBytes(const std::string& path, std::string_view bytes);
std::string readBytes(const std::string& path);
std::vector<std::string> listFolder(const std::filesystem::path& folder);

// True when the process can be denied access by file permissions (not root).
bool permissionsAreEnforced();

} // namespace tobrel::testing

namespace tobrel::testing {

// While alive, no file of this process can grow past maxBytes: writes beyond
// fail with EFBIG as on a full disk. Works for root too.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t maxBytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    std::uint64_t previousSoft_;
    void (*previousHandler_)(int);
};

} // namespace tobrel::testing
