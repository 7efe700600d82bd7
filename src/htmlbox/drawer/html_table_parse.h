#pragma once

// Cutting a table's markup into its rows and cells (nested tables stay whole
// inside their cell).

#include <QString>
#include <vector>

struct ParsedCell {
    QString attributes;
    QString content;
};

struct ParsedRow {
    QString attributes;
    std::vector<ParsedCell> cells;
};

struct ParsedTable {
    QString attributes;
    std::vector<ParsedRow> rows;
};

// `text` runs from "<table" to the end of its "</table>" (or of the text).
ParsedTable ParseTable(const QString& text);

// A colspan= or rowspan= value of a tag's attribute text: 1 when missing,
// at most 1000.
int Span(const QString& attributeText, const QString& name);
