#pragma once

#include <QString>
#include <cstdint>

// Writes a presentation folder of about `pictureBytes` of JPEG pictures plus
// the XML members a presentation has, the way a repaired working folder looks.
// Returns the bytes written in all.
int64_t WriteSamplePresentation(const QString& folder, int64_t pictureBytes);
