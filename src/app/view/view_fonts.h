#pragma once

#include <QFont>
#include <QString>

// A font whose line (ascent plus descent) is at most `cellHeight` pixels, the
// way fonts of the original layout were chosen by cell height.
QFont FontOfCellHeight(const QString& family, int cellHeight, QFont::Weight weight);
