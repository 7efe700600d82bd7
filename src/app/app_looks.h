#pragma once

#include <QPalette>
#include <QString>

class QWidget;

// The nine visual looks of the frame, by their command numbers.
enum AppLookId {
    ID_LOOK_WIN2000 = 210,
    ID_LOOK_OFFICEXP = 211,
    ID_LOOK_WINXP = 212,
    ID_LOOK_OFFICE2003 = 213,
    ID_LOOK_VS2005 = 214,
    ID_LOOK_OFFICE2007_BLUE = 215,
    ID_LOOK_OFFICE2007_BLACK = 216,
    ID_LOOK_OFFICE2007_SILVER = 217,
    ID_LOOK_OFFICE2007_AQUA = 218,
};

// What a look gives the frame: a palette for everything the style sheet leaves
// alone, and a style sheet for the bars, menus and buttons.
struct AppLook {
    int id;        // the look actually drawn (an unknown id draws as 215)
    QString name;  // for people: "Office 2007 (blue)"
    QPalette palette;
    QString styleSheet;
};

// The look of command `id`. An id outside 210..218 gets the Office 2007 look in
// the style it was last given, which at start is blue.
AppLook LookFor(int id);

// Applies the look to the frame and everything in it, and repaints.
void ApplyLook(QWidget* frame, const AppLook& look);
