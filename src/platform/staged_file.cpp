#include "staged_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>
#include <atomic>
#include <cerrno>
#include <cstdio>

#include "fd_io.h"
#include "files.h"

namespace platform {

namespace {

constexpr mode_t kFileMode = 0644;

QByteArray FolderOf(const QByteArray& path) {
    const int slash = path.lastIndexOf('/');
    if (slash < 0) return ".";
    if (slash == 0) return "/";
    return path.left(slash);
}

// An unnamed file is linked in through its /proc entry; without /proc (some
// containers) it could never get a name, so it is not used at all.
bool CanLinkUnnamedFiles() {
    static const bool can = ::access("/proc/self/fd", X_OK) == 0;
    return can;
}

// File systems that refuse unnamed files say so once; from then on the
// named way is taken without asking again.
std::atomic<bool> g_unnamedRefused{false};
std::atomic<bool> g_unnamedAllowed{true};

bool IsUnnamedRefusal(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// A short hidden name in `folder`, whatever the length of the final name, so
// a final name close to the file system's limit still fits.
QByteArray ShortName(const QByteArray& folder) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = folder + "/.pelmark-";
    for (int i = 0; i < 6; ++i)
        name += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
    return name;
}

// Creates a file under a fresh short name. The descriptor, or -1 with errno set.
int CreateShortNamed(const QByteArray& folder, QByteArray* path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = ShortName(folder);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kFileMode);
        if (fd >= 0) {
            *path = name;
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    errno = EEXIST;
    return -1;
}

// Gives the unnamed file behind `self` a fresh short name. 0 or errno.
int LinkUnderShortName(const char* self, const QByteArray& folder, QByteArray* path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = ShortName(folder);
        if (::linkat(AT_FDCWD, self, AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0) {
            *path = name;
            return 0;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

}  // namespace

void SetUnnamedFilesAllowed(bool allowed) {
    g_unnamedAllowed.store(allowed, std::memory_order_relaxed);
}

StagedFile::~StagedFile() {
    Discard();
}

int StagedFile::Create(const QString& finalPath) {
    Discard();
    m_finalPath = QFile::encodeName(finalPath);
    const QByteArray folder = FolderOf(m_finalPath);
    const NewNameGuard guard;
    if (guard.Refused()) return ECANCELED;
    if (g_unnamedAllowed.load(std::memory_order_relaxed) && CanLinkUnnamedFiles() &&
        !g_unnamedRefused.load(std::memory_order_relaxed)) {
        const int fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, kFileMode);
        if (fd >= 0) {
            m_fd = fd;
            return 0;
        }
        if (!IsUnnamedRefusal(errno)) return errno;
        g_unnamedRefused.store(true, std::memory_order_relaxed);
    }
    const int fd = CreateShortNamed(folder, &m_tempPath);
    if (fd < 0) return errno;
    m_fd = fd;
    return 0;
}

int64_t StagedFile::Write(const void* data, int64_t count) {
    return m_fd < 0 ? 0 : WriteAll(m_fd, data, count);
}

int StagedFile::Commit() {
    if (m_fd < 0) return EBADF;
    // The final name appears now: an abandon waits for it, or it never appears.
    const NewNameGuard guard;
    int error = guard.Refused() ? ECANCELED : 0;
    if (error == 0 && m_tempPath.isEmpty()) {
        char self[64];
        std::snprintf(self, sizeof self, "/proc/self/fd/%d", m_fd);
        if (::linkat(AT_FDCWD, self, AT_FDCWD, m_finalPath.constData(), AT_SYMLINK_FOLLOW) != 0) {
            error = errno;
            // Something has the name already: link in under a name of our
            // own and move that over it, which replaces a file in one step
            // and refuses a folder.
            if (error == EEXIST)
                error = LinkUnderShortName(self, FolderOf(m_finalPath), &m_tempPath);
        }
    }
    ::close(m_fd);
    m_fd = -1;
    if (error == 0 && !m_tempPath.isEmpty() &&
        ::rename(m_tempPath.constData(), m_finalPath.constData()) != 0)
        error = errno;
    if (error != 0 && !m_tempPath.isEmpty()) ::unlink(m_tempPath.constData());
    m_tempPath.clear();
    return error;
}

void StagedFile::Discard() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    if (!m_tempPath.isEmpty()) ::unlink(m_tempPath.constData());
    m_tempPath.clear();
}

}  // namespace platform
