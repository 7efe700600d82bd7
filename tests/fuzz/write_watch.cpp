#include "write_watch.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

namespace {

std::atomic<bool> g_watching{false};
std::atomic<bool> g_probing{false};
std::atomic<int> g_refused{0};
std::vector<std::string> g_allowed;

void* RealSymbol(const char* name) {
    void* symbol = dlsym(RTLD_NEXT, name);
    if (!symbol) {
        fprintf(stderr, "write_watch: no %s in the C library\n", name);
        abort();
    }
    return symbol;
}

// The C library's own function of that name, looked up once.
#define REAL(name)                                          \
    ([] {                                                   \
        static void* const symbol = RealSymbol(#name);      \
        return reinterpret_cast<decltype(&::name)>(symbol); \
    }())

// `path` as an absolute path with "." and empty levels dropped; empty when
// it cannot be told or climbs with "..", which no write of the engine needs.
std::string Absolute(int dirfd, const char* path) {
    std::string full;
    if (path[0] != '/') {
        char buffer[PATH_MAX];
        if (dirfd == AT_FDCWD) {
            if (getcwd(buffer, sizeof buffer)) full = buffer;
        } else {
            char link[64];
            snprintf(link, sizeof link, "/proc/self/fd/%d", dirfd);
            const ssize_t n = readlink(link, buffer, sizeof buffer);
            if (n > 0) full.assign(buffer, size_t(n));
        }
        if (full.empty()) return {};
        full += '/';
    }
    full += path;
    std::string out;
    for (size_t at = 0; at <= full.size();) {
        size_t end = full.find('/', at);
        if (end == std::string::npos) end = full.size();
        const std::string level = full.substr(at, end - at);
        if (level == "..") return {};
        if (!level.empty() && level != ".") out += '/' + level;
        at = end + 1;
    }
    return out;
}

bool Inside(const std::string& path) {
    if (path.empty()) return false;
    for (const std::string& folder : g_allowed)
        if (path.compare(0, folder.size(), folder) == 0 &&
            (path.size() == folder.size() || path[folder.size()] == '/'))
            return true;
    return false;
}

bool Refuse(const char* call, const char* path) {
    if (g_probing.load()) {
        ++g_refused;
        errno = EACCES;
        return false;
    }
    fprintf(stderr, "write_watch: %s writes outside its folders: %s\n", call, path ? path : "");
    abort();
}

// True when the call may go ahead.
bool May(const char* call, int dirfd, const char* path) {
    if (!g_watching.load() || !path) return true;
    return Inside(Absolute(dirfd, path)) || Refuse(call, path);
}

bool OpensForWriting(int flags) {
    return (flags & O_ACCMODE) != O_RDONLY || (flags & (O_CREAT | O_TRUNC)) != 0 ||
           (flags & O_TMPFILE) == O_TMPFILE;
}

bool TakesMode(int flags) {
    return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
}

bool FopenWrites(const char* mode) {
    for (const char* c = mode; c && *c; ++c)
        if (*c == 'w' || *c == 'a' || *c == '+') return true;
    return false;
}

}  // namespace

namespace write_watch {

void Watch(const std::vector<std::string>& allowed) {
    g_allowed = allowed;
    g_watching = true;
}

void Stop() {
    g_watching = false;
}

void SetProbing(bool probing) {
    g_probing = probing;
}

int Refused() {
    return g_refused.load();
}

}  // namespace write_watch

// The interposed calls. Each checks its path and hands over to the C library.
#define MODE_ARGUMENT(flags)              \
    mode_t mode = 0;                      \
    if (TakesMode(flags)) {               \
        va_list args;                     \
        va_start(args, flags);            \
        mode = mode_t(va_arg(args, int)); \
        va_end(args);                     \
    }

extern "C" {

int open(const char* path, int flags, ...) {
    MODE_ARGUMENT(flags)
    if (OpensForWriting(flags) && !May("open", AT_FDCWD, path)) return -1;
    return REAL(open)(path, flags, mode);
}
int open64(const char* path, int flags, ...) {
    MODE_ARGUMENT(flags)
    if (OpensForWriting(flags) && !May("open64", AT_FDCWD, path)) return -1;
    return REAL(open64)(path, flags, mode);
}
int openat(int dirfd, const char* path, int flags, ...) {
    MODE_ARGUMENT(flags)
    if (OpensForWriting(flags) && !May("openat", dirfd, path)) return -1;
    return REAL(openat)(dirfd, path, flags, mode);
}
int openat64(int dirfd, const char* path, int flags, ...) {
    MODE_ARGUMENT(flags)
    if (OpensForWriting(flags) && !May("openat64", dirfd, path)) return -1;
    return REAL(openat64)(dirfd, path, flags, mode);
}
int creat(const char* path, mode_t mode) {
    return May("creat", AT_FDCWD, path) ? REAL(creat)(path, mode) : -1;
}
int creat64(const char* path, mode_t mode) {
    return May("creat64", AT_FDCWD, path) ? REAL(creat64)(path, mode) : -1;
}
FILE* fopen(const char* path, const char* mode) {
    if (FopenWrites(mode) && !May("fopen", AT_FDCWD, path)) return nullptr;
    return REAL(fopen)(path, mode);
}
FILE* fopen64(const char* path, const char* mode) {
    if (FopenWrites(mode) && !May("fopen64", AT_FDCWD, path)) return nullptr;
    return REAL(fopen64)(path, mode);
}
int truncate(const char* path, off_t length) {
    return May("truncate", AT_FDCWD, path) ? REAL(truncate)(path, length) : -1;
}
int truncate64(const char* path, off64_t length) {
    return May("truncate64", AT_FDCWD, path) ? REAL(truncate64)(path, length) : -1;
}
int mkdir(const char* path, mode_t mode) {
    return May("mkdir", AT_FDCWD, path) ? REAL(mkdir)(path, mode) : -1;
}
int mkdirat(int dirfd, const char* path, mode_t mode) {
    return May("mkdirat", dirfd, path) ? REAL(mkdirat)(dirfd, path, mode) : -1;
}
int rmdir(const char* path) {
    return May("rmdir", AT_FDCWD, path) ? REAL(rmdir)(path) : -1;
}
int unlink(const char* path) {
    return May("unlink", AT_FDCWD, path) ? REAL(unlink)(path) : -1;
}
int unlinkat(int dirfd, const char* path, int flags) {
    return May("unlinkat", dirfd, path) ? REAL(unlinkat)(dirfd, path, flags) : -1;
}
int rename(const char* from, const char* to) {
    return May("rename", AT_FDCWD, from) && May("rename", AT_FDCWD, to) ? REAL(rename)(from, to)
                                                                        : -1;
}
int renameat(int fromfd, const char* from, int tofd, const char* to) {
    return May("renameat", fromfd, from) && May("renameat", tofd, to)
               ? REAL(renameat)(fromfd, from, tofd, to)
               : -1;
}
int renameat2(int fromfd, const char* from, int tofd, const char* to, unsigned flags) {
    return May("renameat2", fromfd, from) && May("renameat2", tofd, to)
               ? REAL(renameat2)(fromfd, from, tofd, to, flags)
               : -1;
}
// A hard link writes only its new name; the file linked may be anywhere
// (an unnamed file is linked in through /proc).
int link(const char* from, const char* to) {
    return May("link", AT_FDCWD, to) ? REAL(link)(from, to) : -1;
}
int linkat(int fromfd, const char* from, int tofd, const char* to, int flags) {
    return May("linkat", tofd, to) ? REAL(linkat)(fromfd, from, tofd, to, flags) : -1;
}
// Nothing on the repair path makes links: one would let a later write escape.
int symlink(const char* target, const char* path) {
    if (g_watching.load() && !Refuse("symlink", path)) return -1;
    return REAL(symlink)(target, path);
}
int symlinkat(const char* target, int dirfd, const char* path) {
    if (g_watching.load() && !Refuse("symlinkat", path)) return -1;
    return REAL(symlinkat)(target, dirfd, path);
}
int chmod(const char* path, mode_t mode) {
    return May("chmod", AT_FDCWD, path) ? REAL(chmod)(path, mode) : -1;
}
int fchmodat(int dirfd, const char* path, mode_t mode, int flags) {
    return May("fchmodat", dirfd, path) ? REAL(fchmodat)(dirfd, path, mode, flags) : -1;
}

}  // extern "C"
