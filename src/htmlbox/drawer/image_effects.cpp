// Pictures in the text: stretched to their place, greyed, darkened or
// lightened, masked by a colour or by their own alpha, and shadowed.

#include <QPainter>
#include <algorithm>
#include <vector>

#include "htmlbox/drawer/vela_draw_manager.h"

namespace {

// Pictures without any alpha at all are opaque, as are 32-bit pictures whose
// alpha bytes are all zero (they never meant to carry one).
QImage WithAlpha(const QImage& source) {
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    if (!source.hasAlphaChannel()) return image;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) != 0) return image;
        }
    }
    for (int y = 0; y < image.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) line[x] |= 0xFF000000u;
    }
    return image;
}

QImage Stretched(const QImage& image, int width, int height) {
    if (image.width() == width && image.height() == height) return image;
    return image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

void ApplyColourEffects(QImage& image, int style, bool masked, COLORREF mask) {
    const QRgb maskRgb = qRgb(VelaRed(mask), VelaGreen(mask), VelaBlue(mask));
    for (int y = 0; y < image.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            QRgb p = line[x];
            if (masked && (p & 0xFFFFFF) == (maskRgb & 0xFFFFFF)) {
                line[x] = 0;  // black and transparent
                continue;
            }
            int r = qRed(p), g = qGreen(p), b = qBlue(p);
            if (style & kImageGrey) r = g = b = int(0.299 * r + 0.587 * g + 0.114 * b);
            if (style & kImageDarken) {
                r = int(r * 0.75);
                g = int(g * 0.75);
                b = int(b * 0.75);
            }
            if (style & kImageLighten) {
                r = std::min(255, int(r * 1.25));
                g = std::min(255, int(g * 1.25));
                b = std::min(255, int(b * 1.25));
            }
            line[x] = qRgba(r, g, b, qAlpha(p));
        }
    }
}

// The shadow's picture: `grey` where the picture covers, white elsewhere.
QImage Silhouette(const QImage& picture, int grey) {
    QImage s(picture.size(), QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        QRgb* out = reinterpret_cast<QRgb*>(s.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const int a = qAlpha(in[x]);
            const int v = 255 - (255 - grey) * a / 255;
            out[x] = qRgb(v, v, v);
        }
    }
    return s;
}

// A box filter of bx × by over a white surround.
QImage BoxBlur(const QImage& src, int bx, int by) {
    const int w = src.width(), h = src.height();
    const int hx = bx / 2, hy = by / 2;
    QImage out(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int total = 0;
            for (int j = y - hy; j <= y + hy; ++j) {
                for (int i = x - hx; i <= x + hx; ++i) {
                    total += (i < 0 || j < 0 || i >= w || j >= h) ? 255 : qRed(src.pixel(i, j));
                }
            }
            const int v = total / (bx * by);
            reinterpret_cast<QRgb*>(out.scanLine(y))[x] = qRgb(v, v, v);
        }
    }
    return out;
}

}  // namespace

void CVelaDrawManager::DrawPictureWithEffects(CVelaCanvas& dc, int x, int y, const QImage& picture,
                                              const QImage*, int style, bool withShadow) {
    if (picture.isNull()) return;
    if (withShadow && (style & (kImageShadow | kImageGradientShadow)) &&
        (m_shadow.offsetX != 0 || m_shadow.offsetY != 0)) {
        const int darkness = std::clamp(m_shadow.darkness, 0, 100);
        const int grey = (255 * (100 - darkness) + 50) / 100;
        QImage shadow = Silhouette(picture, grey);
        if (style & kImageGradientShadow) {
            const int bx = std::max(1, m_shadow.blurX | 1);
            const int by = std::max(1, m_shadow.blurY | 1);
            QImage canvas(picture.size(), QImage::Format_RGB32);
            canvas.fill(Qt::white);
            const int iw = picture.width() - 2 * (bx / 2), ih = picture.height() - 2 * (by / 2);
            if (iw > 0 && ih > 0) {
                QPainter p(&canvas);
                p.drawImage(QRect(bx / 2, by / 2, iw, ih), shadow);
            }
            shadow = BoxBlur(canvas, bx, by);
        }
        dc.DrawImage(x + m_shadow.offsetX, y + m_shadow.offsetY, shadow, VelaImageBlend::Multiply);
    }
    dc.DrawImage(x, y, picture, VelaImageBlend::Over);
}

void CVelaDrawManager::DrawIconWithEffects(CVelaCanvas& dc, int x, int y, int width, int height,
                                           const QImage& icon, int style, bool withShadow) {
    if (icon.isNull() || width <= 0 || height <= 0) return;
    QImage picture = Stretched(icon.convertToFormat(QImage::Format_ARGB32), width, height);
    ApplyColourEffects(picture, style, false, 0);
    DrawPictureWithEffects(dc, x, y, picture, nullptr, style, withShadow);
}

void CVelaDrawManager::DrawBitmapWithEffects(CVelaCanvas& dc, int x, int y, int width, int height,
                                             const QImage& bitmap, bool masked, COLORREF maskColour,
                                             int style, bool withShadow) {
    if (bitmap.isNull() || width <= 0 || height <= 0) return;
    QImage picture = Stretched(WithAlpha(bitmap), width, height);
    ApplyColourEffects(picture, style, masked, maskColour);
    DrawPictureWithEffects(dc, x, y, picture, nullptr, style, withShadow);
}

void CVelaDrawManager::DrawStripFrame(CVelaCanvas& dc, int x, int y, int width, int height,
                                      const QImage& strip, int frame, int frameWidth,
                                      int frameHeight, bool masked, COLORREF maskColour, int style,
                                      bool withShadow) {
    if (strip.isNull() || frameWidth <= 0 || frameHeight <= 0 || frame < 0) return;
    const int columns = strip.width() / frameWidth;
    const int rows = strip.height() / frameHeight;
    if (frame >= columns * rows) return;
    const QImage cut = strip.copy((frame % columns) * frameWidth, (frame / columns) * frameHeight,
                                  frameWidth, frameHeight);
    DrawBitmapWithEffects(dc, x, y, width, height, cut, masked, maskColour, style, withShadow);
}

void CVelaDrawManager::TileBitmap(CVelaCanvas& dc, const QRect& rect, const QImage& bitmap) {
    if (bitmap.isNull() || rect.isEmpty()) return;
    const int bw = bitmap.width(), bh = bitmap.height();
    for (int ty = rect.top(); ty <= rect.bottom(); ty += bh) {
        for (int tx = rect.left(); tx <= rect.right(); tx += bw) {
            const int w = std::min(bw, rect.right() + 1 - tx);
            const int h = std::min(bh, rect.bottom() + 1 - ty);
            dc.DrawImage(tx, ty, (w == bw && h == bh) ? bitmap : bitmap.copy(0, 0, w, h));
        }
    }
}
