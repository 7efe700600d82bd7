#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QtGlobal>

// Colours of the markup are kept the way the message-box world writes them: a
// 32-bit value with red in the lowest byte, green in the next and blue above.
using COLORREF = quint32;

constexpr COLORREF VelaRGB(int red, int green, int blue) {
    return COLORREF(red & 0xFF) | (COLORREF(green & 0xFF) << 8) | (COLORREF(blue & 0xFF) << 16);
}
constexpr int VelaRed(COLORREF c) {
    return int(c & 0xFF);
}
constexpr int VelaGreen(COLORREF c) {
    return int((c >> 8) & 0xFF);
}
constexpr int VelaBlue(COLORREF c) {
    return int((c >> 16) & 0xFF);
}
inline QColor VelaToQColor(COLORREF c) {
    return QColor(VelaRed(c), VelaGreen(c), VelaBlue(c));
}
inline COLORREF VelaFromQColor(const QColor& c) {
    return VelaRGB(c.red(), c.green(), c.blue());
}

// A font as the style record describes it. `size` is the cell height in pixels
// (ascent plus descent), not the em size.
struct VelaFont {
    QString face = QStringLiteral("Verdana");
    int size = 16;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;

    bool operator==(const VelaFont& o) const {
        return face == o.face && size == o.size && weight == o.weight && italic == o.italic &&
               underline == o.underline && strikeout == o.strikeout;
    }
    bool operator!=(const VelaFont& o) const { return !(*this == o); }
};

// What measuring a run gives: its advance width and the height and ascent of
// the font it is set in (also for an empty run).
struct VelaTextExtent {
    int width = 0;
    int height = 0;
    int ascent = 0;
};

enum class VelaPenStyle { Solid, Dash, Dot, DashDot, DashDotDot };

// How a picture meets what is already drawn: painted over it (its alpha
// respected), or multiplying it (shadows darken what lies beneath).
enum class VelaImageBlend { Over, Multiply };

// Everything the drawer and the draw manager paint goes through this seam.
// The screen implementation wraps a QPainter; tests record the calls with
// fixed metrics. Rectangles are Qt rectangles (x, y, width, height).
class CVelaCanvas {
public:
    virtual ~CVelaCanvas() = default;

    virtual VelaTextExtent MeasureText(const VelaFont& font, const QString& text) = 0;
    // Vertical resolution used by the "pt", "in", "cm", "mm" and "pc" units.
    virtual int DotsPerInchY() const { return 96; }
    // `y` is the top of the text cell; with `opaque` the run's box is filled
    // with `background` first.
    virtual void DrawText(const VelaFont& font, int x, int y, const QString& text,
                          const QColor& colour, bool opaque, const QColor& background) = 0;
    virtual void FillRect(const QRect& rect, const QColor& colour) = 0;
    // A line from `from` to `to`, both end points covered, whose pen is `width`
    // pixels thick and centred on it.
    virtual void DrawLine(QPoint from, QPoint to, const QColor& colour, int width,
                          VelaPenStyle style) = 0;
    virtual void DrawImage(int x, int y, const QImage& image,
                           VelaImageBlend blend = VelaImageBlend::Over) = 0;
    // Limits later drawing to `rect` until ClearClip.
    virtual void SetClip(const QRect& rect) = 0;
    virtual void ClearClip() = 0;
};
