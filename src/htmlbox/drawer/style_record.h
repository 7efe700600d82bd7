#pragma once

#include <QString>

#include "htmlbox/drawer/vela_canvas.h"

// The largest font cell the drawer asks a canvas for.
constexpr int kMaxFontSize = 1000;

// The current formatting state of the drawer; the style stack holds copies.
struct VelaStyle {
    QString group;  // closing group of the tag that saved this copy
    int fontSize = 16;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    bool overline = false;
    QString face = QStringLiteral("Verdana");
    COLORREF textColour = VelaRGB(0, 0, 0);
    COLORREF backColour = VelaRGB(255, 255, 255);
    COLORREF borderLight = VelaRGB(0, 0, 0);
    COLORREF borderDark = VelaRGB(0, 0, 0);
    COLORREF backMiddle = VelaRGB(255, 255, 255);
    COLORREF backEnd = VelaRGB(255, 255, 255);
    int backMode = 1;  // 1 transparent, 2 opaque
    int backEffect = -1;
    QString backImage;
    int align = 0;        // 0 left, 1 centre, 2 right, 3 justify
    int valign = 3;       // 0 top, 1 middle, 2 bottom, 3 baseline
    int borderStyle = 0;  // 0 none, 1 solid, 2 dashed, 3 dotted, 6 double
    int borderWidth = 0;
    int width = 0;   // tables and cells
    int height = 0;  // tables and cells
    int work1 = 0;
    int work2 = 0;
    int transform = 0;  // 0 none, 1 upper, 2 lower, 3 capitalise
    int padding = 2;    // inside cells
    int spacing = 0;    // between cells
    int linkKind = 0;   // 0 none, 1 address, 2 message
    QString linkText;

    VelaFont Font() const {
        VelaFont f;
        f.face = face.left(31);
        // No glyph larger than a screen: a runaway size must not exhaust memory.
        f.size = fontSize < 1 ? 1 : (fontSize > kMaxFontSize ? kMaxFontSize : fontSize);
        f.weight = weight;
        f.italic = italic;
        f.underline = underline;
        f.strikeout = strikeout;
        return f;
    }
};

// The start of every pass; width, height and the two working values are
// carried over from whatever record the pass starts from.
inline void ResetToDefaultStyle(VelaStyle& s) {
    VelaStyle d;
    d.width = s.width;
    d.height = s.height;
    d.work1 = s.work1;
    d.work2 = s.work2;
    s = d;
}
