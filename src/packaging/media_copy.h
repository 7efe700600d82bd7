#pragma once

#include <QString>

// Copies every picture found anywhere below `folder` (extensions jpg, bmp,
// png, gif, emf and jpeg, in any case) directly into `mediaFolder` under its
// own name, replacing a file of that name; sub-folders are not reproduced.
// Copy failures are ignored: the caller only looks at whether `mediaFolder`
// ended up empty. Returns 1 when the walk completed.
int CopyMediaFiles(const QString& folder, const QString& mediaFolder);
