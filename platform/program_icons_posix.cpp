#include "platform/files.h"
#include "platform/program_icons.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tobrel::platform {

ProgramIcons readProgramIcons(const std::string& path) {
    const int fd = ::open(toFsPath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return {};
    }
    struct stat info {};
    ProgramIcons icons;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        icons = readProgramIcons(
            static_cast<std::uint64_t>(info.st_size),
            [fd](std::uint64_t offset, std::size_t size, std::string& out) {
                out.resize(size);
                std::size_t done = 0;
                while (done < size) {
                    const auto got = ::pread(fd, out.data() + done, size - done,
                                             static_cast<off_t>(offset + done));
                    if (got < 0 && errno == EINTR) {
                        continue;
                    }
                    if (got <= 0) {
                        return false; // the file shrank meanwhile, or cannot be read
                    }
                    done += static_cast<std::size_t>(got);
                }
                return true;
            });
    }
    ::close(fd);
    return icons;
}

} // namespace tobrel::platform
