#pragma once
// Test helpers around the registry store: environment variables set for one
// test, a fake Wine prefix, and a child process that holds a wineserver lock.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tobrel::testing {

// Sets (or, with nothing, removes) an environment variable until destroyed.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            previous_ = old;
        }
        set(name, value);
    }
    ~ScopedEnv() { set(name_, previous_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    static void set(const char* name, const std::optional<std::string>& value) {
#ifdef _WIN32
        _putenv_s(name, value ? value->c_str() : ""); // "" removes it
#else
        if (value) {
            ::setenv(name, value->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
#endif
    }

    const char* name_;
    std::optional<std::string> previous_;
};

#ifndef _WIN32

// A Wine prefix skeleton: drive_c/, dosdevices/c: -> ../drive_c.
inline std::string makeFakePrefix(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    fs::create_directories(folder / "drive_c");
    fs::create_directories(folder / "dosdevices");
    fs::create_directory_symlink("../drive_c", folder / "dosdevices" / "c:");
    return folder.string();
}

// The wineserver's lock file for prefix under tempRoot: upstream's
// .wine-<uid> folder, or Debian's named folder (also recorded in the prefix).
inline std::string serverLockPath(const std::string& prefix, const std::string& tempRoot,
                                  const std::string& debianName = "") {
    struct stat info {};
    ::stat(prefix.c_str(), &info);
    char server[64];
    std::snprintf(server, sizeof server, "server-%llx-%llx",
                  static_cast<unsigned long long>(info.st_dev),
                  static_cast<unsigned long long>(info.st_ino));
    const std::string folder =
        tempRoot + "/" + (debianName.empty() ? ".wine-" + std::to_string(::getuid()) : debianName) +
        "/" + server;
    std::filesystem::create_directories(folder);
    return folder + "/lock";
}

// A child process holding an fcntl write lock on byte 0 of a file, as a
// running wineserver does on its lock file. (A lock held by this process
// itself would be invisible to its own F_GETLK.)
class LockHolder {
public:
    explicit LockHolder(const std::string& path) {
        int ready[2];
        if (::pipe(ready) != 0 || ::pipe(release_) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(release_[1]);
            const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0600);
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            lock.l_start = 0;
            lock.l_len = 1;
            const char status = fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0 ? 'y' : 'n';
            (void)!::write(ready[1], &status, 1);
            char unused;
            (void)!::read(release_[0], &unused, 1); // until the parent closes its end
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release_[0]);
        char status = 'n';
        locked_ = ::read(ready[0], &status, 1) == 1 && status == 'y';
        ::close(ready[0]);
    }
    ~LockHolder() { release(); }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    bool locked() const { return locked_; }
    // Ends the child, as a wineserver exits; its lock goes with it.
    void release() {
        if (pid_ > 0) {
            ::close(release_[1]);
            int status;
            ::waitpid(pid_, &status, 0);
            pid_ = -1;
        }
    }

private:
    pid_t pid_ = -1;
    int release_[2] = {-1, -1};
    bool locked_ = false;
};

#endif // _WIN32

} // namespace tobrel::testing
