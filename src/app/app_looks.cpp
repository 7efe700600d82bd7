#include "app/app_looks.h"

#include <QColor>
#include <QWidget>

namespace {

// The colours one look is made of.
struct LookColors {
    const char* name;
    const char* barTop;     // menu bar, toolbar and status bar, top of their gradient
    const char* barBottom;  // bottom of the gradient (equal to barTop for a flat look)
    const char* barText;    // text on the bars
    const char* border;     // lines around bars, menus and buttons
    const char* menuBack;   // the drop-down menus
    const char* menuText;
    const char* hot;        // an item under the mouse
    const char* hotBottom;  // its gradient end
    const char* hotText;
    const char* hotBorder;
    const char* buttonTop;  // push buttons
    const char* buttonBottom;
    const char* buttonText;
    const char* disabledText;
    int radius;  // corner rounding of buttons and hot items
};

// Older looks are flat and square; the Office 2007 family is rounded, with
// glossy bars and the warm highlight of that generation.
const LookColors kLooks[] = {
    {"Windows 2000", "#d4d0c8", "#d4d0c8", "#000000", "#808080", "#d4d0c8", "#000000", "#0a246a",
     "#0a246a", "#ffffff", "#0a246a", "#d4d0c8", "#d4d0c8", "#000000", "#808080", 0},
    {"Office XP", "#f9f8f7", "#f9f8f7", "#000000", "#8c8c8c", "#fcfcfc", "#000000", "#b6bdd2",
     "#b6bdd2", "#000000", "#0a246a", "#f0efea", "#f0efea", "#000000", "#a0a0a0", 0},
    {"Windows XP", "#ece9d8", "#ece9d8", "#000000", "#003c74", "#ffffff", "#000000", "#316ac5",
     "#316ac5", "#ffffff", "#316ac5", "#ffffff", "#e3e2da", "#000000", "#aca899", 3},
    {"Office 2003", "#ddecfe", "#81a9e2", "#000000", "#3b619c", "#f6f6f6", "#000000", "#ffeec2",
     "#ffeec2", "#000000", "#000080", "#ddecfe", "#a9c8f5", "#000000", "#8d8d8d", 0},
    {"Visual Studio 2005", "#fafaf9", "#dcd9cb", "#000000", "#a0a0a0", "#fcfcf9", "#000000",
     "#c1d2ee", "#c1d2ee", "#000000", "#316ac5", "#fcfcfb", "#e5e3d8", "#000000", "#a0a0a0", 1},
    {"Office 2007 (blue)", "#e3efff", "#afd2ff", "#15428b", "#8db2e3", "#fafafa", "#000000",
     "#fff5cc", "#ffd88a", "#15428b", "#e0b45f", "#f1f7ff", "#c4ddff", "#15428b", "#8d9bb0", 3},
    {"Office 2007 (black)", "#5d5d5d", "#2b2b2b", "#ffffff", "#1f1f1f", "#f5f5f5", "#000000",
     "#fff5cc", "#ffd88a", "#000000", "#e0b45f", "#6e6e6e", "#3e3e3e", "#ffffff", "#9a9a9a", 3},
    {"Office 2007 (silver)", "#f4f6f9", "#c9cfd9", "#3b3b3b", "#a5acb5", "#fafafa", "#000000",
     "#fff5cc", "#ffd88a", "#3b3b3b", "#e0b45f", "#fbfcfd", "#d7dce4", "#3b3b3b", "#9a9a9a", 3},
    {"Office 2007 (aqua)", "#eaf4f7", "#a9d0dd", "#1e4b5c", "#85b6c6", "#fafafa", "#000000",
     "#fff5cc", "#ffd88a", "#1e4b5c", "#e0b45f", "#f3fafc", "#bfe0ea", "#1e4b5c", "#8aa3ab", 3},
};

QString Gradient(const char* top, const char* bottom) {
    return QStringLiteral("qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %1, stop:1 %2)")
        .arg(QLatin1String(top), QLatin1String(bottom));
}

QString SheetOf(const LookColors& c) {
    const QString bar = Gradient(c.barTop, c.barBottom);
    const QString hot = Gradient(c.hot, c.hotBottom);
    const QString button = Gradient(c.buttonTop, c.buttonBottom);
    const QString pressed = Gradient(c.hotBottom, c.hot);
    QString sheet;
    sheet +=
        QStringLiteral("QMenuBar { background: %1; color: %2; border-bottom: 1px solid %3; }\n")
            .arg(bar, QLatin1String(c.barText), QLatin1String(c.border));
    sheet += QStringLiteral("QMenuBar::item { background: transparent; padding: 3px 9px; }\n");
    sheet += QStringLiteral(
                 "QMenuBar::item:selected { background: %1; color: %2; border: 1px solid %3; "
                 "border-radius: %4px; }\n")
                 .arg(hot, QLatin1String(c.hotText), QLatin1String(c.hotBorder))
                 .arg(c.radius);
    sheet +=
        QStringLiteral("QMenu { background: %1; color: %2; border: 1px solid %3; }\n")
            .arg(QLatin1String(c.menuBack), QLatin1String(c.menuText), QLatin1String(c.border));
    sheet += QStringLiteral("QMenu::item { padding: 4px 28px 4px 26px; }\n");
    sheet += QStringLiteral("QMenu::item:selected { background: %1; color: %2; }\n")
                 .arg(hot, QLatin1String(c.hotText));
    sheet +=
        QStringLiteral("QMenu::item:disabled { color: %1; }\n").arg(QLatin1String(c.disabledText));
    sheet += QStringLiteral("QMenu::separator { height: 1px; background: %1; margin: 3px 4px; }\n")
                 .arg(QLatin1String(c.border));
    sheet +=
        QStringLiteral("QToolBar { background: %1; border: none; padding: 2px; spacing: 3px; }\n")
            .arg(bar);
    sheet += QStringLiteral(
                 "QToolBar QToolButton { border: 1px solid transparent; border-radius: %1px; "
                 "padding: 2px; }\n")
                 .arg(c.radius);
    sheet +=
        QStringLiteral("QToolBar QToolButton:hover { background: %1; border: 1px solid %2; }\n")
            .arg(hot, QLatin1String(c.hotBorder));
    sheet += QStringLiteral("QToolBar QToolButton:pressed { background: %1; }\n").arg(pressed);
    sheet += QStringLiteral("QStatusBar { background: %1; color: %2; }\n")
                 .arg(bar, QLatin1String(c.barText));
    sheet += QStringLiteral("QStatusBar QLabel { color: %1; padding: 0px 4px; }\n")
                 .arg(QLatin1String(c.barText));
    sheet += QStringLiteral("QStatusBar::item { border: 1px solid %1; border-radius: %2px; }\n")
                 .arg(QLatin1String(c.border))
                 .arg(c.radius);
    sheet += QStringLiteral(
                 "QPushButton { background: %1; color: %2; border: 1px solid %3; "
                 "border-radius: %4px; padding: 2px 3px; }\n")
                 .arg(button, QLatin1String(c.buttonText), QLatin1String(c.border))
                 .arg(c.radius);
    sheet +=
        QStringLiteral("QPushButton:hover { background: %1; color: %2; border: 1px solid %3; }\n")
            .arg(hot, QLatin1String(c.hotText), QLatin1String(c.hotBorder));
    sheet += QStringLiteral("QPushButton:pressed { background: %1; }\n").arg(pressed);
    sheet +=
        QStringLiteral("QPushButton:disabled { color: %1; }\n").arg(QLatin1String(c.disabledText));
    sheet += QStringLiteral("QPushButton:focus { border: 1px solid %1; }\n")
                 .arg(QLatin1String(c.hotBorder));
    return sheet;
}

QPalette PaletteOf(const LookColors& c) {
    QPalette palette;
    const QColor bar(QLatin1String(c.barBottom));
    palette.setColor(QPalette::Window, bar);
    palette.setColor(QPalette::WindowText, QColor(QLatin1String(c.barText)));
    palette.setColor(QPalette::Button, QColor(QLatin1String(c.buttonBottom)));
    palette.setColor(QPalette::ButtonText, QColor(QLatin1String(c.buttonText)));
    palette.setColor(QPalette::Highlight, QColor(QLatin1String(c.hotBorder)));
    palette.setColor(QPalette::HighlightedText, QColor(QLatin1String(c.hotText)));
    palette.setColor(QPalette::ToolTipBase, QColor(QLatin1String(c.menuBack)));
    palette.setColor(QPalette::ToolTipText, QColor(QLatin1String(c.menuText)));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText,
                     QColor(QLatin1String(c.disabledText)));
    palette.setColor(QPalette::Disabled, QPalette::WindowText,
                     QColor(QLatin1String(c.disabledText)));
    return palette;
}

}  // namespace

AppLook LookFor(int id) {
    // Unknown ids fall to the last branch, the Office 2007 look, whose style
    // stays what it was: blue unless another Office 2007 look came first, and
    // at start nothing has.
    const int drawn = (id >= ID_LOOK_WIN2000 && id <= ID_LOOK_OFFICE2007_AQUA)
                          ? id
                          : static_cast<int>(ID_LOOK_OFFICE2007_BLUE);
    const LookColors& colors = kLooks[drawn - ID_LOOK_WIN2000];
    return AppLook{drawn, QString::fromLatin1(colors.name), PaletteOf(colors), SheetOf(colors)};
}

void ApplyLook(QWidget* frame, const AppLook& look) {
    frame->setPalette(look.palette);
    frame->setStyleSheet(look.styleSheet);
    frame->update();
}
