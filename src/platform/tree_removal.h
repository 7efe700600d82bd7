#pragma once

#include <QString>

namespace platform {

// Deletes every file, link and folder below `folder` and leaves the folder
// itself. A link is removed, never followed: neither `folder` itself when it
// is a link nor any link inside leads the walk anywhere else, and what a link
// points to is never touched. Whatever cannot be deleted stays; the rest goes.
//
// The walk goes down by folder handles (openat/unlinkat), one name at a time,
// so no path is ever resolved again below `folder`. Where the file system
// frees a file's blocks slowly (a synchronous discard per file), the freeing
// happens when the last handle to the removed file is closed, and those
// closes run on helper threads, so the waits overlap instead of adding up.
void EmptyFolderTree(const QString& folder);

}  // namespace platform
