#include "htmlbox/vela_box_paint.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>

#include "htmlbox/drawer/painter_canvas.h"
#include "htmlbox/drawer/vela_draw_manager.h"

namespace {

constexpr int kInset = 5;
constexpr int kSolid = 1;

void DrawLine(QPainter& painter, unsigned style, int left, int right, int y) {
    if (left >= right) return;
    switch (style) {
        case 1:  // an etched edge: a shadow line over a light one
            painter.setPen(QApplication::palette().color(QPalette::Dark));
            painter.drawLine(left, y, right - 1, y);
            painter.setPen(Qt::white);
            painter.drawLine(left, y + 1, right - 1, y + 1);
            break;
        case 2:
        case 3: {
            CVelaPainterCanvas canvas(painter);
            CVelaDrawManager().DrawStyledLine(
                canvas, left, y, right - 1, y,
                style == 2 ? VelaRGB(0, 0, 0) : VelaRGB(255, 255, 255), kSolid, 1);
            break;
        }
        default:
            break;
    }
}

// The disabled look of a text: a light copy one pixel down and right under a grey one.
void DrawEmbossed(QPainter& painter, const QRect& rect, const QString& text) {
    painter.setPen(Qt::white);
    painter.drawText(rect.translated(1, 1), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     text);
    painter.setPen(QApplication::palette().color(QPalette::Dark));
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

COLORREF AreaColourRef(const QColor& colour) {
    return VelaFromQColor(AreaColour(colour));
}

}  // namespace

QColor AreaColour(const QColor& colour) {
    return colour.isValid() ? colour : QApplication::palette().color(QPalette::Button);
}

bool DrawAreaBackground(QPainter& painter, const QRect& rect, const VelaMessageBoxArea& area) {
    if (area.effect < 0 || rect.isEmpty()) return false;
    CVelaPainterCanvas canvas(painter);
    CVelaDrawManager().DrawEffectBackground(canvas, area.effect, rect, AreaColourRef(area.begin),
                                            AreaColourRef(area.middle), AreaColourRef(area.end), 0,
                                            0);
    return true;
}

void DrawAreaSeparator(QPainter& painter, const QRect& rect, const VelaMessageBoxArea& area,
                       const QString& text, const QFont& font) {
    const int left = rect.left() + kInset;
    const int right = rect.right() + 1 - kInset;
    const int y = rect.top();
    // Without a text, or with an alignment that places none: the line alone.
    if (text.isEmpty() || area.separatorAlign > 2) {
        DrawLine(painter, area.separatorStyle, left, right, y);
        return;
    }
    painter.save();
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const int w = metrics.horizontalAdvance(text);
    const int h = metrics.height();
    const int top = y - h / 2;
    switch (area.separatorAlign) {
        case 0:
            DrawEmbossed(painter, QRect(left, top, w, h), text);
            DrawLine(painter, area.separatorStyle, left + w + kInset, right, y);
            break;
        case 1:
            DrawEmbossed(painter, QRect(right - w, top, w, h), text);
            DrawLine(painter, area.separatorStyle, left, right - w - kInset, y);
            break;
        default: {
            const int textLeft = left + (right - left - w) / 2;
            DrawEmbossed(painter, QRect(textLeft, top, w, h), text);
            DrawLine(painter, area.separatorStyle, left, textLeft - kInset, y);
            DrawLine(painter, area.separatorStyle, textLeft + w + kInset, right, y);
            break;
        }
    }
    painter.restore();
}
