#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "htmlbox/vela_message_box_params.h"

// What the message box is made of before any window exists: its texts, its
// buttons and its remembered answers.

// The text of a record field: the text itself, or the string of its id (at
// most 260 characters) from the record's string module; empty when the id
// does not load or the style forbids the string table.
QString LoadTextOrResource(const VelaText& field, const VelaMessageBoxParams& params);

// The built-in caption of a button id and the string-table id it is looked
// up under (0 and empty for ids without one).
QString BuiltInCaption(unsigned id);
unsigned CaptionStringId(unsigned id);

// The caption of button `id`: the caption map, else the string table, else
// `defaultText`, which is the built-in text when empty.
QString GetButtonCaption(const VelaMessageBoxParams& params, unsigned id,
                         const QString& defaultText = QString());

// The custom button captions: one per non-empty line, at most four.
QStringList CustomButtonLines(const QString& text);

struct VelaButtonPlan {
    std::vector<int> ids;  // in creation order
    bool escapeAllowed = false;
    int defaultIndex = 0;
};

// The buttons of a box: the custom ones or the style's set, then Help,
// Report (with a report message and an owner) and More (with a footer).
VelaButtonPlan PlanButtons(const VelaMessageBoxParams& params, const QStringList& customLines,
                           bool hasFooter);

// Fills "%s" and "%d" of a caption format, in that order.
QString FormatCaption(const QString& format, const QString& text, int number);

// Remembered answers, kept in the settings under the program's file name
// (and the company, when given) and "VelaMessageBox", value prefix+number.
QString RememberedValueName(const VelaMessageBoxParams& params);
// The remembered answer, 0 when there is none (or the box has no memory).
int ReadRememberedAnswer(const VelaMessageBoxParams& params);
// Stores `answer`; false when nothing could be written.
bool WriteRememberedAnswer(const VelaMessageBoxParams& params, int answer);
// Forgets the answer again.
void ForgetRememberedAnswer(const VelaMessageBoxParams& params);
