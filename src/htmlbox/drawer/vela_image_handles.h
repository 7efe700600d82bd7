#pragma once

#include <QImage>
#include <QtGlobal>

// Pictures handed to the markup by number: "<icon handle=0x1A2B>" or
// "<bmp handle=...>" finds the picture registered under that handle. The
// drawer only reads them; whoever registered a picture removes it.
class CVelaImageHandles {
public:
    // A new non-zero handle for `image` (kept until Remove).
    static quint32 Add(const QImage& image);
    static void Remove(quint32 handle);
    // A null image when the handle is not known.
    static QImage Find(quint32 handle);
};
