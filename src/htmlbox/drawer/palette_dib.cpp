#include "htmlbox/drawer/palette_dib.h"

bool CPaletteDib::Create(int width, int height, int bits) {
    m_image = QImage();
    if (width <= 0 || height <= 0) return false;
    QImage::Format format = QImage::Format_Indexed8;
    int entries = 256;
    if (bits == 1) {
        format = QImage::Format_Mono;
        entries = 2;
    } else if (bits != 8) {
        // Qt keeps no 4-bit pictures; a 16-entry palette on 8 bits serves.
        entries = bits == 4 ? 16 : 0;
    }
    m_image = QImage(width, height, format);
    if (m_image.isNull()) return false;
    m_image.setColorTable(QVector<QRgb>(entries, qRgb(0, 0, 0)));
    return true;
}

void CPaletteDib::SetPaletteIndex(int index, int red, int green, int blue) {
    if (index < 0 || index >= m_image.colorCount()) return;
    m_image.setColor(index, qRgb(red & 0xFF, green & 0xFF, blue & 0xFF));
}

void CPaletteDib::BlendPalette(COLORREF colour, int percent) {
    if (percent > 100) percent = 100;
    if (percent < 0) percent = 0;
    const int r = VelaRed(colour), g = VelaGreen(colour), b = VelaBlue(colour);
    for (int i = 0; i < m_image.colorCount(); ++i) {
        const QRgb e = m_image.color(i);
        m_image.setColor(i, qRgb((qRed(e) * (100 - percent) + r * percent) / 100,
                                 (qGreen(e) * (100 - percent) + g * percent) / 100,
                                 (qBlue(e) * (100 - percent) + b * percent) / 100));
    }
}

void CPaletteDib::Clear(quint8 value) {
    if (!m_image.isNull()) m_image.fill(uint(value));
}

void CPaletteDib::SetPixelIndex(int x, int y, quint8 value) {
    if (x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height()) return;
    if (m_image.format() == QImage::Format_Indexed8) {
        m_image.scanLine(y)[x] = value;
    } else {
        m_image.setPixel(x, y, value);
    }
}

int CPaletteDib::PixelIndex(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height()) return -1;
    return m_image.pixelIndex(x, y);
}

QRgb CPaletteDib::PaletteEntry(int index) const {
    if (index < 0 || index >= m_image.colorCount()) return 0;
    return m_image.color(index);
}

uchar* CPaletteDib::GetBits() {
    return m_image.isNull() ? nullptr : m_image.bits();
}

int CPaletteDib::GetStride() const {
    return m_image.isNull() ? 0 : int(m_image.bytesPerLine());
}

void CPaletteDib::Draw(CVelaCanvas& dc, int x, int y) const {
    if (m_image.isNull()) return;
    dc.DrawImage(x, y, m_image.convertToFormat(QImage::Format_RGB32));
}
