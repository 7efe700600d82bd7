#pragma once

// One measuring or drawing pass of CVelaHtmlDrawer over its text. Internal to
// the drawer: the pass state (pen, current line, style and its stack) lives
// here for the length of one pass.

#include <QImage>
#include <QSize>
#include <QString>
#include <vector>

#include "htmlbox/drawer/html_markup.h"
#include "htmlbox/drawer/vela_html_drawer.h"

// One cell of a cached table grid; a slot covered by another cell's span has
// spans of -1.
struct VelaTableCell {
    int colSpan = 1;
    int rowSpan = 1;
    int explicitWidth = 0;
    int width = 0;   // measured, with padding and border
    int height = 0;  // measured, with padding and border
    int contentWidth = 0;
    int contentHeight = 0;
    int wrapWidth = 0;  // where its text wraps (0: never)
    bool fixed = false;
};

struct VelaTableCache {
    int rows = 0;
    int columns = 0;
    std::vector<VelaTableCell> cells;  // rows × columns
    std::vector<int> columnWidths;
    std::vector<int> rowHeights;
    std::vector<bool> columnFixed;
    std::vector<std::vector<int>> cellColumns;  // per row, the column of each cell
    VelaTableCell& At(int r, int c) { return cells[size_t(r) * columns + c]; }
};

class CVelaHtmlLayout {
public:
    CVelaHtmlLayout(CVelaHtmlDrawer& drawer, CVelaCanvas& dc, bool measuring);

    // The whole text inside `rect` (measuring: right is the maximum width).
    QSize Run(const QString& text, const QRect& rect);

private:
    // Text flows and tables one below the other, from (left, y).
    QSize LayoutContent(const QString& text, int left, int right, int wrapWidth);
    QSize LayoutFlow(const QString& text, int left, int right, int wrapWidth);

    // Lines.
    void StartLine();
    void EndLine(int count);
    int LineTop() const { return m_nLineTop; }
    int LineHeight() const { return m_line.height; }

    // Things in the flow.
    void PlaceText(const QString& run);
    void PlaceObjectHeight(int height);
    int ObjectTop(int height) const;
    // Where a run in the current font starts on the current line.
    int TextTop(const VelaTextExtent& extent) const;
    bool NeedsWrapBefore(int width) const;
    void AddLinkArea(const QRect& rect);
    void DrawTextPart(const QString& part, int top, const VelaTextExtent& extent, bool endsLine);

    // Tags (html_tags.cpp).
    void Tag(const MarkupTag& tag);
    void OpeningAction(int action, const MarkupTag& tag);
    void FontAttributes(const MarkupAttributes& attributes);
    void LinkTag(const MarkupAttributes& attributes);
    void Rule(const MarkupAttributes& attributes);
    void Tab(int count);
    void ResourceString(const MarkupAttributes& attributes);
    void SelectFont();

    // Pictures (html_images.cpp).
    void Picture(int action, const MarkupAttributes& attributes);

    // Tables (html_tables.cpp).
    QSize LayoutTable(const QString& text, int left, int right, int wrapWidth);
    QSize MeasureTable(const QString& text, int wrapWidth);
    QSize DrawTable(const QString& text, int left, int right);
    void ReadTableAttributes(const MarkupAttributes& attributes, bool isRowOrCell);
    void ElementStyle(const QString& name, const QString& attributeText, bool isRowOrCell);

    VelaValueContext ValueContext();
    VelaTextExtent Measure(const QString& text) { return m_dc.MeasureText(m_font, text); }

    CVelaHtmlDrawer& m_d;
    CVelaCanvas& m_dc;
    const bool m_bMeasuring;

    VelaStyle m_style;
    std::vector<VelaStyle> m_stack;
    VelaFont m_font;

    // Pen and the current flow's edges.
    int m_x = 0;
    int m_y = 0;
    int m_left = 0;
    int m_right = 0;
    int m_wrapWidth = 0;  // 0: no wrapping
    int m_nWidest = 0;

    // The current line: while measuring it is built here and stored at its
    // end; while drawing it is the stored record.
    VelaLineRecord m_line;
    int m_nLineIndex = 0;
    int m_nLineTop = 0;
    bool m_bLineHasContent = false;
    int m_nJustifyExtra = 0;
    int m_nJustifySpaces = 0;

    int m_nLinkCounter = -1;
    int m_nTableCounter = -1;
    int m_nTableDepth = 0;
    int m_nAnimationCounter = -1;
};

// The picture a table's background="file:name" or "idres:316" names; null
// when there is none.
QImage LoadBackgroundImage(const QString& value);
