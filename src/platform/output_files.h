#pragma once

#include <QString>
#include <optional>

namespace platform {

// Files and folders the user keeps (packages, media folders): created with the
// permissions the user's umask gives ordinary new files and folders.

// Whether a temporary file is to be removed when the program is abandoned
// half way (a second Ctrl+C): files in the destination are, since nothing
// else would ever remove them; files in a working folder go with the folder.
enum class OnAbandon { Keep, Remove };

// Creates an empty file in `folder` (which ends with "/") under a short name of
// its own, ".pelmark-" and six characters, never reusing a name that exists. The
// name is short whatever the final name will be, so a final name close to the
// file system's limit still fits. The caller writes it and then moves it over
// the final name with ReplaceFile, or drops it with DiscardTempFile. On failure
// returns nothing and sets `*error` to the errno value.
std::optional<QString> CreateTempFileIn(const QString& folder, int* error,
                                        OnAbandon onAbandon = OnAbandon::Keep);

// Moves `from` over `to` in one step, replacing a file of that name. 0 or errno.
int ReplaceFile(const QString& from, const QString& to);

// Deletes a file made by CreateTempFileIn.
void DiscardTempFile(const QString& path);

// Deletes every file made with OnAbandon::Remove that is still there. Meant
// for the last moments of a program that is being abandoned.
void DeleteAbandonedTempFiles();

// Creates one folder level. 0, or errno (EEXIST when the name is taken).
int CreateOutputFolder(const QString& path);

// Whether a new file can be made in `folder`: 0, or the errno value that
// stops it. Tries for real with a temporary file that is gone at once, since
// permissions alone do not tell (a read-only mount, /sys, a full quota).
int CheckCanCreateFilesIn(const QString& folder);

}  // namespace platform
