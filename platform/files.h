#pragma once
// File-system services for the core: UTF-8 paths, exclusive creation,
// atomic replacement and error texts for the user.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tobrel::platform {

// Paths are UTF-8 text inside the program.
std::filesystem::path toFsPath(std::string_view utf8);
std::string fromFsPath(const std::filesystem::path& path);

// A short Japanese description of an operating-system error number, for the user.
std::string describeError(int errorNumber);

// Full path of the running executable, empty when it cannot be found.
std::string executablePath();

// Size of a regular file, or nothing when it cannot be measured.
std::optional<std::uint64_t> fileSize(const std::string& path);

// True when a regular file (not a folder) exists at path.
bool regularFileExists(const std::string& path);

// True when anything (file, folder, link, even a dangling one) exists at path.
bool pathEntryExists(const std::string& path);

// Read-only input file.
class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // False with errorNumber() set when the file cannot be opened for reading,
    // also for anything but a regular file (EISDIR for a folder, ENOTSUP else).
    bool open(const std::string& path);
    // Reads up to size bytes; returns the count (0 at the end), or -1 on error.
    long long read(void* buffer, std::size_t size);
    void close();
    int errorNumber() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

// An output file that is created only if nothing exists at its path, so an
// existing file can never be overwritten. Unless commit() succeeds, the
// destructor removes the file again: no half-written output stays behind.
class NewOutputFile {
public:
    NewOutputFile() = default;
    ~NewOutputFile();
    NewOutputFile(const NewOutputFile&) = delete;
    NewOutputFile& operator=(const NewOutputFile&) = delete;

    enum class CreateResult { Created, AlreadyExists, Failed };
    CreateResult create(const std::string& path);
    bool write(const void* data, std::size_t size);
    // Closes the file and keeps it. False (and the file removed) when closing fails.
    bool commit();
    // Closes and removes the file.
    void discard();
    int errorNumber() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
    std::string path_;
};

// An output that replaces the file at a path as a whole or not at all. It is
// written to a temporary file beside the target and renamed over it only by
// commit(); until then the target is untouched, and unless commit() succeeds
// the temporary file is removed again. When the path is a symbolic link, the
// file it points at is replaced and the link stays. The replacement keeps the
// old file's permissions; a write-protected file stays protected and is
// refused, as is a folder.
class AtomicOutputFile {
public:
    AtomicOutputFile() = default;
    ~AtomicOutputFile();
    AtomicOutputFile(const AtomicOutputFile&) = delete;
    AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

    enum class OpenResult {
        Opened,
        SameFile, // the target is the file named by `other` (same device and inode)
        Failed,   // errorNumber() says why
    };
    // Prepares to replace path. `other`, when given, names a file (an input
    // being read) that the target must not be, under whatever name or link.
    OpenResult open(const std::string& path, const std::string& other = {});
    bool write(const void* data, std::size_t size);
    // Flushes the content, gives it the kept permissions and renames it over
    // the target. False (target unchanged, temporary file gone) on failure.
    bool commit();
    // Removes the temporary file; the target stays as it was.
    void discard();
    int errorNumber() const { return error_; }
    // The file actually replaced: path with its symbolic links followed.
    const std::string& targetPath() const { return target_; }

private:
    bool fail(int error);

    int fd_ = -1;
    int error_ = 0;
    unsigned mode_ = 0;
    std::string target_;
    std::string temporary_;
};

// Replaces the file at path with content through an AtomicOutputFile. On
// failure the target is unchanged and no temporary file is left; errorNumber
// receives the cause.
bool replaceFileAtomically(const std::string& path, std::string_view content,
                           int* errorNumber = nullptr);

// Reads a whole file. Nothing when it cannot be read; errorNumber receives the cause.
std::optional<std::string> readWholeFile(const std::string& path, int* errorNumber = nullptr);

// True when path is a folder this user may list and enter.
bool isOpenableFolder(const std::string& path);

// Makes the folder at path and any missing parents; true when it is then a
// folder this user may enter (also when it was there already). errorNumber
// receives the cause of a failure.
bool createFolders(const std::string& path, int* errorNumber = nullptr);

// One entry of a folder, its name exactly as the file system holds it (bytes
// that need not be UTF-8, such as Shift-JIS names copied from Windows).
struct DirectoryEntry {
    std::string name;
    bool isDirectory = false;   // following a symbolic link
    bool isRegularFile = false; // following a symbolic link
};

// Every entry of folder but "." and "..", in no particular order. Nothing when
// the folder cannot be read; errorNumber receives the cause.
std::optional<std::vector<DirectoryEntry>> listDirectory(const std::string& folder,
                                                         int* errorNumber = nullptr);

} // namespace tobrel::platform
