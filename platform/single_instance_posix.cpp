#include "platform/files.h"
#include "platform/single_instance.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace tobrel::platform::detail {

LockHold holdLockFile(const std::string& path, std::intptr_t& handle) {
    const int fd = ::open(toFsPath(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return LockHold::Unavailable;
    }
    // The kernel drops a flock hold when its last descriptor closes, also at
    // a crash or a kill; the file itself stays, and is never removed, since
    // another copy may have it open at that moment.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? LockHold::HeldElsewhere : LockHold::Unavailable;
    }
    // The id is for people looking at the file; only the hold counts.
    const std::string id = std::to_string(::getpid()) + '\n';
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const auto written = ::pwrite(fd, id.data(), id.size(), 0);
    }
    handle = fd;
    return LockHold::Taken;
}

void releaseLockFile(std::intptr_t handle) {
    ::close(static_cast<int>(handle));
}

} // namespace tobrel::platform::detail
