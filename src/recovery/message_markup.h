#pragma once

#include <QString>

// Message texts are mini-markup; a path or name put into one must show as
// written, so every character the markup reads (& < > ' ") is escaped.
QString EscapeMessageMarkup(const QString& text);
