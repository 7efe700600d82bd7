#pragma once

#include <QString>

// The message call's mini-markup as a terminal shows it: <br> starts a new
// line, a link shows its text, other tags are dropped and entities decoded.
QString MarkupToPlainText(const QString& markup);
