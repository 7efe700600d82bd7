#include "single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

namespace platform {

QString DefaultInstanceLockPath() {
    return QStringLiteral("/tmp/.Pelmark-QUARNELv1.lock");
}

SingleInstanceLock::~SingleInstanceLock() {
    Release();
}

void SingleInstanceLock::Release() {
    if (m_fd >= 0) ::close(m_fd);  // closing drops the lock
    m_fd = -1;
}

SingleInstanceLock::Result SingleInstanceLock::Acquire(const QString& path) {
    Release();
    m_nError = 0;
    const QByteArray name = QFile::encodeName(path);
    // O_NOFOLLOW: in a shared folder a link planted by someone else must not
    // make us create or open a file elsewhere.
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) {
        // The umask would keep other users out; they must be able to open it too.
        struct stat st;
        if (::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & 0777) != 0666)
            ::fchmod(fd, 0666);
    } else if (errno == EACCES || errno == EPERM) {
        // Another user's file that we may only read: a shared lock needs no write access
        // and an exclusive flock does not either.
        fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    }
    if (fd < 0) {
        m_nError = errno;
        return Result::Unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return Result::AlreadyRunning;
        m_nError = error;
        return Result::Unavailable;
    }
    m_fd = fd;
    return Result::Acquired;
}

}  // namespace platform
