#include "tests/support/temp_dir.h"

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace tobrel::testing {

bool permissionsAreEnforced() {
    return ::geteuid() != 0;
}

FileSizeLimit::FileSizeLimit(std::uint64_t maxBytes) {
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    previousSoft_ = limit.rlim_cur;
    limit.rlim_cur = maxBytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = previousSoft_;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler_);
}

} // namespace tobrel::testing
