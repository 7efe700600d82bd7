#pragma once

#include <QString>

// The picture to preview for a repaired package: its thumbnail
// (Thumbnails/thumbnail.png) when it was recovered, otherwise the first picture
// file met in a depth-first walk of the working folder, entries taken in the
// order the folder listing gives them. Empty when there is none.
QString FindPreviewPicture(const QString& workingFolder);

// Whether a file name ends in one of the picture extensions we preview
// (jpg, bmp, png, gif, emf, jpeg; case does not matter).
bool HasPictureExtension(const QString& fileName);
