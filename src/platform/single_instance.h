#pragma once

#include <QString>

namespace platform {

// One running copy of the program per machine: an advisory lock on a file in
// /tmp that every user can open. The lock lives as long as this object (and
// goes with the process, however it ends).
class SingleInstanceLock {
public:
    enum class Result {
        Acquired,        // this is the only copy
        AlreadyRunning,  // another process holds the lock
        Unavailable,     // the lock file could not be used; the check cannot be made
    };

    SingleInstanceLock() = default;
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // Tries to take the lock on `path` without waiting.
    Result Acquire(const QString& path);
    // The errno value behind Unavailable.
    int Error() const { return m_nError; }
    void Release();

private:
    int m_fd = -1;
    int m_nError = 0;
};

// The machine-wide lock file of the window program.
QString DefaultInstanceLockPath();

}  // namespace platform
