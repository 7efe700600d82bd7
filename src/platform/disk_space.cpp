#include "disk_space.h"

#include <sys/statvfs.h>

#include <QFile>

namespace platform {

std::optional<DiskSpace> DiskSpaceOf(const QString& path) {
    struct statvfs st;
    if (::statvfs(QFile::encodeName(path).constData(), &st) != 0) return std::nullopt;
    DiskSpace space;
    space.available = uint64_t(st.f_bavail) * st.f_frsize;
    space.total = uint64_t(st.f_blocks) * st.f_frsize;
    return space;
}

}  // namespace platform
