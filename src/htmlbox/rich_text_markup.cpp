#include "htmlbox/rich_text_markup.h"

#include <QColor>
#include <QMap>
#include <utility>
#include <vector>

const QString kIconScheme = QStringLiteral("vela-icon:");

namespace {

// Replaced one after the other in this (alphabetical) order, so "&amp;lt;" ends
// as a literal "<": it becomes "&lt;", then the doubled "<<" that stands for one.
const std::vector<std::pair<QString, QString>>& Entities() {
    static const std::vector<std::pair<QString, QString>> kEntities = {
        {"&amp;", "&"},
        {"&bull;", QString(QChar(0x2022))},
        {"&copy;", QString(QChar(0x00A9))},
        {"&euro;", QString(QChar(0x20AC))},
        {"&gt;", ">"},
        {"&iquest;", QString(QChar(0x00BF))},
        {"&lt;", "<<"},
        {"&nbsp;", " "},
        {"&para;", QString(QChar(0x00B6))},
        {"&pound;", QString(QChar(0x00A3))},
        {"&quot;", "\""},
        {"&reg;", QString(QChar(0x00AE))},
        {"&trade;", QString(QChar(0x2122))},
    };
    return kEntities;
}

bool IsAttributeStart(QChar c) {
    return c.isDigit() || (c.unicode() < 128 && c.isLetter()) || c == '.';
}

// name=value pairs of a tag: values quoted with ' or ", or bare up to a blank or "=".
QMap<QString, QString> ParseAttributes(const QString& text) {
    QMap<QString, QString> attributes;
    int i = 0;
    const int n = text.size();
    while (i < n) {
        while (i < n && !IsAttributeStart(text[i])) ++i;
        if (i >= n) break;
        const int nameStart = i;
        while (i < n && text[i] != ' ' && text[i] != '=') ++i;
        const QString name = text.mid(nameStart, i - nameStart);
        while (i < n && text[i] == ' ') ++i;
        QString value;
        if (i < n && text[i] == '=') {
            ++i;
            while (i < n && text[i] == ' ') ++i;
            if (i < n && (text[i] == '\'' || text[i] == '"')) {
                const QChar quote = text[i++];
                const int end = text.indexOf(quote, i);
                const int stop = end < 0 ? n : end;
                value = text.mid(i, stop - i);
                i = end < 0 ? n : end + 1;
            } else {
                const int valueStart = i;
                while (i < n && text[i] != ' ' && text[i] != '=') ++i;
                value = text.mid(valueStart, i - valueStart);
            }
        }
        if (!attributes.contains(name)) attributes.insert(name, value);
    }
    return attributes;
}

// "=3" after a br or t tag: how many; missing or not positive means one.
int RepeatCount(const QString& attributeText) {
    QString t = attributeText.trimmed();
    if (t.startsWith('=')) t = t.mid(1).trimmed();
    bool ok = false;
    const int count = t.toInt(&ok);
    return ok && count > 0 ? std::min(count, 100) : 1;
}

QString EscapeRun(const QString& run) {
    QString escaped = run.toHtmlEscaped();
    // Rich text folds blanks together; the message keeps every one it was given.
    escaped.replace("  ", " &nbsp;");
    escaped.replace("&nbsp; ", "&nbsp;&nbsp;");
    return escaped;
}

QString AttributeValue(const QString& value) {
    return value.toHtmlEscaped();
}

class Converter {
public:
    QString Convert(const QString& markup) {
        QString text = markup;
        for (const auto& [entity, replacement] : Entities()) text.replace(entity, replacement);
        text.remove('\r');
        text.replace('\n', "<br>");
        text.replace('\t', "<t>");

        const int n = text.size();
        int i = 0;
        QString run;
        while (i < n) {
            const QChar c = text[i];
            if (c != '<') {
                run += c;
                ++i;
                continue;
            }
            if (i + 1 >= n) {  // a "<" at the very end is itself
                run += '<';
                ++i;
                continue;
            }
            if (text[i + 1] == '<') {
                run += '<';
                i += 2;
                continue;
            }
            const int close = text.indexOf('>', i + 1);
            if (close < 0) {  // no end to the tag: drop the "<", keep the rest as text
                ++i;
                continue;
            }
            Flush(run);
            Tag(text.mid(i + 1, close - i - 1));
            i = close + 1;
        }
        Flush(run);
        while (!m_open.empty()) CloseTop();
        return m_out;
    }

private:
    struct OpenGroup {
        QString group;
        QString closing;  // what ends it in the rich text
    };

    void Flush(QString& run) {
        if (!run.isEmpty()) m_out += EscapeRun(run);
        run.clear();
    }

    void Push(const QString& group, const QString& opening, const QString& closing) {
        m_out += opening;
        m_open.push_back({group, closing});
    }

    void CloseTop() {
        m_out += m_open.back().closing;
        m_open.pop_back();
    }

    void Tag(const QString& tag) {
        if (tag.isEmpty()) return;
        int cut = 0;
        while (cut < tag.size() && tag[cut] != ' ' && tag[cut] != '=') ++cut;
        QString name = tag.left(cut);
        const QString attributeText = tag.mid(cut).trimmed();
        const bool closing = name.startsWith('/');
        if (closing) name = name.mid(1);

        // Tags without a closing group act the same in both forms.
        if (name == "br") {
            for (int k = RepeatCount(attributeText); k > 0; --k) m_out += "<br>";
            return;
        }
        if (name == "t") {
            for (int k = RepeatCount(attributeText); k > 0; --k)
                m_out += "&nbsp;&nbsp;&nbsp;&nbsp;";
            return;
        }
        if (name == "hr") {
            m_out += "<hr>";
            return;
        }
        if (name == "icon") {
            if (!closing) Icon(ParseAttributes(attributeText));
            return;
        }

        const QString group = GroupOf(name);
        if (group.isEmpty()) return;  // unknown, or drawn only by the full message box
        if (closing) {
            // Only the innermost open group can be closed; a stray closing tag does nothing.
            if (!m_open.empty() && m_open.back().group == group) CloseTop();
            return;
        }
        OpenTag(name, group, ParseAttributes(attributeText));
    }

    static QString GroupOf(const QString& name) {
        static const QMap<QString, QString> kGroups = {
            {"b", "bold"},        {"i", "italic"},        {"em", "italic"},
            {"u", "underline"},   {"s", "strikeout"},     {"strike", "strikeout"},
            {"font", "font"},     {"left", "left"},       {"center", "center"},
            {"right", "right"},   {"justify", "justify"}, {"baseline", "baseline"},
            {"top", "top"},       {"vcenter", "vcenter"}, {"middle", "vcenter"},
            {"bottom", "bottom"}, {"body", "body"},       {"h1", "h1"},
            {"h2", "h2"},         {"h3", "h3"},           {"h4", "h4"},
            {"h5", "h5"},         {"h6", "h6"},           {"code", "code"},
            {"pre", "pre"},       {"big", "big"},         {"small", "small"},
            {"sub", "sub"},       {"sup", "sup"},         {"span", "span"},
            {"a", "link"},        {"table", "table"},     {"tr", "tr"},
            {"td", "td"},
        };
        return kGroups.value(name);
    }

    void OpenTag(const QString& name, const QString& group, const QMap<QString, QString>& attrs) {
        if (name == "b" || name == "u" || name == "s" || name == "sub" || name == "sup" ||
            name == "big" || name == "small" || name == "code" || name == "pre" ||
            (name.size() == 2 && name[0] == 'h')) {
            Push(group, "<" + name + ">", "</" + name + ">");
        } else if (name == "i" || name == "em") {
            Push(group, "<i>", "</i>");
        } else if (name == "strike") {
            Push(group, "<s>", "</s>");
        } else if (name == "font") {
            QString opening = "<font";
            const QString face = attrs.value("face");
            if (!face.isEmpty()) opening += " face=\"" + AttributeValue(face) + "\"";
            const QColor color(attrs.value("color"));
            if (attrs.contains("color") && color.isValid())
                opening += " color=\"" + color.name() + "\"";
            Push(group, opening + ">", "</font>");
        } else if (name == "left" || name == "center" || name == "right" || name == "justify") {
            Push(group, "<div align=\"" + name + "\">", "</div>");
        } else if (name == "table") {
            const int padding = attrs.value("cellpadding").toInt();
            Push(group,
                 QStringLiteral("<table border=\"0\" cellspacing=\"0\" cellpadding=\"%1\">")
                     .arg(std::max(0, padding)),
                 "</table>");
        } else if (name == "tr") {
            Push(group, "<tr>", "</tr>");
        } else if (name == "td") {
            const int width = attrs.value("width").toInt();
            Push(group,
                 width > 0 ? QStringLiteral("<td valign=\"top\" width=\"%1\">").arg(width)
                           : QStringLiteral("<td valign=\"top\">"),
                 "</td>");
        } else if (name == "a") {
            const QString href = attrs.value("href");
            if (href.isEmpty())
                Push(group, "<span>", "</span>");
            else
                Push(group, "<a href=\"" + AttributeValue(href) + "\">", "</a>");
        } else {
            // Vertical alignment, body and classes: kept for the nesting, drawn plainly.
            Push(group, QString(), QString());
        }
    }

    // An icon of the message box, by the number it registered it under.
    void Icon(const QMap<QString, QString>& attrs) {
        bool ok = false;
        const uint handle = attrs.value("handle").toUInt(&ok, 0);
        if (ok && handle != 0)
            m_out += QStringLiteral("<img src=\"%1%2\">").arg(kIconScheme).arg(handle, 0, 16);
    }

    QString m_out;
    std::vector<OpenGroup> m_open;
};

}  // namespace

QString MiniMarkupToRichText(const QString& markup) {
    return Converter().Convert(markup);
}

QUrl MessageLinkUrl(const QString& href) {
    const QUrl url(href, QUrl::StrictMode);
    // A one-letter "scheme" would be a drive letter, not an address.
    if (url.isValid() && url.scheme().size() > 1) return url;
    return QUrl::fromLocalFile(href);
}
