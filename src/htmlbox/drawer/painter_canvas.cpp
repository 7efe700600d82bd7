#include "htmlbox/drawer/painter_canvas.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>

CVelaPainterCanvas::CVelaPainterCanvas(QPainter& painter) : m_painter(painter) {}

QFont CVelaPainterCanvas::ToQFont(const VelaFont& font) {
    const QString key = QStringLiteral("%1|%2|%3|%4%5%6")
                            .arg(font.face)
                            .arg(font.size)
                            .arg(font.weight)
                            .arg(int(font.italic))
                            .arg(int(font.underline))
                            .arg(int(font.strikeout));
    const auto it = m_fonts.constFind(key);
    if (it != m_fonts.constEnd()) return *it;

    QFont f(font.face);
    const int cell = std::max(1, font.size);
    f.setPixelSize(cell);
    // The record's size is the whole cell (ascent and descent); Qt's pixel
    // size is the em, so shrink it until the cell fits.
    for (int k = 0; k < 4; ++k) {
        const int h = QFontMetrics(f).height();
        if (h <= cell || f.pixelSize() <= 1) break;
        f.setPixelSize(std::max(1, f.pixelSize() * cell / h));
    }
    f.setWeight(QFont::Weight(std::clamp(font.weight, 1, 1000)));
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeout);
    m_fonts.insert(key, f);
    return f;
}

VelaTextExtent CVelaPainterCanvas::MeasureText(const VelaFont& font, const QString& text) {
    const QFontMetrics fm(ToQFont(font));
    return {fm.horizontalAdvance(text), fm.height(), fm.ascent()};
}

int CVelaPainterCanvas::DotsPerInchY() const {
    const QPaintDevice* device = m_painter.device();
    const int dpi = device ? device->logicalDpiY() : 96;
    return dpi > 0 ? dpi : 96;
}

void CVelaPainterCanvas::DrawText(const VelaFont& font, int x, int y, const QString& text,
                                  const QColor& colour, bool opaque, const QColor& background) {
    const QFont f = ToQFont(font);
    const QFontMetrics fm(f);
    if (opaque)
        m_painter.fillRect(QRect(x, y, fm.horizontalAdvance(text), fm.height()), background);
    m_painter.setFont(f);
    m_painter.setPen(colour);
    m_painter.drawText(QPoint(x, y + fm.ascent()), text);
}

void CVelaPainterCanvas::FillRect(const QRect& rect, const QColor& colour) {
    m_painter.fillRect(rect, colour);
}

void CVelaPainterCanvas::DrawLine(QPoint from, QPoint to, const QColor& colour, int width,
                                  VelaPenStyle style) {
    Qt::PenStyle qs = Qt::SolidLine;
    switch (style) {
        case VelaPenStyle::Dash:
            qs = Qt::DashLine;
            break;
        case VelaPenStyle::Dot:
            qs = Qt::DotLine;
            break;
        case VelaPenStyle::DashDot:
            qs = Qt::DashDotLine;
            break;
        case VelaPenStyle::DashDotDot:
            qs = Qt::DashDotDotLine;
            break;
        case VelaPenStyle::Solid:
            break;
    }
    const bool aa = m_painter.testRenderHint(QPainter::Antialiasing);
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    if (qs == Qt::SolidLine) {
        // A solid line is the band of pixels it covers, end points included.
        const int lo = (width - 1) / 2;
        if (from.y() == to.y()) {
            const int l = std::min(from.x(), to.x()), r = std::max(from.x(), to.x());
            m_painter.fillRect(QRect(l, from.y() - lo, r - l + 1, width), colour);
        } else if (from.x() == to.x()) {
            const int t = std::min(from.y(), to.y()), b = std::max(from.y(), to.y());
            m_painter.fillRect(QRect(from.x() - lo, t, width, b - t + 1), colour);
        } else {
            m_painter.setPen(QPen(colour, width, qs, Qt::SquareCap));
            m_painter.drawLine(from, to);
        }
    } else {
        QPen pen(colour, width, qs, Qt::FlatCap);
        m_painter.setPen(pen);
        m_painter.drawLine(from, to);
    }
    m_painter.setRenderHint(QPainter::Antialiasing, aa);
}

void CVelaPainterCanvas::DrawImage(int x, int y, const QImage& image, VelaImageBlend blend) {
    const QPainter::CompositionMode old = m_painter.compositionMode();
    if (blend == VelaImageBlend::Multiply)
        m_painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    m_painter.drawImage(QPoint(x, y), image);
    m_painter.setCompositionMode(old);
}

void CVelaPainterCanvas::SetClip(const QRect& rect) {
    m_painter.setClipRect(rect);
}

void CVelaPainterCanvas::ClearClip() {
    m_painter.setClipping(false);
}
