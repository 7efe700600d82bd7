#include "htmlbox/drawer/html_layout.h"

#include <algorithm>

namespace {

bool IsBreakAfter(QChar c) {
    switch (c.unicode()) {
        case ' ':
        case '-':
        case '.':
        case ',':
        case '!':
        case ':':
        case ';':
        case ')':
        case '}':
        case ']':
        case '?':
            return true;
        default:
            return false;
    }
}

QString Transformed(const QString& run, int transform) {
    switch (transform) {
        case 1:
            return run.toUpper();
        case 2:
            return run.toLower();
        case 3: {
            QString t = run.toLower();
            for (int i = 0; i < t.size(); ++i) {
                const ushort u = t[i].unicode();
                if (u >= 'a' && u <= 'z' && (i == 0 || t[i - 1] == ' ')) t[i] = QChar(u - 32);
            }
            return t;
        }
        default:
            return run;
    }
}

QString TrimmedRight(const QString& s) {
    int n = s.size();
    while (n > 0 && s[n - 1] == ' ') --n;
    return s.left(n);
}

QString TrimmedLeft(const QString& s) {
    int i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    return s.mid(i);
}

}  // namespace

CVelaHtmlLayout::CVelaHtmlLayout(CVelaHtmlDrawer& drawer, CVelaCanvas& dc, bool measuring)
    : m_d(drawer), m_dc(dc), m_bMeasuring(measuring) {}

VelaValueContext CVelaHtmlLayout::ValueContext() {
    VelaValueContext ctx;
    ctx.dotsPerInchY = m_dc.DotsPerInchY();
    ctx.fontHeight = [this] { return Measure(QString()).height; };
    ctx.xHeight = [this] { return Measure(QStringLiteral("x")).height; };
    ctx.colourNames = &m_d.m_colourNames;
    ctx.coloursEnabled = m_d.m_bColoursEnabled;
    ctx.disabledColour = m_d.m_crDisabled;
    return ctx;
}

void CVelaHtmlLayout::SelectFont() {
    m_font = m_style.Font();
}

QSize CVelaHtmlLayout::Run(const QString& text, const QRect& rect) {
    if (m_bMeasuring) {
        m_d.m_lines.clear();
        m_d.m_animations.clear();
        m_d.m_tables.clear();
    } else {
        m_d.m_linkAreas.clear();
    }
    m_nLineIndex = 0;
    m_nTableCounter = -1;
    m_nLinkCounter = -1;
    m_stack.clear();
    ResetToDefaultStyle(m_style);
    SelectFont();
    m_d.m_sheet.ApplyStyle(QStringLiteral("body"), m_style, ValueContext());
    SelectFont();
    m_y = rect.top();
    return LayoutContent(text, rect.left(), rect.left() + rect.width(), m_d.m_nMaxWidth);
}

QSize CVelaHtmlLayout::LayoutContent(const QString& text, int left, int right, int wrapWidth) {
    int width = 0;
    const int top = m_y;
    int pos = 0;
    const int n = text.size();
    while (pos < n) {
        const int table = FindTag(text, QStringLiteral("table"), pos);
        const int flowEnd = table < 0 ? n : table;
        if (flowEnd > pos) {
            width = std::max(
                width, LayoutFlow(text.mid(pos, flowEnd - pos), left, right, wrapWidth).width());
        }
        if (table < 0) break;
        // A table without its end runs to the end of the text.
        const int close = FindTableEnd(text, table + 6);
        int end = n;
        if (close >= 0) {
            const int gt = text.indexOf('>', close);
            end = gt < 0 ? n : gt + 1;
        }
        width = std::max(width,
                         LayoutTable(text.mid(table, end - table), left, right, wrapWidth).width());
        pos = end;
    }
    return QSize(width, m_y - top);
}

QSize CVelaHtmlLayout::LayoutFlow(const QString& text, int left, int right, int wrapWidth) {
    m_left = left;
    m_right = right;
    m_wrapWidth = wrapWidth;
    m_nWidest = 0;
    const int top = m_y;
    StartLine();
    int pos = 0;
    MarkupToken token;
    while (NextMarkupToken(text, pos, token)) {
        if (token.isTag) {
            Tag(SplitTag(token.text));
        } else {
            PlaceText(DecodeEntities(token.text));
        }
    }
    if (m_bLineHasContent) EndLine(1);
    return QSize(m_nWidest, m_y - top);
}

void CVelaHtmlLayout::StartLine() {
    m_nLineTop = m_y;
    m_bLineHasContent = false;
    m_nJustifyExtra = 0;
    m_nJustifySpaces = 0;
    if (m_bMeasuring) {
        m_line = VelaLineRecord();
        m_line.align = m_style.align;
        m_x = m_left;
        return;
    }
    const auto& lines = m_d.m_lines;
    // A drawing that runs past the measured lines (another text, other
    // fonts) lays the rest out as empty lines instead of reading past them.
    m_line = m_nLineIndex < int(lines.size()) ? lines[size_t(m_nLineIndex)] : VelaLineRecord();
    const int available = m_right - m_left;
    const int used = m_line.width + m_line.percent * available / 100;
    if (m_line.align == 3 && m_line.justify && m_line.spaces > 0 && available > used) {
        m_nJustifyExtra = available - used;
        m_nJustifySpaces = m_line.spaces;
    }
    switch (m_line.align) {
        case 1:
            m_x = m_left + (available - used) / 2;
            break;
        case 2:
            m_x = m_left + available - used;
            break;
        default:
            m_x = m_left;
    }
}

void CVelaHtmlLayout::EndLine(int count) {
    if (m_bMeasuring) {
        if (m_line.height == 0) m_line.height = Measure(QString()).height;
        m_nWidest = std::max(m_nWidest, m_x - m_left);
        m_line.width = m_x - m_left;
        m_line.height += m_line.descent;
        m_d.m_lines.push_back(m_line);
    } else {
        m_nWidest = std::max(m_nWidest, m_line.width);
    }
    ++m_nLineIndex;
    m_y += m_line.height * count;
    StartLine();
}

bool CVelaHtmlLayout::NeedsWrapBefore(int width) const {
    return m_wrapWidth > 0 && m_x > m_left && m_x + width > m_left + m_wrapWidth;
}

void CVelaHtmlLayout::PlaceText(const QString& run) {
    QString text = Transformed(run, m_style.transform);
    while (!text.isEmpty()) {
        const VelaTextExtent whole = Measure(text);
        QString part = text;
        QString rest;
        const int spaceLeft = m_left + m_wrapWidth - m_x;
        if (m_wrapWidth > 0 && whole.width > spaceLeft) {
            // The longest piece that ends just after a break character and fits.
            std::vector<int> breaks;
            for (int i = 0; i < text.size(); ++i) {
                if (IsBreakAfter(text[i])) breaks.push_back(i + 1);
            }
            int lo = 0, hi = int(breaks.size()) - 1, found = -1;
            while (lo <= hi) {
                const int mid = (lo + hi) / 2;
                if (Measure(text.left(breaks[size_t(mid)])).width <= spaceLeft) {
                    found = mid;
                    lo = mid + 1;
                } else {
                    hi = mid - 1;
                }
            }
            if (found >= 0) {
                const int cut = breaks[size_t(found)];
                part = TrimmedRight(text.left(cut));
                rest = TrimmedLeft(text.mid(cut));
            } else if (m_x <= m_left) {
                // A word wider than the whole line is cut where it must be.
                int a = 1, b = text.size() - 1, fits = 1;
                while (a <= b) {
                    const int mid = (a + b) / 2;
                    if (Measure(text.left(mid)).width <= spaceLeft) {
                        fits = mid;
                        a = mid + 1;
                    } else {
                        b = mid - 1;
                    }
                }
                part = text.left(fits);
                rest = text.mid(fits);
            } else {
                part.clear();
                rest = text;
            }
        }
        if (!part.isEmpty()) {
            const VelaTextExtent extent = part.size() == text.size() ? whole : Measure(part);
            if (m_bMeasuring) {
                m_line.align = m_style.align;
                m_line.spaces += int(part.count(' '));
                m_line.height = std::max(m_line.height, extent.ascent);
                m_line.descent = std::max(m_line.descent, extent.height - extent.ascent);
                m_x += extent.width;
            } else {
                const int top = TextTop(extent);
                DrawTextPart(part, top, extent, !rest.isEmpty());
            }
            m_bLineHasContent = true;
        }
        if (rest.isEmpty()) break;
        if (m_bMeasuring) m_line.justify = true;
        EndLine(1);
        text = rest;
    }
}

void CVelaHtmlLayout::DrawTextPart(const QString& text, int top, const VelaTextExtent& extent,
                                   bool endsLine) {
    QString part = text;
    if (endsLine && part.endsWith(' ')) {
        part.chop(1);
        if (m_nJustifySpaces > 0) --m_nJustifySpaces;
    }
    const QColor colour = VelaToQColor(m_style.textColour);
    const bool opaque = m_style.backMode == 2 && m_d.m_bColoursEnabled;
    const QColor background = VelaToQColor(m_style.backColour);
    const int startX = m_x;
    if (m_nJustifySpaces > 0 && part.contains(' ')) {
        // The line's extra width goes into its spaces, shared out as evenly
        // as whole pixels allow.
        int from = 0;
        while (from < part.size()) {
            int to = part.indexOf(' ', from);
            to = to < 0 ? part.size() : to + 1;
            const QString piece = part.mid(from, to - from);
            m_dc.DrawText(m_font, m_x, top, piece, colour, opaque, background);
            m_x += Measure(piece).width;
            if (piece.endsWith(' ') && m_nJustifySpaces > 0) {
                const int add = m_nJustifyExtra / m_nJustifySpaces;
                m_nJustifyExtra -= add;
                --m_nJustifySpaces;
                m_x += add;
            }
            from = to;
        }
    } else {
        m_dc.DrawText(m_font, m_x, top, part, colour, opaque, background);
        m_x += part.size() == text.size() ? extent.width : Measure(part).width;
    }
    const int width = m_x - startX;
    if (m_style.overline && width > 0) {
        m_dc.DrawLine(QPoint(startX, top), QPoint(startX + width - 1, top), colour,
                      m_style.weight >= 700 ? 2 : 1, VelaPenStyle::Solid);
    }
    AddLinkArea(QRect(startX, top, width, extent.height));
}

void CVelaHtmlLayout::AddLinkArea(const QRect& rect) {
    if (m_bMeasuring || m_style.linkKind == 0) return;
    m_d.m_linkAreas.push_back({rect, m_style.linkKind, m_nLinkCounter, m_style.linkText});
}

void CVelaHtmlLayout::PlaceObjectHeight(int height) {
    if (m_bMeasuring) m_line.height = std::max(m_line.height, height);
}

int CVelaHtmlLayout::TextTop(const VelaTextExtent& extent) const {
    switch (m_style.valign) {
        case 0:
            return m_nLineTop;
        case 1:
            return m_nLineTop + (m_line.height - extent.height) / 2;
        case 2:
            return m_nLineTop + m_line.height - extent.ascent;
        default:
            return m_nLineTop + m_line.height - m_line.descent - extent.ascent;
    }
}

int CVelaHtmlLayout::ObjectTop(int h) const {
    switch (m_style.valign) {
        case 0:
            return m_nLineTop;
        case 1:
            return m_nLineTop + (m_line.height - h) / 2;
        case 2:
            return m_nLineTop + m_line.height - h;
        default:
            return m_nLineTop + m_line.height - m_line.descent - h;
    }
}
