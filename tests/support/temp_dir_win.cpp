#include "tests/support/temp_dir.h"

#include <stdexcept>

namespace tobrel::testing {

// Windows has no permission bits the tests could clear: access lists decide,
// and the tests that need a write-protected folder are left out there.
bool permissionsAreEnforced() {
    return false;
}

// Windows has no per-process file size limit to simulate a full disk with;
// the full-disk tests are left out there, and a test that gets here anyway fails.
FileSizeLimit::FileSizeLimit(std::uint64_t) {
    throw std::runtime_error("no file size limit on Windows");
}

FileSizeLimit::~FileSizeLimit() = default;

} // namespace tobrel::testing
