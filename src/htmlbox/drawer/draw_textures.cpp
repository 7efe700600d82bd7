// The texture backgrounds: an 8-bit picture of the rectangle's size whose
// palette runs from the end colour (slot 0) over the middle colour to the
// begin colour (slot 255); every pixel value wraps modulo 256.

#include <algorithm>

#include "htmlbox/drawer/vela_draw_manager.h"

namespace {

int Cube(int d) {
    return d * d * d / 16384;
}

int Mix(COLORREF a, COLORREF b, int wa, int wb, int shift) {
    return (wa * int((a >> shift) & 0xFF) + wb * int((b >> shift) & 0xFF)) / 128;
}

}  // namespace

void CVelaDrawManager::MakeTexturePalette(COLORREF begin, COLORREF middle, COLORREF end,
                                          int blend) {
    for (int i = 0; i <= 128; ++i) {
        m_dib.SetPaletteIndex(i, Mix(end, middle, 128 - i, i, 0), Mix(end, middle, 128 - i, i, 8),
                              Mix(end, middle, 128 - i, i, 16));
    }
    for (int slot = 128; slot < 256; ++slot) {
        const int j = slot - 127;
        m_dib.SetPaletteIndex(slot, Mix(middle, begin, 128 - j, j, 0),
                              Mix(middle, begin, 128 - j, j, 8),
                              Mix(middle, begin, 128 - j, j, 16));
    }
    m_dib.BlendPalette(begin, blend);
}

bool CVelaDrawManager::ComputeTexture(int effect, int w, int h, COLORREF begin, COLORREF middle,
                                      COLORREF end, int granularity, int blend) {
    if (effect < kEffectNoise || effect > kEffectMetal) return false;
    if (!m_dib.Create(w, h, 8)) return false;
    MakeTexturePalette(begin & 0xFFFFFF, middle & 0xFFFFFF, end & 0xFFFFFF, blend);

    const int l = std::clamp(granularity, 0, 255);
    const int m = std::max(2 * l, 1);
    const int t = 32767 / m;
    const int u = 255 - 2 * l;
    auto noise = [&] { return Random() / t - l; };
    // R counts rows from the bottom of the picture, X columns from the left.
    uchar* const bits = m_dib.GetBits();
    const size_t stride = size_t(m_dib.GetStride());
    auto put = [&](int X, int R, int v) { bits[size_t(h - 1 - R) * stride + X] = uchar(v & 0xFF); };
    auto get = [&](int X, int R) { return int(bits[size_t(h - 1 - R) * stride + X]); };
    auto bump = [&](int a, int b) { return (128 - l) * Cube(a * 255 / b - 127) / 128 + 128; };

    switch (effect) {
        case kEffectNoise:
            for (int R = 0; R < h; ++R)
                for (int X = 0; X < w; ++X) put(X, R, 128 + noise());
            break;
        case kEffectDiagShade: {
            const int v = (u - l) / 2;
            for (int R = 0; R < h; ++R)
                for (int X = 0; X < w; ++X) put(X, R, l + v * R / h + v * (w - X) / w + noise());
            break;
        }
        case kEffectHShade:
            for (int R = 0; R < h; ++R)
                for (int X = 0; X < w; ++X) put(X, R, l + (u - l) * R / h + noise());
            break;
        case kEffectVShade:
            for (int R = 0; R < h; ++R)
                for (int X = 0; X < w; ++X) put(X, R, l + (u - l) * (w - X) / w + noise());
            break;
        case kEffectHBump:
            for (int R = 0; R < h; ++R)
                for (int X = 0; X < w; ++X) put(X, R, bump(R, h) + noise());
            break;
        case kEffectVBump:
            for (int R = 0; R < h; ++R)
                for (int X = 0; X < w; ++X) put(X, R, bump(w - X, w) + noise());
            break;
        case kEffectSoftBump:
            for (int R = 0; R < h; ++R) {
                for (int X = 0; X < w; ++X) {
                    int v = (128 - l) * (Cube(R * 255 / h - 127) + Cube((w - X) * 255 / w - 127)) /
                                128 +
                            128;
                    v = std::clamp(v, l, u);
                    put(X, R, v + noise());
                }
            }
            break;
        case kEffectHardBump: {
            for (int R = 0; R < h; ++R) {
                const int row = (128 - 2 * l) * Cube(R * 255 / h - 127) / 128 + 128;
                for (int X = 0; X < w; ++X) put(X, R, row + noise());
            }
            const int e = std::min(w / 6, 16);
            const long long q = static_cast<long long>(h) * h / 4;
            for (int R = 0; R < h; ++R) {
                for (int X = 0; X < w; ++X) {
                    const int dy = R - h / 2;
                    const int dx = X - w / 2;
                    const long long E =
                        w / 2 - e + (q > 0 ? static_cast<long long>(dy) * dy * e / q : 0);
                    int v = get(X, R);
                    // A picture too narrow for an edge keeps its rows.
                    if (e > 0 && dx > E) v = l + ((w - X) * 128 / e);
                    if (e > 0 && dx + E < 0) v = u - (X * 128 / e);
                    put(X, R, v + noise());
                }
            }
            break;
        }
        case kEffectMetal: {
            m_dib.Clear(0);
            const int minSide = std::min(w, h);
            for (int stroke = 0; stroke < 200; ++stroke) {
                // Pictures smaller than the generator's range divide by at least 1.
                const int x0 = Random() / std::max(32767 / w, 1);
                const int y0 = Random() / std::max(32767 / h, 1);
                const int L = (Random() / std::max(32767 / minSide, 1)) / 2;
                const int c = Random() / 819;
                for (int k = 0; k < L; ++k) {
                    if (x0 - k > 0 && y0 + k < h) m_dib.SetPixelIndex(x0 - k, y0 + k, quint8(c));
                    if (x0 + k < w && y0 - k > 0)
                        m_dib.SetPixelIndex(w - x0 + k, y0 - k, quint8(c));
                }
            }
            const int s = (u - l - 40) / 2;
            for (int R = 0; R < h; ++R)
                for (int X = 0; X < w; ++X)
                    put(X, R, get(X, R) + s * R / h + s * (w - X) / w + Random() / t);
            break;
        }
        default:
            break;
    }
    return true;
}
