#include "file_stat.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <QFile>
#include <cerrno>
#include <ctime>

namespace platform {

namespace {

QString BaseName(const QString& path) {
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith('/')) trimmed.chop(1);
    return trimmed.mid(trimmed.lastIndexOf('/') + 1);
}

uint32_t AttributesOf(const QString& path, mode_t mode) {
    uint32_t attributes = 0;
    if (!(mode & S_IWUSR)) attributes |= kAttrReadOnly;
    if (BaseName(path).startsWith('.')) attributes |= kAttrHidden;
    if (S_ISDIR(mode)) attributes |= kAttrDirectory;
    if (S_ISREG(mode)) attributes |= kAttrArchive;
    return attributes;
}

}  // namespace

int StatFile(const QString& path, FileStat* out) {
    const QByteArray native = QFile::encodeName(path);
    struct statx sx;
    if (::statx(AT_FDCWD, native.constData(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) == 0) {
        out->attributes = AttributesOf(path, sx.stx_mode);
        out->size = static_cast<int64_t>(sx.stx_size);
        // The nanoseconds are never negative, so tv_sec is already rounded down.
        out->modificationTime = sx.stx_mtime.tv_sec;
        out->accessTime = sx.stx_atime.tv_sec;
        const auto& created = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_ctime;
        out->creationTime = created.tv_sec;
        return 0;
    }
    if (errno != ENOSYS) return errno;
    struct stat st;
    if (::stat(native.constData(), &st) != 0) return errno;
    out->attributes = AttributesOf(path, st.st_mode);
    out->size = st.st_size;
    out->modificationTime = st.st_mtim.tv_sec;
    out->accessTime = st.st_atim.tv_sec;
    out->creationTime = st.st_ctim.tv_sec;
    return 0;
}

int64_t LocalTimeOffsetNow() {
    const time_t now = ::time(nullptr);
    struct tm local;
    if (!::localtime_r(&now, &local)) return 0;
    return local.tm_gmtoff;
}

void ReloadTimeZone() {
    ::tzset();
}

CalendarTime BreakDown(int64_t seconds) {
    const time_t t = static_cast<time_t>(seconds);
    struct tm parts;
    CalendarTime out;
    if (!::gmtime_r(&t, &parts)) return out;
    out.year = parts.tm_year + 1900;
    out.month = parts.tm_mon + 1;
    out.day = parts.tm_mday;
    out.hour = parts.tm_hour;
    out.minute = parts.tm_min;
    out.second = parts.tm_sec;
    return out;
}

int64_t StandardLocalTimeToSeconds(const CalendarTime& time) {
    struct tm parts = {};
    parts.tm_year = time.year - 1900;
    parts.tm_mon = time.month - 1;
    parts.tm_mday = time.day;
    parts.tm_hour = time.hour;
    parts.tm_min = time.minute;
    parts.tm_sec = time.second;
    parts.tm_isdst = 0;
    return static_cast<int64_t>(::mktime(&parts));
}

}  // namespace platform
