#pragma once

#include <QString>
#include <vector>

#include "platform/files.h"

// What a media copy did, for the log.
struct MediaCopyResult {
    int copied = 0;
    int failed = 0;     // pictures that could not be copied
    QString lastError;  // why the last failed one failed
};

// Copies every picture found anywhere below `folder` (extensions jpg, bmp,
// png, gif, emf and jpeg, in any case) directly into `mediaFolder` under its
// own name, replacing a file of that name; sub-folders are not reproduced.
// A picture is never written through a link, nor over any file of
// `keepIntact` (the files given to repair). Failures are counted in `result`
// when it is given. Returns 1 when the walk completed.
int CopyMediaFiles(const QString& folder, const QString& mediaFolder,
                   MediaCopyResult* result = nullptr,
                   const std::vector<platform::FileIdentity>* keepIntact = nullptr);
