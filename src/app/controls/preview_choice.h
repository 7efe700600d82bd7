#pragma once

#include <QString>

#include "recovery/picture_names.h"

// The picture to preview for a repaired package: its thumbnail
// (Thumbnails/thumbnail.png) when it was recovered, otherwise the first picture
// file met in a depth-first walk of the working folder, entries taken in the
// order the folder listing gives them. Empty when there is none.
QString FindPreviewPicture(const QString& workingFolder);
