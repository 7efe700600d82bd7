#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace platform {

// A file opened for reading only. Linux has no share modes, so unlike the
// Windows original another program may keep writing while we read.
class ReadOnlyFile {
public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Returns 0 on success, otherwise the errno value. Folders are refused (EISDIR).
    int Open(const QString& path);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    int64_t Size() const;
    // Reads up to `count` bytes at `offset`; returns the bytes read (0 at the end, -1 on error).
    int64_t ReadAt(int64_t offset, void* buffer, int64_t count) const;

private:
    int m_fd = -1;
};

// A file created anew (replacing any file of that name) for writing.
class WriteFile {
public:
    WriteFile() = default;
    ~WriteFile();
    WriteFile(const WriteFile&) = delete;
    WriteFile& operator=(const WriteFile&) = delete;

    int Create(const QString& path);  // 0 or errno
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    // Writes all bytes unless the system refuses; returns the bytes written.
    int64_t Write(const void* data, int64_t count);
    int64_t WriteAt(int64_t offset, const void* data, int64_t count);

private:
    int m_fd = -1;
};

// From the moment a run is abandoned, no new file or folder is made (creating
// one fails with ECANCELED), so what is being removed stays removed.
// RefuseNewFiles returns only once every name being made on another thread
// (under a NewNameGuard) is there, so nothing appears after it.
void RefuseNewFiles();
bool NewFilesRefused();

// Held around the making of one new name (a file, a folder, a link) and of
// what must go with it, so that RefuseNewFiles waits for it.
class NewNameGuard {
public:
    NewNameGuard();
    ~NewNameGuard();
    NewNameGuard(const NewNameGuard&) = delete;
    NewNameGuard& operator=(const NewNameGuard&) = delete;
    // Whether new names are refused: then nothing may be made.
    bool Refused() const { return NewFilesRefused(); }
};

bool FileExists(const QString& path);  // an existing regular file

// Which file a path names, links followed: two paths name the same file
// exactly when device and inode agree, whatever their spelling or case.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FileIdentity& other) const {
        return device == other.device && inode == other.inode;
    }
};
std::optional<FileIdentity> IdentityOf(const QString& path);

// What kind of thing a path names, links followed.
enum class PathKind { Missing, RegularFile, Folder, Other };
PathKind KindOf(const QString& path, int* error = nullptr);
bool DeleteFile(const QString& path);
// Copies `from` over `to`, replacing it. False when anything fails.
bool CopyFile(const QString& from, const QString& to);

// Creates an empty file named prefix + four hex digits + ".TMP" in `folder`
// (which ends with "/"), never reusing a name that exists. Returns its path.
std::optional<QString> CreateUniqueTempFile(const QString& folder, const QString& prefix);

}  // namespace platform
