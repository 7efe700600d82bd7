#pragma once

#include <QString>

// Whether a file name ends in one of the picture extensions a presentation's
// pictures come in (jpg, bmp, png, gif, emf, jpeg), ignoring ASCII case. The
// preview and the media copy both go by this one list.
bool HasPictureExtension(const QString& fileName);
