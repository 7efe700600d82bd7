#include "htmlbox/drawer/vela_draw_manager.h"

#include <algorithm>

#include "htmlbox/drawer/style_values.h"

namespace {

constexpr int kMaxTextureSide = 8192;

const char* const kEffectNames[] = {"solid",      "hgradient",  "vgradient",  "hcgradient",
                                    "vcgradient", "3hgradient", "3vgradient", "noise",
                                    "diagshade",  "hshade",     "vshade",     "hbump",
                                    "vbump",      "softbump",   "hardbump",   "metal"};

int Channel(COLORREF a, COLORREF b, int i, int shift) {
    const int ca = int((a >> shift) & 0xFF);
    const int cb = int((b >> shift) & 0xFF);
    return (ca * (64 - i) + cb * i) >> 6;
}

VelaPenStyle PenStyle(int style) {
    switch (style) {
        case 2:
            return VelaPenStyle::Dash;
        case 3:
            return VelaPenStyle::Dot;
        case 4:
            return VelaPenStyle::DashDot;
        case 5:
            return VelaPenStyle::DashDotDot;
        default:
            return VelaPenStyle::Solid;
    }
}

}  // namespace

CVelaDrawManager::CVelaDrawManager() = default;

int CVelaDrawManager::EffectFromName(const QString& name, int current) {
    if (name.isEmpty()) return current;
    if (name == "transparent") return kEffectTransparent;
    for (int i = 0; i < 16; ++i) {
        if (name == QLatin1String(kEffectNames[i])) return i;
    }
    VelaValueContext ctx;
    return ReadSize(name, current, false, ctx);
}

QString CVelaDrawManager::EffectName(int effect) {
    if (effect >= 0 && effect < 16) return QString::fromLatin1(kEffectNames[effect]);
    return QStringLiteral("transparent");
}

int CVelaDrawManager::Random() {
    // A plain linear congruential generator over 0 to 32767.
    m_random = m_random * 214013u + 2531011u;
    return int((m_random >> 16) & 0x7FFF);
}

void CVelaDrawManager::DrawEffectBackground(CVelaCanvas& dc, int effect, const QRect& rect,
                                            COLORREF begin, COLORREF middle, COLORREF end,
                                            int granularity, int blend) {
    begin &= 0xFFFFFF;
    middle &= 0xFFFFFF;
    end &= 0xFFFFFF;
    if (rect.width() <= 0 || rect.height() <= 0) return;
    const int l = rect.left(), t = rect.top(), w = rect.width(), h = rect.height();
    switch (effect) {
        case kEffectHGradient:
            FillGradient(dc, rect, begin, end, true);
            return;
        case kEffectVGradient:
            FillGradient(dc, rect, begin, end, false);
            return;
        case kEffectHCGradient:
            FillGradient(dc, QRect(l, t, w / 2, h), begin, end, true);
            FillGradient(dc, QRect(l + w / 2, t, w - w / 2, h), end, begin, true);
            return;
        case kEffectVCGradient:
            FillGradient(dc, QRect(l, t, w, h / 2), begin, end, false);
            FillGradient(dc, QRect(l, t + h / 2, w, h - h / 2), end, begin, false);
            return;
        case kEffect3HGradient:
            FillGradient(dc, QRect(l, t, w / 2, h), begin, middle, true);
            FillGradient(dc, QRect(l + w / 2, t, w - w / 2, h), middle, end, true);
            return;
        case kEffect3VGradient:
            FillGradient(dc, QRect(l, t, w, h / 2), begin, middle, false);
            FillGradient(dc, QRect(l, t + h / 2, w, h - h / 2), middle, end, false);
            return;
        default:
            break;
    }
    if (effect >= kEffectNoise && effect <= kEffectMetal) {
        // A texture is one byte a pixel: beyond a screen's size the rest of
        // the rectangle gets the begin colour instead.
        const int tw = std::min(w, kMaxTextureSide), th = std::min(h, kMaxTextureSide);
        if (tw < w) dc.FillRect(QRect(l + tw, t, w - tw, h), VelaToQColor(begin));
        if (th < h) dc.FillRect(QRect(l, t + th, tw, h - th), VelaToQColor(begin));
        if (ComputeTexture(effect, tw, th, begin, middle, end, granularity, blend)) {
            m_dib.Draw(dc, l, t);
        }
        return;
    }
    dc.FillRect(rect, VelaToQColor(begin));
}

void CVelaDrawManager::FillGradient(CVelaCanvas& dc, const QRect& rect, COLORREF from, COLORREF to,
                                    bool horizontal) {
    const int size = horizontal ? rect.width() : rect.height();
    const int start = horizontal ? rect.left() : rect.top();
    if (size <= 0) return;
    for (int i = 0; i < 64; ++i) {
        const int a = start + ((i * size) >> 6);
        const int b = start + (((i + 1) * size) >> 6);
        if (b <= a) continue;
        const QColor c(Channel(from, to, i, 0), Channel(from, to, i, 8), Channel(from, to, i, 16));
        if (horizontal) {
            dc.FillRect(QRect(a, rect.top(), b - a, rect.height()), c);
        } else {
            dc.FillRect(QRect(rect.left(), a, rect.width(), b - a), c);
        }
    }
}

void CVelaDrawManager::DrawStyledLine(CVelaCanvas& dc, int x1, int y1, int x2, int y2,
                                      COLORREF colour, int style, int width) {
    if (style == 0 || width <= 0) return;
    const QColor c = VelaToQColor(colour);
    const VelaPenStyle pen = PenStyle(style);
    dc.DrawLine(QPoint(x1, y1), QPoint(x2, y2), c, width, pen);
    if (style == 6) {
        const int d = 2 * width;
        if (x1 == x2) {
            dc.DrawLine(QPoint(x1 + d, y1), QPoint(x2 + d, y2), c, width, pen);
        } else {
            dc.DrawLine(QPoint(x1, y1 + d), QPoint(x2, y2 + d), c, width, pen);
        }
    }
}

void CVelaDrawManager::DrawStyledRectangle(CVelaCanvas& dc, const QRect& rect, COLORREF light,
                                           COLORREF dark, int style, int width) {
    if (style == 0 || width <= 0) return;
    const VelaPenStyle pen = PenStyle(style);
    const QColor cl = VelaToQColor(light), cd = VelaToQColor(dark);
    auto outline = [&](int inset) {
        const int half = width / 2 + inset;
        const int l = rect.left() + half, t = rect.top() + half;
        const int r = rect.right() - half, b = rect.bottom() - half;
        if (r < l || b < t) return;
        dc.DrawLine(QPoint(l, b), QPoint(l, t), cl, width, pen);
        dc.DrawLine(QPoint(l, t), QPoint(r, t), cl, width, pen);
        dc.DrawLine(QPoint(r, t), QPoint(r, b), cd, width, pen);
        dc.DrawLine(QPoint(r, b), QPoint(l, b), cd, width, pen);
    };
    outline(0);
    if (style == 6) outline(2 * width);
}
