#pragma once

#include <QString>
#include <optional>

namespace platform {

// Files and folders the user keeps (packages, media folders): created with the
// permissions the user's umask gives ordinary new files and folders.

// Creates an empty file beside `finalPath`, named like it with "." + four hex
// digits + ".part" appended, never reusing a name that exists. The caller writes
// it and then moves it over `finalPath` with ReplaceFile. On failure returns
// nothing and sets `*error` to the errno value.
std::optional<QString> CreatePartFileBeside(const QString& finalPath, int* error);

// Moves `from` over `to` in one step, replacing a file of that name. 0 or errno.
int ReplaceFile(const QString& from, const QString& to);

// Creates one folder level. 0, or errno (EEXIST when the name is taken).
int CreateOutputFolder(const QString& path);

}  // namespace platform
