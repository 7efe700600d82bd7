#include "output_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>

namespace platform {

std::optional<QString> CreatePartFileBeside(const QString& finalPath, int* error) {
    const quint32 start = QRandomGenerator::global()->bounded(0x10000u);
    for (quint32 i = 0; i < 0x10000u; ++i) {
        const quint32 number = (start + i) & 0xFFFF;
        const QString path =
            finalPath + '.' + QString("%1").arg(number, 4, 16, QChar('0')).toUpper() + ".part";
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
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
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return 0;
    return errno;
}

int CreateOutputFolder(const QString& path) {
    if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0) return 0;
    return errno;
}

}  // namespace platform
