// Tables: rows, cells, spans, spacing, padding, borders and backgrounds. The
// measuring pass fills one cache entry per table; the drawing pass reads it.

#include <algorithm>
#include <memory>

#include "htmlbox/drawer/html_layout.h"
#include "htmlbox/drawer/html_table_parse.h"
#include "htmlbox/drawer/style_values.h"

namespace {

// Given sizes, paddings and spacings beyond this are read as this.
constexpr int kMaxTableSize = 10000;
// Tables nested deeper than this are left out, so a runaway markup cannot
// exhaust the stack.
constexpr int kMaxTableDepth = 16;

int BorderAllowance(const VelaStyle& s) {
    return s.borderStyle == 6 ? 6 : 2 * s.borderWidth;
}

}  // namespace

void CVelaHtmlLayout::ReadTableAttributes(const MarkupAttributes& attributes, bool isRowOrCell) {
    const VelaValueContext ctx = ValueContext();
    VelaStyle& s = m_style;
    for (const auto& [name, value] : attributes) {
        if (name == "cellpadding") {
            s.padding = ReadSize(value, s.padding, false, ctx);
        } else if (name == "cellspacing") {
            s.spacing = ReadSize(value, s.spacing, false, ctx);
        } else if (name == "background") {
            s.backImage = value;
        } else if (name == "border") {
            s.borderWidth = ReadSize(value, s.borderWidth, false, ctx);
            if (s.borderWidth == 0) s.borderStyle = 0;
            if (s.borderWidth > 0 && s.borderStyle == 0) s.borderStyle = 1;
        } else if (name == "borderstyle") {
            s.borderStyle = ReadBorderStyle(value, s.borderStyle);
            if (s.borderStyle != 0 && s.borderWidth == 0) s.borderWidth = 1;
        } else if (name == "bordercolor") {
            s.borderLight = s.borderDark = ReadColour(value, s.borderLight, ctx);
        } else if (name == "bordercolorlight") {
            s.borderLight = ReadColour(value, s.borderLight, ctx);
        } else if (name == "bordercolordark") {
            s.borderDark = ReadColour(value, s.borderDark, ctx);
        } else if (name == "bgcolor") {
            s.backColour = ReadColour(value, s.backColour, ctx);
            if (s.backEffect == -1) s.backEffect = 0;
        } else if (name == "bgmidcolor") {
            s.backMiddle = ReadColour(value, s.backMiddle, ctx);
        } else if (name == "bgendcolor") {
            s.backEnd = ReadColour(value, s.backEnd, ctx);
        } else if (name == "bgeffect") {
            s.backEffect = CVelaDrawManager::EffectFromName(value, s.backEffect);
        } else if (name == "align") {
            s.align = ReadAlign(value, s.align);
        } else if (name == "valign") {
            s.valign = ReadVAlign(value, s.valign);
        } else if (name == "width") {
            s.width = std::clamp(ReadSize(value, s.width, false, ctx), 0, kMaxTableSize);
        } else if (name == "height") {
            s.height = std::clamp(ReadSize(value, s.height, false, ctx), 0, kMaxTableSize);
        }
    }
    if (s.borderStyle == 0) s.borderWidth = 0;
    if (s.borderWidth <= 0) {
        s.borderWidth = 0;
        s.borderStyle = 0;
    }
    if (s.borderStyle != 0 && s.borderStyle != 1) s.borderWidth = 1;
    if (isRowOrCell && s.borderStyle != 0) s.borderWidth = 1;
    s.padding = std::clamp(s.padding, 0, kMaxTableSize);
    s.spacing = std::clamp(s.spacing, 0, kMaxTableSize);
}

void CVelaHtmlLayout::ElementStyle(const QString& name, const QString& attributeText,
                                   bool isRowOrCell) {
    m_d.m_sheet.ApplyStyle(name, m_style, ValueContext());
    if (name == "td") m_style.width = m_style.height = 0;
    ReadTableAttributes(ReadAttributes(attributeText), isRowOrCell);
    SelectFont();
}

QSize CVelaHtmlLayout::LayoutTable(const QString& text, int left, int right, int wrapWidth) {
    if (m_nTableDepth >= kMaxTableDepth) return QSize(0, 0);
    ++m_nTableCounter;
    ++m_nTableDepth;
    const int top = m_y;
    const VelaStyle saved = m_style;
    QSize size = m_bMeasuring ? MeasureTable(text, wrapWidth) : DrawTable(text, left, right);
    m_style = saved;
    SelectFont();
    m_y = top + size.height();
    --m_nTableDepth;
    return size;
}

QSize CVelaHtmlLayout::MeasureTable(const QString& text, int wrapWidth) {
    const ParsedTable parsed = ParseTable(text);
    const size_t index = size_t(m_nTableCounter);
    if (m_d.m_tables.size() <= index) m_d.m_tables.resize(index + 1);
    m_d.m_tables[index] = std::make_unique<VelaTableCache>();
    VelaTableCache& t = *m_d.m_tables[index];

    ElementStyle(QStringLiteral("table"), parsed.attributes, false);
    const VelaStyle tableStyle = m_style;
    t.rows = int(parsed.rows.size());
    for (const ParsedRow& row : parsed.rows) {
        int sum = 0;
        for (const ParsedCell& cell : row.cells) sum += Span(cell.attributes, "colspan");
        t.columns = std::max(t.columns, sum);
    }
    t.columns = std::min(t.columns, 1000);
    t.cells.assign(size_t(t.rows) * t.columns, VelaTableCell());
    t.columnWidths.assign(size_t(t.columns), 0);
    t.rowHeights.assign(size_t(t.rows), 0);
    t.columnFixed.assign(size_t(t.columns), false);
    t.cellColumns.assign(size_t(t.rows), {});

    for (int r = 0; r < t.rows; ++r) {
        const ParsedRow& row = parsed.rows[size_t(r)];
        m_style = tableStyle;
        ElementStyle(QStringLiteral("tr"), row.attributes, true);
        const VelaStyle rowStyle = m_style;
        // Where a cell's text wraps: what the line leaves once the other
        // cells' given widths, the spacing and the borders are taken off.
        int fixedOthers = 0;
        for (const ParsedCell& cell : row.cells) {
            for (const auto& [n, v] : ReadAttributes(cell.attributes)) {
                if (n == "width") fixedOthers += std::max(0, ReadSize(v, 0, false, ValueContext()));
            }
        }
        int c = 0;
        for (const ParsedCell& cell : row.cells) {
            while (c < t.columns && t.At(r, c).colSpan < 0) ++c;
            if (c >= t.columns) break;
            m_style = rowStyle;
            ElementStyle(QStringLiteral("td"), cell.attributes, true);
            VelaTableCell& rec = t.At(r, c);
            rec.colSpan = std::min(Span(cell.attributes, "colspan"), t.columns - c);
            rec.rowSpan = std::min(Span(cell.attributes, "rowspan"), t.rows - r);
            for (int k = 1; k < rec.colSpan; ++k)
                t.At(r, c + k).colSpan = t.At(r, c + k).rowSpan = -1;
            for (int k = 1; k < rec.rowSpan; ++k)
                t.At(r + k, c).colSpan = t.At(r + k, c).rowSpan = -1;
            const int inset = m_style.padding + m_style.borderWidth;
            if (wrapWidth > 0) {
                const int others = fixedOthers - m_style.width + 2 * inset * int(row.cells.size()) +
                                   (t.columns + 1) * tableStyle.spacing + (t.columns - 1) +
                                   BorderAllowance(tableStyle);
                rec.wrapWidth = std::max(1, wrapWidth - others);
            }
            rec.explicitWidth = m_style.width;
            rec.fixed = m_style.width > 0;
            m_y = 0;
            const QSize content = LayoutContent(cell.content, 0, 0, rec.wrapWidth);
            const int contentWidth = std::max(m_style.width, content.width());
            rec.contentWidth = contentWidth;
            rec.width = contentWidth + 2 * inset;
            rec.contentHeight = std::max(m_style.height, content.height());
            rec.height = rec.contentHeight + 2 * inset;
            t.cellColumns[size_t(r)].push_back(c);
            c += rec.colSpan;
        }
    }

    // Columns, narrowest spans first; then rows the same way.
    for (int span = 1; span <= t.columns; ++span) {
        for (int r = 0; r < t.rows; ++r) {
            for (int c = 0; c < t.columns; ++c) {
                const VelaTableCell& cell = t.At(r, c);
                if (cell.colSpan != span) continue;
                if (span == 1) {
                    t.columnWidths[size_t(c)] = std::max(t.columnWidths[size_t(c)], cell.width);
                    if (cell.fixed) t.columnFixed[size_t(c)] = true;
                    continue;
                }
                int sum = 0;
                for (int k = 0; k < span; ++k) sum += t.columnWidths[size_t(c + k)];
                if (sum < cell.contentWidth) {
                    const int shortfall = cell.width - sum;
                    for (int k = 0; k < span; ++k)
                        t.columnWidths[size_t(c + k)] += shortfall / span;
                    t.columnWidths[size_t(c + span - 1)] += shortfall % span;
                }
                if (cell.fixed) {
                    for (int k = 0; k < span; ++k) t.columnFixed[size_t(c + k)] = true;
                }
            }
        }
    }
    for (int span = 1; span <= t.rows; ++span) {
        for (int r = 0; r < t.rows; ++r) {
            for (int c = 0; c < t.columns; ++c) {
                const VelaTableCell& cell = t.At(r, c);
                if (cell.rowSpan != span) continue;
                if (span == 1) {
                    t.rowHeights[size_t(r)] = std::max(t.rowHeights[size_t(r)], cell.height);
                    continue;
                }
                int sum = 0;
                for (int k = 0; k < span; ++k) sum += t.rowHeights[size_t(r + k)];
                if (sum < cell.height) {
                    const int shortfall = cell.height - sum;
                    for (int k = 0; k < span; ++k) t.rowHeights[size_t(r + k)] += shortfall / span;
                    t.rowHeights[size_t(r)] += shortfall % span;
                }
            }
        }
    }

    int width = (t.columns + 1) * tableStyle.spacing + std::max(0, t.columns - 1);
    for (int w : t.columnWidths) width += w;
    int height = (t.rows + 1) * tableStyle.spacing + std::max(0, t.rows - 1);
    for (int h : t.rowHeights) height += h;
    return QSize(width + BorderAllowance(tableStyle), height + BorderAllowance(tableStyle));
}

QSize CVelaHtmlLayout::DrawTable(const QString& text, int left, int right) {
    const size_t index = size_t(m_nTableCounter);
    // A table the measurement did not see is not drawn.
    if (index >= m_d.m_tables.size() || !m_d.m_tables[index]) return QSize(0, 0);
    const VelaTableCache& t = *m_d.m_tables[index];
    const ParsedTable parsed = ParseTable(text);
    ElementStyle(QStringLiteral("table"), parsed.attributes, false);
    const VelaStyle tableStyle = m_style;
    const int spacing = tableStyle.spacing;

    // The drawing's own column widths: the cache stays as measured.
    std::vector<int> widths = t.columnWidths;
    auto tableWidth = [&] {
        int w =
            (t.columns + 1) * spacing + std::max(0, t.columns - 1) + BorderAllowance(tableStyle);
        for (int c : widths) w += c;
        return w;
    };
    int height = (t.rows + 1) * spacing + std::max(0, t.rows - 1) + BorderAllowance(tableStyle);
    for (int h : t.rowHeights) height += h;
    int offset = 0;
    int difference = (right - left) - tableWidth();
    if (difference > 0) {
        int loose = 0;
        for (int c = 0; c < t.columns; ++c) loose += t.columnFixed[size_t(c)] ? 0 : 1;
        if (loose > 0) {
            for (int c = 0; c < t.columns; ++c) {
                if (t.columnFixed[size_t(c)]) continue;
                const int share = difference / loose;
                widths[size_t(c)] += share;
                difference -= share;
                --loose;
            }
        } else if (m_style.align == 1) {
            offset = difference / 2;
        } else if (m_style.align == 2) {
            offset = difference;
        }
    }
    const QRect box(left + offset, m_y, tableWidth(), height);
    const COLORREF disabled = m_d.m_crDisabled;
    const bool colours = m_d.m_bColoursEnabled;
    auto background = [&](const QRect& r) {
        if (m_style.backEffect >= 0) {
            m_d.m_drawManager.DrawEffectBackground(m_dc, m_style.backEffect, r, m_style.backColour,
                                                   m_style.backMiddle, m_style.backEnd, 5, 0);
        } else if (colours && !m_style.backImage.isEmpty()) {
            m_d.m_drawManager.TileBitmap(m_dc, r, LoadBackgroundImage(m_style.backImage));
        }
    };
    background(box);
    if (m_style.borderWidth > 0) {
        m_d.m_drawManager.DrawStyledRectangle(m_dc, box, colours ? m_style.borderLight : disabled,
                                              colours ? m_style.borderDark : disabled,
                                              m_style.borderStyle, m_style.borderWidth);
    }
    const int inset = tableStyle.borderStyle == 6 ? 3 : tableStyle.borderWidth;
    const QRect inner = box.adjusted(inset, inset, -inset, -inset);

    std::vector<int> columnLeft(size_t(t.columns) + 1), rowTop(size_t(t.rows) + 1);
    columnLeft[0] = inner.left() + spacing;
    for (int c = 0; c < t.columns; ++c)
        columnLeft[size_t(c) + 1] = columnLeft[size_t(c)] + widths[size_t(c)] + spacing + 1;
    rowTop[0] = inner.top() + spacing;
    for (int r = 0; r < t.rows; ++r)
        rowTop[size_t(r) + 1] = rowTop[size_t(r)] + t.rowHeights[size_t(r)] + spacing + 1;

    for (int r = 0; r < t.rows && r < int(parsed.rows.size()); ++r) {
        const ParsedRow& row = parsed.rows[size_t(r)];
        m_style = tableStyle;
        ElementStyle(QStringLiteral("tr"), row.attributes, true);
        const VelaStyle rowStyle = m_style;
        const std::vector<int>& columns = t.cellColumns[size_t(r)];
        for (size_t k = 0; k < columns.size() && k < row.cells.size(); ++k) {
            const int c = columns[k];
            const VelaTableCell& cell = t.cells[size_t(r) * t.columns + c];
            m_style = rowStyle;
            ElementStyle(QStringLiteral("td"), row.cells[k].attributes, true);
            const int l = columnLeft[size_t(c)];
            int w = 0;
            for (int s = 0; s < cell.colSpan; ++s) w += widths[size_t(c + s)];
            w += (cell.colSpan - 1) * (spacing + 1);
            int h = 0;
            for (int s = 0; s < cell.rowSpan; ++s) h += t.rowHeights[size_t(r + s)];
            h += (cell.rowSpan - 1) * (spacing + 1);
            const QRect rect(l, rowTop[size_t(r)], w, h);
            background(rect);
            if (m_style.borderWidth > 0) {
                m_d.m_drawManager.DrawStyledRectangle(
                    m_dc, rect, colours ? m_style.borderDark : disabled,
                    colours ? m_style.borderLight : disabled, m_style.borderStyle, 1);
            }
            const int pad = m_style.padding + m_style.borderWidth;
            const QRect content = rect.adjusted(pad, pad, -pad, -pad);
            int top = content.top();
            const int free = content.height() - cell.contentHeight;
            if (m_style.valign == 1) top += free / 2;
            if (m_style.valign == 2) top += free;
            m_y = top;
            LayoutContent(row.cells[k].content, content.left(), content.left() + content.width(),
                          cell.wrapWidth);
        }
    }
    return QSize(box.width() + offset, height);
}
