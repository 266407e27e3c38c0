#include "platform/files.h"
#include "platform/files_detail.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

// Files through the Win32 functions. Each open file is a Win32 handle wrapped
// in a C runtime descriptor (_open_osfhandle), so the classes keep one int
// member on both systems; errors are reported as errno numbers.

namespace tobrel::platform {
namespace {

int errnoFromWin32(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_INVALID_NAME:
        return EINVAL;
    default:
        return EIO;
    }
}

int lastErrno() {
    return errnoFromWin32(GetLastError());
}

DWORD attributesOf(const std::string& path) {
    return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(toFsPath(path).c_str());
}

bool isFolderAttributes(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

HANDLE handleOf(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

// Wraps a handle in a descriptor; the descriptor owns it from then on.
int adopt(HANDLE handle, int flags) {
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
    }
    return fd;
}

// Creates a file that must not exist yet (CREATE_NEW) as a write descriptor. A
// symbolic link at the name, even a dangling one, exists: it is not followed.
int createNewFile(const std::string& path, int& error) {
    HANDLE handle =
        CreateFileW(toFsPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = lastErrno();
        return -1;
    }
    const int fd = adopt(handle, _O_WRONLY);
    if (fd < 0) {
        error = EMFILE;
        DeleteFileW(toFsPath(path).c_str());
    }
    return fd;
}

bool writeAll(int fd, const void* data, std::size_t size, int& error) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(handleOf(fd), bytes, chunk, &written, nullptr)) {
            error = lastErrno();
            return false;
        }
        bytes += written;
        size -= written;
    }
    return true;
}

// Volume and index of an existing file, to tell whether two names are one file.
std::optional<std::pair<DWORD, std::uint64_t>> fileIdentity(const std::string& path) {
    HANDLE handle = CreateFileW(toFsPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    if (!known) {
        return std::nullopt;
    }
    return std::pair{info.dwVolumeSerialNumber,
                     (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

int flushToDevice(int fd) {
    return FlushFileBuffers(handleOf(fd)) ? 0 : lastErrno();
}

} // namespace

int (*detail::flushFile)(int fd) = flushToDevice;

std::string executablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        buffer.resize(buffer.size() * 2); // cut off: try again with more room
    }
    // "/" between the folders, as everything that splits this path expects;
    // Windows takes either separator.
    return fromFsPath(std::filesystem::path(buffer).generic_wstring());
}

std::optional<std::uint64_t> fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() ||
        !GetFileAttributesExW(toFsPath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::nullopt;
    }
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool regularFileExists(const std::string& path) {
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool pathEntryExists(const std::string& path) {
    return attributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

InputFile::~InputFile() {
    close();
}

bool InputFile::open(const std::string& path) {
    close();
    if (isFolderAttributes(attributesOf(path))) {
        error_ = EISDIR;
        return false;
    }
    HANDLE handle = CreateFileW(toFsPath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error_ = lastErrno();
        return false;
    }
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        // Pipes and devices hold no card image or list.
        CloseHandle(handle);
        error_ = ENOTSUP;
        return false;
    }
    fd_ = adopt(handle, _O_RDONLY);
    if (fd_ < 0) {
        error_ = EMFILE;
        return false;
    }
    return true;
}

long long InputFile::read(void* buffer, std::size_t size) {
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(handleOf(fd_), bytes + done, chunk, &got, nullptr)) {
            error_ = lastErrno();
            return -1;
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    return static_cast<long long>(done);
}

void InputFile::close() {
    if (fd_ >= 0) {
        _close(fd_);
        fd_ = -1;
    }
}

NewOutputFile::~NewOutputFile() {
    discard();
}

NewOutputFile::CreateResult NewOutputFile::create(const std::string& path) {
    discard();
    fd_ = createNewFile(path, error_);
    if (fd_ < 0) {
        return error_ == EEXIST ? CreateResult::AlreadyExists : CreateResult::Failed;
    }
    path_ = path;
    return CreateResult::Created;
}

bool NewOutputFile::write(const void* data, std::size_t size) {
    return writeAll(fd_, data, size, error_);
}

bool NewOutputFile::commit() {
    if (fd_ < 0) {
        return false;
    }
    const int rc = _close(fd_);
    fd_ = -1;
    if (rc != 0) {
        error_ = errno;
        DeleteFileW(toFsPath(path_).c_str());
        path_.clear();
        return false;
    }
    path_.clear();
    return true;
}

void NewOutputFile::discard() {
    if (fd_ >= 0) {
        _close(fd_);
        fd_ = -1;
    }
    if (!path_.empty()) {
        DeleteFileW(toFsPath(path_).c_str());
        path_.clear();
    }
}

AtomicOutputFile::OpenResult AtomicOutputFile::open(const std::string& path,
                                                    const std::string& other) {
    discard();
    error_ = 0;
    target_ = detail::followLinks(path);
    const DWORD attributes = attributesOf(target_);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (!other.empty()) {
            const auto targetId = fileIdentity(target_);
            if (targetId && targetId == fileIdentity(other)) {
                return OpenResult::SameFile;
            }
        }
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            error_ = EISDIR;
            return OpenResult::Failed;
        }
        // The read-only attribute is the owner's word that the file must not change.
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            error_ = EACCES;
            return OpenResult::Failed;
        }
    } else if (const DWORD why = GetLastError(); why != ERROR_FILE_NOT_FOUND) {
        error_ = errnoFromWin32(why);
        return OpenResult::Failed;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary_ = detail::temporaryName(target_, attempt);
        fd_ = createNewFile(temporary_, error_);
        if (fd_ >= 0) {
            return OpenResult::Opened;
        }
        if (error_ != EEXIST) {
            break;
        }
    }
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
    if (const int error = detail::flushFile(fd_); error != 0) {
        return fail(error);
    }
    const int closed = _close(fd_);
    fd_ = -1;
    if (closed != 0) {
        return fail(EIO);
    }
    if (!MoveFileExW(toFsPath(temporary_).c_str(), toFsPath(target_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return fail(lastErrno());
    }
    temporary_.clear();
    return true;
}

void AtomicOutputFile::discard() {
    if (fd_ >= 0) {
        _close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        DeleteFileW(toFsPath(temporary_).c_str());
        temporary_.clear();
    }
}

bool isOpenableFolder(const std::string& path) {
    if (!isFolderAttributes(attributesOf(path))) {
        return false;
    }
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((toFsPath(path) / L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(search);
    return true;
}

std::optional<std::vector<DirectoryEntry>> listDirectory(const std::string& folder,
                                                         int* errorNumber) {
    const std::string base = folder.empty() ? std::string(".") : folder;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileExW((toFsPath(base) / L"*").c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        if (errorNumber) {
            *errorNumber = isFolderAttributes(attributesOf(base)) ? lastErrno() : ENOENT;
        }
        return std::nullopt;
    }
    const std::string prefix = base.back() == '/' || base.back() == '\\' ? base : base + '/';
    std::vector<DirectoryEntry> entries;
    do {
        const std::wstring_view name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        DirectoryEntry item{fromFsPath(std::filesystem::path(std::wstring(name))), false, false};
        DWORD attributes = found.dwFileAttributes;
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            // The target decides what a link is; a dangling link is neither.
            HANDLE target =
                CreateFileW(toFsPath(prefix + item.name).c_str(), FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
            BY_HANDLE_FILE_INFORMATION info{};
            if (target != INVALID_HANDLE_VALUE && GetFileInformationByHandle(target, &info)) {
                attributes = info.dwFileAttributes;
            } else {
                attributes = INVALID_FILE_ATTRIBUTES;
            }
            if (target != INVALID_HANDLE_VALUE) {
                CloseHandle(target);
            }
        }
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            item.isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            item.isRegularFile = !item.isDirectory && !(attributes & FILE_ATTRIBUTE_DEVICE);
        }
        entries.push_back(std::move(item));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return entries;
}

} // namespace tobrel::platform
