#include "htmlbox/drawer/style_values.h"

#include <cstdlib>
#include <cstring>

#include "htmlbox/drawer/colour_names.h"

namespace {

bool IsAsciiDigit(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// The leading decimal integer of `text` (0 when there is none).
int LeadingInteger(const QString& text) {
    long long value = 0;
    for (const QChar c : text) {
        if (!IsAsciiDigit(c)) break;
        value = value * 10 + (c.unicode() - '0');
        if (value > 1000000) break;  // far beyond any size a picture can hold
    }
    return int(value);
}

int HexDigit(QChar c) {
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

int Clamp(long long v) {
    if (v > 1000000) return 1000000;
    if (v < -1000000) return -1000000;
    return int(v);
}

}  // namespace

int VelaMulDiv(int a, int b, int c) {
    if (c == 0) return 0;
    const long long p = static_cast<long long>(a) * b;
    long long q = p / c;
    const long long r = p % c;
    // Rounded half away from zero.
    if (2 * (r < 0 ? -r : r) >= (c < 0 ? -c : c)) q += ((p < 0) != (c < 0)) ? -1 : 1;
    return Clamp(q);
}

quint32 ReadUnsigned(const QString& text) {
    const QByteArray latin = text.trimmed().toLatin1();
    return quint32(std::strtoul(latin.constData(), nullptr, 0));
}

int ReadSize(const QString& text, int current, bool fontSizeMode, const VelaValueContext& ctx) {
    if (text.isEmpty()) return current;
    if (text.endsWith('%')) return VelaMulDiv(current, LeadingInteger(text), 100);
    QString t = text;
    if (t.startsWith('+') || t.startsWith('-') || t.startsWith(QChar(0x2212))) t.remove(0, 1);
    const long long n = LeadingInteger(t);
    const QString unit = t.right(2);
    const int dpi = ctx.dotsPerInchY > 0 ? ctx.dotsPerInchY : 96;
    long long result = 0;
    if (unit == "px") {
        result = n;
    } else if (unit == "ex") {
        result = n * (ctx.xHeight ? ctx.xHeight() : 0);
    } else if (unit == "em") {
        result = n * (ctx.fontHeight ? ctx.fontHeight() : 0);
    } else if (unit == "in") {
        result = n * dpi;
    } else if (unit == "cm") {
        result = static_cast<long long>(n * dpi / 2.54);
    } else if (unit == "mm") {
        result = static_cast<long long>(n * dpi / 25.4);
    } else if (unit == "pt") {
        result = n * dpi / 72;
    } else if (unit == "pc") {
        result = n * dpi / 6;
    } else {
        result = ReadUnsigned(t);
        if (fontSizeMode && result >= 1 && result <= 7) {
            static const int kFontSizes[] = {8, 10, 12, 14, 18, 24, 36};
            result = kFontSizes[result - 1];
        }
    }
    return Clamp(result);
}

COLORREF ReadColour(const QString& text, COLORREF current, const VelaValueContext& ctx) {
    if (!ctx.coloursEnabled) return ctx.disabledColour;
    if (text.isEmpty()) return current;
    if (text.startsWith('#')) {
        if (text.size() != 7) return current;
        int channel[3];
        for (int k = 0; k < 3; ++k) {
            const int hi = HexDigit(text[1 + 2 * k]);
            const int lo = HexDigit(text[2 + 2 * k]);
            if (hi < 0 || lo < 0) return current;
            channel[k] = hi * 16 + lo;
        }
        return VelaRGB(channel[0], channel[1], channel[2]);
    }
    if (IsAsciiDigit(text[0])) return ReadUnsigned(text) & 0xFFFFFF;
    if (ctx.colourNames) {
        if (const auto named = ctx.colourNames->Find(text)) return *named;
    }
    return current;
}

int ReadWeight(const QString& text, int current) {
    if (text.isEmpty() || text == "normal") return 400;
    if (text == "bold") return 700;
    if (text == "bolder") return 900;
    if (text == "lighter") return 100;
    if (IsAsciiDigit(text[0])) return LeadingInteger(text);
    return current;
}

bool ReadItalic(const QString& text, bool current) {
    if (text.isEmpty() || text == "normal") return false;
    if (text == "italic" || text == "oblique") return true;
    return current;
}

int ReadAlign(const QString& text, int current) {
    if (text.isEmpty() || text == "left") return 0;
    if (text == "center") return 1;
    if (text == "right") return 2;
    return current;
}

int ReadVAlign(const QString& text, int current) {
    if (text.isEmpty() || text == "baseline") return 3;
    if (text == "middle" || text == "vcenter") return 1;
    if (text == "top") return 0;
    if (text == "bottom") return 2;
    return current;
}

int ReadTransform(const QString& text, int current) {
    if (text.isEmpty() || text == "none") return 0;
    if (text == "uppercase") return 1;
    if (text == "lowercase") return 2;
    if (text == "capitalize") return 3;
    return current;
}

int ReadBorderStyle(const QString& text, int current) {
    if (text.isEmpty() || text == "none") return 0;
    if (text == "solid") return 1;
    if (text == "dotted") return 3;
    if (text == "dashed") return 2;
    if (text == "double") return 6;
    return current;
}
