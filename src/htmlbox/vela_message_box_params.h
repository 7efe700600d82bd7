#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>
#include <functional>
#include <map>
#include <optional>

class QWidget;

// Style word bits of the message box beyond the button set, icon and default
// button (bits 0x0F, 0xF0 and 0xF00).
constexpr unsigned kVelaIconMask = 0x000000F0;
constexpr unsigned kVelaIconHand = 0x10;
constexpr unsigned kVelaIconQuestion = 0x20;
constexpr unsigned kVelaIconExclamation = 0x30;
constexpr unsigned kVelaIconAsterisk = 0x40;
constexpr unsigned kVelaIconCustom = 0x80;
constexpr unsigned MB_HELP = 0x00004000;
constexpr unsigned MB_SETFOREGROUND = 0x00010000;
constexpr unsigned MB_TOPMOST = 0x00040000;
constexpr unsigned MB_RIGHT = 0x00080000;
constexpr unsigned VMB_SHOW_CHECK = 0x01000000;
constexpr unsigned VMB_CHECK_INITIAL = 0x02000000;
constexpr unsigned VMB_CHECK_BELOW = 0x04000000;
constexpr unsigned VMB_ADD_YES_ALL = 0x08000000;
constexpr unsigned VMB_ADD_NO_ALL = 0x10000000;
constexpr unsigned VMB_NO_STRING_TABLE = 0x20000000;
constexpr unsigned VMB_SILENT = 0x40000000;

// Button ids (the dialog's results).
enum VelaButtonId : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDABORT = 3,
    IDRETRY = 4,
    IDIGNORE = 5,
    IDYES = 6,
    IDNO = 7,
    IDHELP = 9,
    IDTRYAGAIN = 10,
    IDCONTINUE = 11,
    IDSKIP = 14,
    IDSKIPALL = 15,
    IDIGNOREALL = 16,
    IDYESTOALL = 19,
    IDNOTOALL = 20,
    IDREPORT = 21,
    IDCUSTOM1 = 23,
    IDCUSTOM4 = 26,
    IDLESS = 30,  // the More button while the footer is shown
    IDMORE = 31,  // the More button while the footer is hidden
};
// Caption ids of texts that belong to no button.
constexpr unsigned kVelaCheckTextId = 0x01000000;
constexpr unsigned kVelaCountdownTitleId = 0x80000000;

// A text of the record: a text, or the number of a string of the string table.
struct VelaText {
    VelaText() = default;
    VelaText(const QString& t) : text(t) {}                  // NOLINT: texts are passed as they are
    VelaText(const char* t) : text(QString::fromUtf8(t)) {}  // NOLINT
    static VelaText Id(unsigned id) {
        VelaText v;
        v.id = id;
        return v;
    }
    bool IsId() const { return id != 0; }

    QString text;
    unsigned id = 0;
};

// Where string-table texts come from: the text for an id, or none.
using VelaStringModule = std::function<std::optional<QString>(unsigned id)>;
// Where a custom icon comes from: the picture for an icon id (null: none).
using VelaIconModule = std::function<QPixmap(int id)>;

// Background and separator of one area of the box.
struct VelaMessageBoxArea {
    unsigned separatorStyle = 0;  // 0 none, 1 etched, 2 dark line, 3 light line
    unsigned separatorAlign = 0;  // 0 left, 1 right, 2 centre; other: no text
    VelaText separatorText;
    int effect = -1;  // -1: nothing drawn; else a background effect number
    QColor begin;     // invalid: the button-face colour
    QColor middle;
    QColor end;
};

// Everything a message box is made from. A fresh record has the defaults.
struct VelaMessageBoxParams {
    QWidget* owner = nullptr;       // null: the active window (else the main window)
    VelaStringModule stringModule;  // null: the program's own strings
    VelaIconModule iconModule;      // null: the program's icons (":/icon/<id>.png")
    VelaText caption;               // empty: the owner's title, else "Error"
    QString memoryPrefix;           // empty: nothing is remembered
    QString memoryCompany;
    int memoryNumber = 0;
    unsigned reportMessage = 0;  // event type the Report button sends to the owner
    VelaMessageBoxArea mainArea;
    unsigned headerHeight = 0;  // 0: no header
    VelaText headerText;
    VelaMessageBoxArea headerArea;
    VelaText messageText;
    unsigned buttonAlignment = 2;  // 0 left, 1 right, other centre
    unsigned style = 0x30;
    VelaMessageBoxArea buttonArea;
    VelaText footerText;
    VelaMessageBoxArea footerArea;
    int timeout = 0;      // seconds until the default button is pressed; <= 0: none
    int disableTime = 0;  // seconds the buttons stay disabled; <= 0: none
    int countdownInTitle = 0;
    unsigned helpContext = 0;
    int iconResourceId = 0;
    VelaText customButtons;  // one caption per line, at most four
    VelaText checkText;      // empty: "Do not show again"
    std::map<int, VelaText> captionMap;
};
