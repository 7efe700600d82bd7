#pragma once

#include <QString>
#include <functional>

#include "htmlbox/drawer/vela_canvas.h"

class CVelaColourNames;

// What reading a value needs to know about the drawer: the context's
// resolution and fonts for sizes, the colour names and the colour options.
struct VelaValueContext {
    int dotsPerInchY = 96;
    // Height of the current font and of the text "x" in it.
    std::function<int()> fontHeight;
    std::function<int()> xHeight;
    const CVelaColourNames* colourNames = nullptr;
    bool coloursEnabled = true;
    COLORREF disabledColour = VelaRGB(160, 160, 160);
};

// A size in pixels: "px", "ex", "em", "in", "cm", "mm", "pt", "pc", a
// percentage of `current`, or a plain number (hexadecimal with 0x, octal with
// a leading 0). In font-size mode the plain sizes 1 to 7 are the seven font
// sizes 8 to 36. An empty text leaves `current`.
int ReadSize(const QString& text, int current, bool fontSizeMode, const VelaValueContext& ctx);

// "#rrggbb", a number taken as a COLORREF, or a colour name; anything else
// leaves `current`. With colours disabled, always the disabled colour.
COLORREF ReadColour(const QString& text, COLORREF current, const VelaValueContext& ctx);

// A plain unsigned number with automatic base, as strtoul reads it.
quint32 ReadUnsigned(const QString& text);

// The keyword readers: each returns the new value, or `current` when the
// keyword is not one they know.
int ReadWeight(const QString& text, int current);
bool ReadItalic(const QString& text, bool current);
int ReadAlign(const QString& text, int current);
int ReadVAlign(const QString& text, int current);
int ReadTransform(const QString& text, int current);
int ReadBorderStyle(const QString& text, int current);

// MulDiv: a × b / c rounded half away from zero; 0 when c is 0.
int VelaMulDiv(int a, int b, int c);
