#include "files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <shared_mutex>

#include "fd_io.h"

namespace platform {

namespace {
std::atomic<bool> g_refuseNewFiles{false};

// Shared by every name being made, taken alone by the refusal.
std::shared_mutex& NewNameGate() {
    static std::shared_mutex gate;
    return gate;
}
}  // namespace

void RefuseNewFiles() {
    std::unique_lock<std::shared_mutex> wait(NewNameGate());
    g_refuseNewFiles.store(true);
}

NewNameGuard::NewNameGuard() {
    NewNameGate().lock_shared();
}

NewNameGuard::~NewNameGuard() {
    NewNameGate().unlock_shared();
}

bool NewFilesRefused() {
    return g_refuseNewFiles.load(std::memory_order_relaxed);
}

namespace {
QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}
}  // namespace

int64_t WriteAll(int fd, const void* data, int64_t count, int64_t offset) {
    const char* p = static_cast<const char*>(data);
    int64_t done = 0;
    while (done < count) {
        const ssize_t n = offset < 0 ? ::write(fd, p + done, count - done)
                                     : ::pwrite(fd, p + done, count - done, offset + done);
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (n == 0) break;
        done += n;
    }
    return done;
}

ReadOnlyFile::~ReadOnlyFile() {
    Close();
}

int ReadOnlyFile::Open(const QString& path) {
    Close();
    // O_NONBLOCK: a named pipe given as a package must not hang the job
    // waiting for a writer; it simply reads as empty. Regular files ignore it.
    const int fd = ::open(Native(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno;
    struct stat st;
    int error = ::fstat(fd, &st) != 0 ? errno : 0;
    if (error == 0 && S_ISDIR(st.st_mode)) error = EISDIR;
    if (error != 0) {
        ::close(fd);
        return error;
    }
    m_fd = fd;
    return 0;
}

void ReadOnlyFile::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

int64_t ReadOnlyFile::Size() const {
    struct stat st;
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) return 0;
    return st.st_size;
}

int64_t ReadOnlyFile::ReadAt(int64_t offset, void* buffer, int64_t count) const {
    if (m_fd < 0) return -1;
    char* p = static_cast<char*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(m_fd, p + done, count - done, offset + done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return done > 0 ? done : -1;
        }
        if (n == 0) break;
        done += n;
    }
    return done;
}

WriteFile::~WriteFile() {
    Close();
}

int WriteFile::Create(const QString& path) {
    Close();
    const NewNameGuard guard;
    if (guard.Refused()) return ECANCELED;
    const int fd = ::open(Native(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return errno;
    m_fd = fd;
    return 0;
}

void WriteFile::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

int64_t WriteFile::Write(const void* data, int64_t count) {
    return m_fd < 0 ? 0 : WriteAll(m_fd, data, count, -1);
}

int64_t WriteFile::WriteAt(int64_t offset, const void* data, int64_t count) {
    return m_fd < 0 ? 0 : WriteAll(m_fd, data, count, offset);
}

bool FileExists(const QString& path) {
    struct stat st;
    return ::stat(Native(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<FileIdentity> IdentityOf(const QString& path) {
    struct stat st;
    if (::stat(Native(path).constData(), &st) != 0) return std::nullopt;
    return FileIdentity{uint64_t(st.st_dev), uint64_t(st.st_ino)};
}

PathKind KindOf(const QString& path, int* error) {
    struct stat st;
    if (::stat(Native(path).constData(), &st) != 0) {
        if (error) *error = errno;
        return PathKind::Missing;
    }
    if (S_ISREG(st.st_mode)) return PathKind::RegularFile;
    if (S_ISDIR(st.st_mode)) return PathKind::Folder;
    return PathKind::Other;
}

bool DeleteFile(const QString& path) {
    return ::unlink(Native(path).constData()) == 0;
}

bool CopyFile(const QString& from, const QString& to) {
    ReadOnlyFile source;
    if (source.Open(from) != 0) return false;
    WriteFile target;
    if (target.Create(to) != 0) return false;
    static constexpr int64_t kChunk = 1 << 16;
    char buffer[kChunk];
    int64_t offset = 0;
    for (;;) {
        const int64_t n = source.ReadAt(offset, buffer, kChunk);
        if (n < 0) return false;
        if (n == 0) return true;
        if (target.Write(buffer, n) != n) return false;
        offset += n;
    }
}

std::optional<QString> CreateUniqueTempFile(const QString& folder, const QString& prefix) {
    // Like the Windows scheme: a four-hex-digit number, tried until a free name is found.
    const quint32 start = QRandomGenerator::global()->bounded(0x10000u);
    const NewNameGuard guard;
    if (guard.Refused()) return std::nullopt;
    for (quint32 i = 0; i < 0x10000u; ++i) {
        const quint32 number = (start + i) & 0xFFFF;
        if (number == 0) continue;
        const QString path =
            folder + prefix + QString("%1").arg(number, 4, 16, QChar('0')).toUpper() + ".TMP";
        const int fd =
            ::open(Native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace platform
