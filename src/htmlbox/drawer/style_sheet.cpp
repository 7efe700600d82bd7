#include "htmlbox/drawer/style_sheet.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

bool IsNameStart(QChar c) {
    const ushort u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '.';
}

void ApplyDecoration(const QString& value, VelaStyle& s) {
    const QStringList words = value.split(QRegularExpression("[ ,]"), Qt::SkipEmptyParts);
    if (words.isEmpty()) {
        s.underline = s.strikeout = s.overline = false;
        return;
    }
    for (const QString& w : words) {
        if (w == "none") {
            s.underline = s.strikeout = s.overline = false;
        } else if (w == "underline") {
            s.underline = true;
        } else if (w == "line-through") {
            s.strikeout = true;
        } else if (w == "overline") {
            s.overline = true;
        }
    }
}

void ApplyProperty(const QString& name, const QString& value, VelaStyle& s,
                   const VelaValueContext& ctx) {
    if (name == "font-size") {
        s.fontSize = ReadSize(value, s.fontSize, true, ctx);
    } else if (name == "font-family") {
        if (!value.isEmpty()) s.face = value;
    } else if (name == "font-style") {
        s.italic = ReadItalic(value, s.italic);
    } else if (name == "font-weight") {
        s.weight = ReadWeight(value, s.weight);
    } else if (name == "text-align") {
        s.align = ReadAlign(value, s.align);
    } else if (name == "text-transform") {
        s.transform = ReadTransform(value, s.transform);
    } else if (name == "color") {
        s.textColour = ReadColour(value, s.textColour, ctx);
    } else if (name == "background-color") {
        if (value.isEmpty() || value == "transparent") {
            s.backMode = 1;
        } else {
            s.backMode = 2;
            s.backColour = ReadColour(value, s.backColour, ctx);
        }
    } else if (name == "text-decoration") {
        ApplyDecoration(value, s);
    } else if (name == "vertical-align") {
        s.valign = ReadVAlign(value, s.valign);
    } else if (name == "border-color") {
        s.borderLight = s.borderDark = ReadColour(value, s.borderLight, ctx);
    } else if (name == "border-width" || name == "size") {
        if (value == "thin") {
            s.borderWidth = s.borderWidth * 75 / 100;
        } else if (value == "thick") {
            s.borderWidth = s.borderWidth * 125 / 100;
        } else if (value != "medium") {
            s.borderWidth = ReadSize(value, s.borderWidth, false, ctx);
        }
        if (s.borderWidth == 0) s.borderStyle = 0;
        if (s.borderWidth > 0 && s.borderStyle == 0) s.borderStyle = 1;
    } else if (name == "border-style") {
        s.borderStyle = ReadBorderStyle(value, s.borderStyle);
        if (s.borderStyle != 0 && s.borderWidth == 0) s.borderWidth = 1;
    } else if (name == "margin") {
        s.padding = ReadSize(value, s.padding, false, ctx);
    } else if (name == "padding") {
        s.spacing = ReadSize(value, s.spacing, false, ctx);
    }
}

}  // namespace

CVelaStyleSheet::CVelaStyleSheet() {
    LoadStyleSheet(std::nullopt);
}

QString CVelaStyleSheet::DefaultStyleSheet() {
    return QStringLiteral(
        "body {font-size: 10pt; color:black; font-family:Verdana}\r\n"
        "p {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
        "h1 {font-size: 14pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
        "h2 {font-size: 13pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
        "h3 {font-size: 12pt; color:#ff9900; font-family:Arial; font-weight:bold}\r\n"
        "h4 {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
        "h5 {font-size: 9pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
        "h6 {font-size: 65%; color:#626262; font-family:Verdana; font-weight:normal}\r\n"
        "pre {font-size: 9pt; font-family:\"Courier\"; background-color:#fbedbb}\r\n"
        "code {color:#990000; font-family:Arial}\r\n"
        "a:link {text-decoration:none; color:blue}\r\n"
        "a:hover {text-decoration:underline; color:blue}\r\n"
        "sub {font-size:65%; vertical-align:bottom}\r\n"
        "sup {font-size:65%; vertical-align:top}\r\n"
        "big {font-size:125%}\r\n"
        "small {font-size:75%}\r\n"
        ".cpp-comment {color:green; font-style:italic}\r\n");
}

void CVelaStyleSheet::LoadStyleSheet(const std::optional<QString>& text) {
    m_selectors.clear();
    Parse(text ? *text : DefaultStyleSheet());
}

void CVelaStyleSheet::Parse(const QString& text) {
    const int n = text.size();
    int i = 0;
    while (i < n) {
        while (i < n && !IsNameStart(text[i])) ++i;
        if (i >= n) break;
        const int start = i;
        while (i < n && text[i] != ' ' && text[i] != '{') ++i;
        const QString selector = text.mid(start, i - start).toLower();
        const int open = text.indexOf('{', i);
        if (open < 0) break;
        const int close = text.indexOf('}', open + 1);
        if (close < 0) break;
        const QString block = text.mid(open + 1, close - open - 1);
        if (!selector.isEmpty() && !block.trimmed().isEmpty()) m_selectors[selector] = block;
        i = close + 1;
    }
}

std::optional<QString> CVelaStyleSheet::FindStyle(const QString& name) const {
    const auto it = m_selectors.find(name.toLower());
    if (it == m_selectors.end()) return std::nullopt;
    return it->second;
}

void CVelaStyleSheet::ApplyStyle(const QString& name, VelaStyle& style,
                                 const VelaValueContext& ctx) const {
    if (const auto block = FindStyle(name)) ApplyDeclarations(*block, style, ctx);
}

void CVelaStyleSheet::ApplyDeclarations(const QString& text, VelaStyle& style,
                                        const VelaValueContext& ctx) {
    const QString block = text.toLower();
    const int n = block.size();
    int i = 0;
    while (i < n) {
        while (i < n && !IsNameStart(block[i])) ++i;
        if (i >= n) break;
        const int start = i;
        while (i < n && block[i] != ' ' && block[i] != ':') ++i;
        const QString name = block.mid(start, i - start);
        while (i < n && block[i] == ' ') ++i;
        QString value;
        if (i < n && block[i] == ':') {
            ++i;
            while (i < n && block[i] == ' ') ++i;
            if (i < n && block[i] == '"') {
                const int close = block.indexOf('"', i + 1);
                if (close >= 0) value = block.mid(i + 1, close - i - 1);
                i = close < 0 ? n : close + 1;
                // What follows the quotes up to the ";" belongs to nothing.
                const int semi = block.indexOf(';', i);
                i = semi < 0 ? n : semi + 1;
            } else {
                const int semi = block.indexOf(';', i);
                const int stop = semi < 0 ? n : semi;
                value = block.mid(i, stop - i).trimmed();
                i = semi < 0 ? n : semi + 1;
            }
        } else {
            // No ":": the entry has an empty value and ends at the next ";".
            const int semi = block.indexOf(';', i);
            i = semi < 0 ? n : semi + 1;
        }
        ApplyProperty(name, value, style, ctx);
    }
}
