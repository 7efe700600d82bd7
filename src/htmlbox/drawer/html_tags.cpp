// The tags of the text flow: what each one does to the style and the pen.

#include <map>

#include "htmlbox/drawer/html_layout.h"
#include "htmlbox/drawer/style_values.h"

namespace {

enum Action {
    kBold = 1,
    kItalic,
    kUnderline,
    kStrikeout,
    kFont,
    kRule,
    kBreak,
    kTab,
    kLeft,
    kCenter,
    kRight,
    kJustify,
    kBaseline,
    kTop,
    kMiddle,
    kBottom,
    kBitmap,
    kIcon,
    kStrip,
    kString,
    kSheetEntry,
    kSpan,
    kLink,
};

struct TagInfo {
    int action;
    const char* group;  // "" for tags that save no style
};

// Names are matched exactly: only lower-case tags are known.
const std::map<QString, TagInfo>& TagTable() {
    static const std::map<QString, TagInfo> kTags = [] {
        std::map<QString, TagInfo> t = {
            {"b", {kBold, "bold"}},
            {"i", {kItalic, "italic"}},
            {"em", {kItalic, "italic"}},
            {"u", {kUnderline, "underline"}},
            {"s", {kStrikeout, "strikeout"}},
            {"strike", {kStrikeout, "strikeout"}},
            {"font", {kFont, "font"}},
            {"hr", {kRule, ""}},
            {"br", {kBreak, ""}},
            {"t", {kTab, ""}},
            {"left", {kLeft, "left"}},
            {"center", {kCenter, "center"}},
            {"right", {kRight, "right"}},
            {"justify", {kJustify, "justify"}},
            {"baseline", {kBaseline, "baseline"}},
            {"top", {kTop, "top"}},
            {"vcenter", {kMiddle, "vcenter"}},
            {"middle", {kMiddle, "vcenter"}},
            {"bottom", {kBottom, "bottom"}},
            {"bmp", {kBitmap, ""}},
            {"icon", {kIcon, ""}},
            {"ilst", {kStrip, ""}},
            {"string", {kString, ""}},
            {"span", {kSpan, "span"}},
            {"a", {kLink, "link"}},
        };
        for (const char* name : {"body", "h1", "h2", "h3", "h4", "h5", "h6", "code", "pre", "big",
                                 "small", "sub", "sup"}) {
            t.emplace(QString::fromLatin1(name), TagInfo{kSheetEntry, name});
        }
        return t;
    }();
    return kTags;
}

}  // namespace

void CVelaHtmlLayout::Tag(const MarkupTag& tag) {
    if (tag.name.isEmpty()) return;
    const auto it = TagTable().find(tag.name);
    if (it == TagTable().end()) return;
    const TagInfo& info = it->second;
    const QString group = QString::fromLatin1(info.group);
    m_style.group = group;
    if (group.isEmpty()) {
        // No style saved: the closing form acts like the opening one.
        OpeningAction(info.action, tag);
        return;
    }
    if (!tag.closing) {
        m_stack.push_back(m_style);
        OpeningAction(info.action, tag);
        m_style.group.clear();
        SelectFont();
        return;
    }
    // Tags close in order: a closing tag that does not match the last opened
    // group is ignored.
    if (!m_stack.empty() && m_stack.back().group == group) {
        m_style = m_stack.back();
        m_stack.pop_back();
        m_style.group.clear();
        SelectFont();
    }
    m_style.group.clear();
}

void CVelaHtmlLayout::OpeningAction(int action, const MarkupTag& tag) {
    switch (action) {
        case kBold:
            m_style.weight = std::min(m_style.weight * 2, 900);
            break;
        case kItalic:
            m_style.italic = !m_style.italic;
            break;
        case kUnderline:
            m_style.underline = !m_style.underline;
            break;
        case kStrikeout:
            m_style.strikeout = !m_style.strikeout;
            break;
        case kFont:
            FontAttributes(ReadAttributes(tag.attributeText));
            break;
        case kRule:
            Rule(ReadAttributes(tag.attributeText));
            break;
        case kBreak:
            m_line.justify = false;
            EndLine(ReadRepeatCount(tag.attributeText));
            break;
        case kTab:
            Tab(ReadRepeatCount(tag.attributeText));
            break;
        case kLeft:
        case kCenter:
        case kRight:
        case kJustify:
            m_style.align = action - kLeft;
            break;
        case kBaseline:
            m_style.valign = 3;
            break;
        case kTop:
            m_style.valign = 0;
            break;
        case kMiddle:
            m_style.valign = 1;
            break;
        case kBottom:
            m_style.valign = 2;
            break;
        case kBitmap:
        case kIcon:
        case kStrip:
            Picture(action == kBitmap ? 0
                    : action == kIcon ? 1
                                      : 2,
                    ReadAttributes(tag.attributeText));
            break;
        case kString:
            ResourceString(ReadAttributes(tag.attributeText));
            break;
        case kSheetEntry:
            m_d.m_sheet.ApplyStyle(tag.name, m_style, ValueContext());
            break;
        case kSpan:
            for (const auto& [name, value] : ReadAttributes(tag.attributeText)) {
                if (name == "class") m_d.m_sheet.ApplyStyle("." + value, m_style, ValueContext());
            }
            break;
        case kLink:
            LinkTag(ReadAttributes(tag.attributeText));
            break;
        default:
            break;
    }
}

void CVelaHtmlLayout::FontAttributes(const MarkupAttributes& attributes) {
    const VelaValueContext ctx = ValueContext();
    for (const auto& [name, value] : attributes) {
        if (name == "face") {
            if (!value.isEmpty()) m_style.face = value;
        } else if (name == "size") {
            m_style.fontSize = ReadSize(value, m_style.fontSize, true, ctx);
        } else if (name == "color") {
            m_style.textColour = ReadColour(value, m_style.textColour, ctx);
        } else if (name == "style") {
            bool off = false;
            for (const QChar c : value) {
                switch (c.unicode()) {
                    case '-':
                        off = true;
                        continue;
                    case 'b':
                        m_style.weight = off ? 400 : 700;
                        break;
                    case 'i':
                        m_style.italic = !off;
                        break;
                    case 'u':
                        m_style.underline = !off;
                        break;
                    case 's':
                        m_style.strikeout = !off;
                        break;
                    case 'o':
                        m_style.overline = !off;
                        break;
                    default:
                        break;
                }
                off = false;
            }
        } else if (name == "weight") {
            m_style.weight = ReadWeight(value, m_style.weight);
        } else if (name == "bkgnd") {
            if (!m_d.m_bColoursEnabled || value.isEmpty() || value == "transparent") {
                m_style.backMode = 1;
            } else {
                m_style.backMode = 2;
                m_style.backColour = ReadColour(value, m_style.backColour, ctx);
            }
        }
    }
}

void CVelaHtmlLayout::LinkTag(const MarkupAttributes& attributes) {
    m_style.linkKind = 2;
    m_style.linkText.clear();
    for (const auto& [name, value] : attributes) {
        if (name == "href") {
            m_style.linkKind = 1;
            m_style.linkText = value;
        } else if (name == "msg") {
            m_style.linkKind = 2;
            m_style.linkText = value;
        }
    }
    ++m_nLinkCounter;
    m_d.m_sheet.ApplyStyle(m_nLinkCounter == m_d.m_nHoveredLink ? "a:hover" : "a:link", m_style,
                           ValueContext());
}

void CVelaHtmlLayout::Rule(const MarkupAttributes& attributes) {
    VelaStyle rule = m_style;
    const VelaValueContext ctx = ValueContext();
    m_d.m_sheet.ApplyStyle(QStringLiteral("hr"), rule, ctx);
    int percent = 100;
    int pixels = 0;
    int thickness = 1;
    COLORREF colour = rule.textColour;
    for (const auto& [name, value] : attributes) {
        if (name == "width") {
            if (value.endsWith('%')) {
                percent = ReadSize(value, 100, false, ctx);
                pixels = 0;
            } else if (!value.isEmpty()) {
                pixels = std::max(0, ReadSize(value, 0, false, ctx));
                percent = 0;
            }
        } else if (name == "size") {
            thickness = std::max(1, ReadSize(value, thickness, false, ctx));
        } else if (name == "color") {
            colour = ReadColour(value, colour, ctx);
        }
    }
    m_bLineHasContent = true;
    if (m_bMeasuring) {
        m_line.height = std::max(m_line.height, thickness + 8);
        if (percent > 0) {
            m_line.percent += percent;
            m_x += 1;
        } else {
            m_x += pixels;
        }
        return;
    }
    const int width = percent > 0 ? (m_right - m_left) * percent / 100 : pixels;
    const int y = m_nLineTop + m_line.height / 2;
    if (width > 0) {
        m_dc.DrawLine(QPoint(m_x, y), QPoint(m_x + width - 1, y), VelaToQColor(colour), thickness,
                      VelaPenStyle::Solid);
    }
    m_x += width;
}

void CVelaHtmlLayout::Tab(int count) {
    const int tab = m_d.m_nTabWidth > 0 ? m_d.m_nTabWidth : 32;
    const int offset = m_x - m_left;
    if (offset % tab != 0) {
        m_x = m_left + (offset / tab + 1) * tab;
        --count;
    }
    m_x += count * tab;
    m_bLineHasContent = true;
}

void CVelaHtmlLayout::ResourceString(const MarkupAttributes& attributes) {
    QString text;
    for (const auto& [name, value] : attributes) {
        if (name == "idres" && m_d.m_stringLoader) {
            text = m_d.m_stringLoader(ReadSize(value, 0, false, ValueContext()));
        }
    }
    if (text.isEmpty()) return;
    const VelaTextExtent extent = Measure(text);
    if (m_bMeasuring) {
        m_line.height = std::max(m_line.height, extent.ascent);
        m_line.descent = std::max(m_line.descent, extent.height - extent.ascent);
    } else {
        const int top = TextTop(extent);
        m_dc.DrawText(m_font, m_x, top, text, VelaToQColor(m_style.textColour),
                      m_style.backMode == 2 && m_d.m_bColoursEnabled,
                      VelaToQColor(m_style.backColour));
        AddLinkArea(QRect(m_x, top, extent.width, extent.height));
    }
    m_x += extent.width;
    m_bLineHasContent = true;
}
