#pragma once

#include <QFont>
#include <QRect>
#include <QString>

#include "htmlbox/vela_message_box_params.h"

class QPainter;

// The painted parts of the message box: area backgrounds and separators.

// The area's colours with the button-face colour for those not given.
QColor AreaColour(const QColor& colour);

// Fills `rect` with the area's background effect; false (nothing drawn) for
// an effect below 0.
bool DrawAreaBackground(QPainter& painter, const QRect& rect, const VelaMessageBoxArea& area);

// The area's separator along the top edge of `rect` (inset by 5 on both
// sides), with its text embossed on the line.
void DrawAreaSeparator(QPainter& painter, const QRect& rect, const VelaMessageBoxArea& area,
                       const QString& text, const QFont& font);
