#pragma once
// Detects another running copy of the program for the same user.

#include <memory>

class QLockFile;

namespace tobrel::platform {

class SingleInstance {
public:
    // Takes the per-user lock named name. A lock left by a copy that crashed
    // is taken over, since its owner process no longer exists.
    explicit SingleInstance(const char* name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another copy holds the lock.
    bool isFirst() const { return first_; }

private:
    std::unique_ptr<QLockFile> lock_;
    bool first_ = false;
};

} // namespace tobrel::platform
