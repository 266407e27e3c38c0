#include "platform/files.h"
#include "platform/files_detail.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tobrel::platform {
namespace {

int syncToDevice(int fd) {
    return ::fsync(fd) == 0 ? 0 : errno;
}

mode_t currentUmask() {
    // The only way to read the mask is to set it; put it straight back.
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

int (*detail::flushFile)(int fd) = syncToDevice;

std::string executablePath() {
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : fromFsPath(path);
}

std::optional<std::uint64_t> fileSize(const std::string& path) {
    struct stat info {};
    if (::stat(toFsPath(path).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(info.st_size);
}

bool regularFileExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(toFsPath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool pathEntryExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::lstat(toFsPath(path).c_str(), &info) == 0;
}

InputFile::~InputFile() {
    close();
}

bool InputFile::open(const std::string& path) {
    close();
    // Non-blocking, so that a named pipe cannot hang the program in open().
    fd_ = ::open(toFsPath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        error_ = errno;
        return false;
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        error_ = errno;
        close();
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        // Folders, pipes and devices hold no card image or list.
        error_ = S_ISDIR(info.st_mode) ? EISDIR : ENOTSUP;
        close();
        return false;
    }
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    return true;
}

long long InputFile::read(void* buffer, std::size_t size) {
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    // Fill the buffer as far as the file allows, so callers see short reads only at the end.
    while (done < size) {
        ssize_t n = ::read(fd_, bytes + done, size - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error_ = errno;
            return -1;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

void InputFile::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

NewOutputFile::~NewOutputFile() {
    discard();
}

NewOutputFile::CreateResult NewOutputFile::create(const std::string& path) {
    discard();
    fd_ = ::open(toFsPath(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        error_ = errno;
        return error_ == EEXIST ? CreateResult::AlreadyExists : CreateResult::Failed;
    }
    path_ = path;
    return CreateResult::Created;
}

namespace {

// Writes every byte, going on after interruptions; false with error set on failure.
bool writeAll(int fd, const void* data, std::size_t size, int& error) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = errno;
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

bool NewOutputFile::write(const void* data, std::size_t size) {
    return writeAll(fd_, data, size, error_);
}

bool NewOutputFile::commit() {
    if (fd_ < 0) {
        return false;
    }
    int rc = ::close(fd_);
    fd_ = -1;
    if (rc != 0) {
        // A full disk on a network or delayed-allocation file system can show up only here.
        error_ = errno;
        ::unlink(toFsPath(path_).c_str());
        path_.clear();
        return false;
    }
    path_.clear();
    return true;
}

void NewOutputFile::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!path_.empty()) {
        ::unlink(toFsPath(path_).c_str());
        path_.clear();
    }
}

AtomicOutputFile::OpenResult AtomicOutputFile::open(const std::string& path,
                                                    const std::string& other) {
    discard();
    error_ = 0;
    target_ = detail::followLinks(path);
    const auto target = toFsPath(target_);
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
        struct stat otherInfo {};
        if (!other.empty() && ::stat(toFsPath(other).c_str(), &otherInfo) == 0 &&
            otherInfo.st_dev == info.st_dev && otherInfo.st_ino == info.st_ino) {
            return OpenResult::SameFile;
        }
        if (S_ISDIR(info.st_mode)) {
            error_ = EISDIR;
            return OpenResult::Failed;
        }
        // The folder would let a new file be renamed over a write-protected
        // one; the protection is the owner's word that it must not change.
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
            error_ = errno;
            return OpenResult::Failed;
        }
        mode_ = info.st_mode & 07777;
    } else if (errno != ENOENT) {
        error_ = errno;
        return OpenResult::Failed;
    } else {
        mode_ = 0666 & ~currentUmask();
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary_ = detail::temporaryName(target_, attempt);
        // Exclusive creation: whatever is at the name already (a file, or a
        // link, even a dangling one) is neither followed nor written.
        fd_ = ::open(toFsPath(temporary_).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            return OpenResult::Opened;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    error_ = errno;
    temporary_.clear();
    return OpenResult::Failed;
}

bool AtomicOutputFile::write(const void* data, std::size_t size) {
    if (fd_ < 0) {
        error_ = error_ != 0 ? error_ : EBADF;
        return false;
    }
    return writeAll(fd_, data, size, error_);
}

bool AtomicOutputFile::commit() {
    if (fd_ < 0) {
        error_ = error_ != 0 ? error_ : EBADF;
        return false;
    }
    if (::fchmod(fd_, static_cast<mode_t>(mode_)) != 0) {
        return fail(errno);
    }
    if (const int error = detail::flushFile(fd_); error != 0) {
        return fail(error);
    }
    const int closed = ::close(fd_);
    fd_ = -1;
    // A full disk on a network or delayed-allocation file system can show up only here.
    if (closed != 0 || ::rename(toFsPath(temporary_).c_str(), toFsPath(target_).c_str()) != 0) {
        return fail(errno);
    }
    temporary_.clear();
    return true;
}

void AtomicOutputFile::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(toFsPath(temporary_).c_str());
        temporary_.clear();
    }
}

bool isOpenableFolder(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(toFsPath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           ::access(toFsPath(path).c_str(), R_OK | X_OK) == 0;
}

std::optional<std::vector<DirectoryEntry>> listDirectory(const std::string& folder,
                                                         int* errorNumber) {
    const std::string base = folder.empty() ? std::string(".") : folder;
    DIR* dir = ::opendir(toFsPath(base).c_str());
    if (!dir) {
        if (errorNumber) {
            *errorNumber = errno;
        }
        return std::nullopt;
    }
    const std::string prefix = base.back() == '/' ? base : base + '/';
    std::vector<DirectoryEntry> entries;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        DirectoryEntry item{std::string(name), false, false};
        unsigned char type = entry->d_type;
        struct stat info {};
        if (type == DT_UNKNOWN || type == DT_LNK) {
            // The target decides what a link is; a dangling link is neither.
            if (::stat(toFsPath(prefix + item.name).c_str(), &info) == 0) {
                type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
            } else {
                type = DT_UNKNOWN;
            }
        }
        item.isDirectory = type == DT_DIR;
        item.isRegularFile = type == DT_REG;
        entries.push_back(std::move(item));
    }
    ::closedir(dir);
    return entries;
}

} // namespace tobrel::platform
