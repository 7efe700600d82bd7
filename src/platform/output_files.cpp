#include "output_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <set>

#include "files.h"

namespace platform {

namespace {

std::mutex& AbandonLock() {
    static std::mutex lock;
    return lock;
}
std::set<QByteArray>& AbandonList() {
    static std::set<QByteArray> files;
    return files;
}

void Forget(const QByteArray& native) {
    std::lock_guard<std::mutex> guard(AbandonLock());
    AbandonList().erase(native);
}

}  // namespace

std::optional<QString> CreateTempFileIn(const QString& folder, int* error, OnAbandon onAbandon) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const QString base = folder.endsWith('/') ? folder : folder + '/';
    // Held until the file is on the abandon list, so an abandon finds it there.
    const NewNameGuard guard;
    if (guard.Refused()) {
        *error = ECANCELED;
        return std::nullopt;
    }
    for (int attempt = 0; attempt < 1000; ++attempt) {
        QString name = ".pelmark-";
        for (int i = 0; i < 6; ++i)
            name += QChar(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))]);
        const QString path = base + name;
        const QByteArray native = QFile::encodeName(path);
        const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            if (onAbandon == OnAbandon::Remove) {
                std::lock_guard<std::mutex> guard(AbandonLock());
                AbandonList().insert(native);
            }
            return path;
        }
        if (errno != EEXIST) {
            *error = errno;
            return std::nullopt;
        }
    }
    *error = EEXIST;
    return std::nullopt;
}

int ReplaceFile(const QString& from, const QString& to) {
    const QByteArray native = QFile::encodeName(from);
    if (::rename(native.constData(), QFile::encodeName(to).constData()) != 0) return errno;
    Forget(native);
    return 0;
}

void DiscardTempFile(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    ::unlink(native.constData());
    Forget(native);
}

void DeleteAbandonedTempFiles() {
    std::lock_guard<std::mutex> guard(AbandonLock());
    for (const QByteArray& native : AbandonList()) ::unlink(native.constData());
    AbandonList().clear();
}

int CreateOutputFolder(const QString& path) {
    const NewNameGuard guard;
    if (guard.Refused()) return ECANCELED;
    if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0) return 0;
    return errno;
}

int CheckCanCreateFilesIn(const QString& folder) {
    int error = 0;
    const std::optional<QString> probe = CreateTempFileIn(folder, &error);
    if (!probe) return error;
    DiscardTempFile(*probe);
    return 0;
}

}  // namespace platform
