#pragma once

#include <QString>
#include <cstdint>

namespace platform {

// A new file that nobody sees under its name before Commit, so a file given
// up half way leaves nothing behind. Where the file system allows, it is
// written as an unnamed file in the folder of its final name and linked in
// at the end (nothing to clean up, even after a crash); elsewhere it is
// written under a short hidden name of its own in that folder and renamed.
class StagedFile {
public:
    StagedFile() = default;
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Opens the file that will become `finalPath`. 0, or the errno value.
    int Create(const QString& finalPath);
    bool IsOpen() const { return m_fd >= 0; }
    // Writes all bytes unless the system refuses; returns the bytes written.
    int64_t Write(const void* data, int64_t count);
    // Gives the file its final name, replacing a file of that name but never
    // a folder. 0, or the errno value; the file is gone after a failure.
    int Commit();
    // Drops the file.
    void Discard();

private:
    int m_fd = -1;
    QByteArray m_finalPath;
    QByteArray m_tempPath;  // empty while the file has no name
};

// Whether unnamed files may be used where the file system offers them (the
// default). Turned off, every staged file takes the named way, as on a file
// system without unnamed files; tests use this to cover that way too.
void SetUnnamedFilesAllowed(bool allowed);

}  // namespace platform
