#pragma once

#include <QImage>

#include "htmlbox/drawer/vela_canvas.h"

class CVelaCanvas;

// An 8-bit picture whose pixels are indices into a palette of up to 256
// colours; the texture effects compute into one. Rows are kept top-down
// (row 0 is the top of the picture).
class CPaletteDib {
public:
    CPaletteDib() = default;
    virtual ~CPaletteDib() = default;

    // Discards what was there. Only 1, 4 and 8 bits give a palette (2, 16 and
    // 256 entries, black at first); the pixels are not initialised. False when
    // the size is empty or the picture cannot be had.
    bool Create(int width, int height, int bits = 8);
    void SetPaletteIndex(int index, int red, int green, int blue);
    // Pulls every entry `percent` (at most 100) of the way toward `colour`.
    void BlendPalette(COLORREF colour, int percent);
    void Clear(quint8 value);
    // Column x of row y counted from the top; points outside are ignored.
    void SetPixelIndex(int x, int y, quint8 value);
    int PixelIndex(int x, int y) const;
    QRgb PaletteEntry(int index) const;

    uchar* GetBits();
    int GetStride() const;
    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }
    bool IsNull() const { return m_image.isNull(); }
    const QImage& Image() const { return m_image; }

    // Copies the whole picture to (x, y).
    void Draw(CVelaCanvas& dc, int x, int y) const;

private:
    QImage m_image;
};
