#include "htmlbox/standard_icons.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>

QImage StandardMessageIcon(int style) {
    QStyle::StandardPixmap which;
    switch (style & 0xF0) {
        case 0x10:
            which = QStyle::SP_MessageBoxCritical;
            break;
        case 0x20:
            which = QStyle::SP_MessageBoxQuestion;
            break;
        case 0x30:
            which = QStyle::SP_MessageBoxWarning;
            break;
        case 0x40:
            which = QStyle::SP_MessageBoxInformation;
            break;
        default:
            return QImage();
    }
    QStyle* s = QApplication::style();
    if (!s) return QImage();
    const QIcon icon = s->standardIcon(which);
    if (icon.isNull()) return QImage();
    return icon.pixmap(kSystemIconSize, kSystemIconSize)
        .toImage()
        .scaled(kSystemIconSize, kSystemIconSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}
