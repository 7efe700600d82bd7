#include "htmlbox/vela_box_paint.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPalette>

namespace {

constexpr int kInset = 5;

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
            painter.setPen(Qt::black);
            painter.drawLine(left, y, right - 1, y);
            break;
        case 3:
            painter.setPen(Qt::white);
            painter.drawLine(left, y, right - 1, y);
            break;
        default:
            break;
    }
}

// The disabled look of a text: a light copy one pixel down and right under a grey one.
void DrawEmbossed(QPainter& painter, const QRect& rect, const QString& text) {
    painter.setPen(Qt::white);
    painter.drawText(rect.translated(1, 1), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     text);
    painter.setPen(QApplication::palette().color(QPalette::Disabled, QPalette::WindowText));
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

}  // namespace

QColor AreaColour(const QColor& colour) {
    return colour.isValid() ? colour : QApplication::palette().color(QPalette::Button);
}

bool DrawAreaBackground(QPainter& painter, const QRect& rect, const VelaMessageBoxArea& area) {
    if (area.effect < 0 || rect.isEmpty()) return false;
    // Begin at the top edge, middle across the centre line, end at the bottom.
    QLinearGradient band(rect.topLeft(), rect.bottomLeft());
    band.setColorAt(0.0, AreaColour(area.begin));
    band.setColorAt(0.5, AreaColour(area.middle));
    band.setColorAt(1.0, AreaColour(area.end));
    painter.fillRect(rect, band);
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
