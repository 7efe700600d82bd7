#pragma once

#include <QString>
#include <vector>

namespace platform {

// The system temporary folder, always ending with "/" (honours TMPDIR).
QString TempPath();

// Creates one folder level. Returns 0 on success, otherwise the errno value
// (EEXIST when something of that name is already there).
int CreateFolder(const QString& path);

// Removes an empty folder; false when it is not empty, missing or not removable.
bool RemoveFolder(const QString& path);

bool FolderExists(const QString& path);  // an existing folder (a link to one counts)
bool PathExists(const QString& path);    // anything at all, links not followed
bool IsSymLink(const QString& path);
bool OwnedByCurrentUser(const QString& path);

// The numeric id of the user the program runs as (the effective one, which
// is the one files are created for).
unsigned CurrentUserId();

struct FolderEntry {
    QString name;   // the bare name, never "." or ".."
    bool isFolder;  // a real folder, not a link to one
};

// The entries of a folder, sorted by name without regard to case, the way
// NTFS hands them out, so that walks and packages are reproducible.
// An unreadable or missing folder gives an empty list; `error` (when given)
// then holds the errno value, and 0 after a complete listing.
std::vector<FolderEntry> ListFolder(const QString& path, int* error = nullptr);

}  // namespace platform
