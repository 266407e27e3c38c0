#pragma once
// Detects another running copy of the program for the same user.

#include <cstdint>
#include <string>

namespace tobrel::platform {

class SingleInstance {
public:
    // Takes the per-user lock named name: a lock file that this object holds
    // open and locked while it lives. The system lets go of the hold when a
    // process ends, however it ends, so a lock file that nobody holds is free
    // whatever it contains (a copy killed before it wrote its id leaves an
    // empty one), and one that a running copy holds is never taken.
    explicit SingleInstance(const char* name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another copy holds the lock.
    bool isFirst() const { return first_; }

private:
    std::intptr_t handle_ = -1;
    bool first_ = false;
};

namespace detail {

enum class LockHold {
    Taken,         // handle holds the lock until releaseLockFile
    HeldElsewhere, // a running process holds it
    Unavailable,   // the file cannot be opened or locked at all
};
// The system's half: opens (creating it when missing) and locks the file at
// the UTF-8 path without waiting, then writes this process's id into it.
LockHold holdLockFile(const std::string& path, std::intptr_t& handle);
void releaseLockFile(std::intptr_t handle);

} // namespace detail

} // namespace tobrel::platform
