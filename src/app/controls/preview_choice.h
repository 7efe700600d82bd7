#pragma once

#include <QString>
#include <functional>

#include "recovery/picture_names.h"

// The picture to preview for a repaired package: its thumbnail
// (Thumbnails/thumbnail.png) when it was recovered, otherwise the first picture
// file met in a depth-first walk of the working folder, entries taken in the
// order the folder listing gives them. Empty when there is none.
QString FindPreviewPicture(const QString& workingFolder);

// Offers `take` every candidate in the same order, the thumbnail first, until
// it answers true: the preview goes on to the next picture when one cannot be
// decoded.
void ForEachPreviewCandidate(const QString& workingFolder,
                             const std::function<bool(const QString&)>& take);
