#include "tree_removal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace platform {

namespace {

// Closes the handles of removed files and folders on up to kMaxClosers
// threads. Closing the last handle is what frees a removed file's blocks,
// and on a file system mounted with online discard each of those frees waits
// for the device; many waits at once cost little more than one.
class FinalCloser {
public:
    ~FinalCloser() { Finish(); }

    void Close(int fd) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_room.wait(lock, [this] { return m_pending.size() < kMaxPending; });
        m_pending.push_back(fd);
        // A new helper only when the ones there are have fallen behind, so a
        // small tree is emptied with one helper or none.
        if (m_pending.size() > m_threads.size() && m_threads.size() < kMaxClosers && !StartHelper())
            m_fallbackClose = true;
        lock.unlock();
        m_work.notify_one();
        if (m_fallbackClose) Drain();
    }

    void Finish() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_finished = true;
        }
        m_work.notify_all();
        for (std::thread& thread : m_threads) thread.join();
        m_threads.clear();
        Drain();  // whatever no helper took (none could be started)
    }

private:
    static constexpr size_t kMaxClosers = 16;
    // Handles waiting to be closed; well below any usual limit of open files.
    static constexpr size_t kMaxPending = 256;

    bool StartHelper() {
        try {
            m_threads.emplace_back([this] { Run(); });
            return true;
        } catch (const std::system_error&) {
            return false;
        }
    }

    void Run() {
        for (;;) {
            int fd;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_work.wait(lock, [this] { return m_finished || !m_pending.empty(); });
                if (m_pending.empty()) return;
                fd = m_pending.front();
                m_pending.pop_front();
            }
            m_room.notify_one();
            ::close(fd);
        }
    }

    void Drain() {
        std::vector<int> left;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            left.assign(m_pending.begin(), m_pending.end());
            m_pending.clear();
        }
        m_room.notify_all();
        for (const int fd : left) ::close(fd);
    }

    std::mutex m_mutex;
    std::condition_variable m_work;
    std::condition_variable m_room;
    std::deque<int> m_pending;
    std::vector<std::thread> m_threads;
    bool m_finished = false;
    bool m_fallbackClose = false;
};

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

struct Entry {
    std::string name;
    bool isFolder;
};

// The names in the folder behind `dirFd` (which stays open for the caller).
std::vector<Entry> ListEntries(int dirFd) {
    std::vector<Entry> entries;
    const int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0) return entries;
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return entries;
    }
    while (const struct dirent* ent = ::readdir(dir)) {
        if (IsDotOrDotDot(ent->d_name)) continue;
        bool isFolder = ent->d_type == DT_DIR;
        struct stat st;
        if (ent->d_type == DT_UNKNOWN &&
            ::fstatat(dirFd, ent->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
            isFolder = S_ISDIR(st.st_mode);
        entries.push_back({ent->d_name, isFolder});
    }
    ::closedir(dir);
    return entries;
}

void EmptyFolder(int dirFd, FinalCloser& closer) {
    for (const Entry& entry : ListEntries(dirFd)) {
        const char* name = entry.name.c_str();
        if (entry.isFolder) {
            // O_NOFOLLOW: should a link have taken the folder's place since
            // the listing, it is not opened; it is removed below as a link.
            const int sub = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub >= 0) {
                EmptyFolder(sub, closer);
                if (::unlinkat(dirFd, name, AT_REMOVEDIR) == 0)
                    closer.Close(sub);
                else
                    ::close(sub);
                continue;
            }
        }
        // O_PATH opens the entry itself (a link stays a link, a device or
        // pipe is not opened at all) only to hold it past the unlink.
        const int held = ::openat(dirFd, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
        ::unlinkat(dirFd, name, 0);
        if (held >= 0) closer.Close(held);
    }
}

}  // namespace

void EmptyFolderTree(const QString& folder) {
    QByteArray path = QFile::encodeName(folder);
    // A trailing "/" would make the kernel follow a link named by `folder`.
    while (path.size() > 1 && path.endsWith('/')) path.chop(1);
    const int root = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (root < 0) return;
    FinalCloser closer;
    EmptyFolder(root, closer);
    closer.Finish();
    ::close(root);
}

}  // namespace platform
