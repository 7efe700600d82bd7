#include "folders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <algorithm>
#include <cerrno>

#include "files.h"

namespace platform {

namespace {
QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}
}  // namespace

QString TempPath() {
    QString path = QDir::tempPath();
    if (!path.endsWith('/')) path += '/';
    return path;
}

int CreateFolder(const QString& path) {
    const NewNameGuard guard;
    if (guard.Refused()) return ECANCELED;
    if (::mkdir(Native(path).constData(), 0700) == 0) return 0;
    return errno;
}

bool RemoveFolder(const QString& path) {
    return ::rmdir(Native(path).constData()) == 0;
}

bool FolderExists(const QString& path) {
    struct stat st;
    return ::stat(Native(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathExists(const QString& path) {
    struct stat st;
    return ::lstat(Native(path).constData(), &st) == 0;
}

bool IsSymLink(const QString& path) {
    struct stat st;
    return ::lstat(Native(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool OwnedByCurrentUser(const QString& path) {
    struct stat st;
    return ::lstat(Native(path).constData(), &st) == 0 && st.st_uid == ::geteuid();
}

unsigned CurrentUserId() {
    return static_cast<unsigned>(::geteuid());
}

std::vector<FolderEntry> ListFolder(const QString& path, int* error) {
    std::vector<FolderEntry> entries;
    if (error) *error = 0;
    DIR* dir = ::opendir(Native(path).constData());
    if (!dir) {
        if (error) *error = errno;
        return entries;
    }
    const int dirFd = ::dirfd(dir);
    for (;;) {
        errno = 0;
        struct dirent* ent = ::readdir(dir);
        if (!ent) {
            if (errno != 0 && error) *error = errno;
            break;
        }
        const char* name = ent->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
        // The listing itself says what most entries are; only a file system
        // that does not is asked entry by entry. A link to a folder is not a
        // folder, so a walk never leaves its tree.
        bool isFolder = ent->d_type == DT_DIR;
        struct stat st;
        if (ent->d_type == DT_UNKNOWN && ::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0)
            isFolder = S_ISDIR(st.st_mode);
        entries.push_back({QFile::decodeName(name), isFolder});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        const int byCase = QString::compare(a.name, b.name, Qt::CaseInsensitive);
        return byCase != 0 ? byCase < 0 : a.name < b.name;
    });
    return entries;
}

}  // namespace platform
