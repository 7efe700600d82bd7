#include "app/view/view_fonts.h"

#include <QFontMetrics>

QFont FontOfCellHeight(const QString& family, int cellHeight, QFont::Weight weight) {
    QFont font(family);
    font.setWeight(weight);
    font.setStyleHint(QFont::SansSerif);
    int pixels = cellHeight;
    font.setPixelSize(pixels);
    // The cell is larger than the em square; shrink until the line fits.
    while (pixels > 6 && QFontMetrics(font).height() > cellHeight) {
        --pixels;
        font.setPixelSize(pixels);
    }
    return font;
}
