#include "htmlbox/drawer/html_markup.h"

namespace {

bool IsAttributeStart(QChar c) {
    const ushort u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '.';
}

// "&#39;" or "&#x27;" at `pos`; the length read, or 0.
int ReadNumericReference(const QString& text, int pos, QString& out) {
    int i = pos + 2;
    const int n = text.size();
    int base = 10;
    if (i < n && (text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    }
    const int digitsStart = i;
    quint32 value = 0;
    while (i < n && i - digitsStart < 8) {
        const int d = QChar(text[i]).digitValue();
        const ushort u = text[i].unicode();
        int v = -1;
        if (d >= 0 && d < 10 && u < 128) v = d;
        if (base == 16 && u >= 'a' && u <= 'f') v = u - 'a' + 10;
        if (base == 16 && u >= 'A' && u <= 'F') v = u - 'A' + 10;
        if (v < 0) break;
        value = value * base + v;
        ++i;
    }
    if (i == digitsStart || i >= n || text[i] != ';') return 0;
    // Nothing that could end a line or hide the text: controls and
    // non-characters stay as written.
    if (value < 0x20 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    out = QString::fromUcs4(reinterpret_cast<const char32_t*>(&value), 1);
    return i + 1 - pos;
}

}  // namespace

const std::vector<std::pair<QString, QString>>& EntityTable() {
    static const std::vector<std::pair<QString, QString>> kEntities = {
        {"&amp;", "&"},
        {"&bull;", QString(QChar(0x2022))},
        {"&copy;", QString(QChar(0x00A9))},
        {"&euro;", QString(QChar(0x20AC))},
        {"&gt;", ">"},
        {"&iquest;", QString(QChar(0x00BF))},
        {"&lt;", "<"},
        {"&nbsp;", " "},
        {"&para;", QString(QChar(0x00B6))},
        {"&pound;", QString(QChar(0x00A3))},
        {"&quot;", "\""},
        {"&reg;", QString(QChar(0x00AE))},
        {"&trade;", QString(QChar(0x2122))},
    };
    return kEntities;
}

QString DecodeEntities(const QString& text) {
    if (!text.contains('&')) return text;
    QString out;
    out.reserve(text.size());
    const int n = text.size();
    int i = 0;
    while (i < n) {
        if (text[i] != '&') {
            out += text[i++];
            continue;
        }
        bool replaced = false;
        if (i + 1 < n && text[i + 1] == '#') {
            QString ch;
            const int len = ReadNumericReference(text, i, ch);
            if (len > 0) {
                out += ch;
                i += len;
                replaced = true;
            }
        } else {
            for (const auto& [entity, replacement] : EntityTable()) {
                if (QStringView(text).mid(i).startsWith(entity)) {
                    out += replacement;
                    i += entity.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) out += text[i++];
    }
    return out;
}

bool NextMarkupToken(const QString& text, int& pos, MarkupToken& token) {
    const int n = text.size();
    if (pos >= n) return false;
    token.isTag = false;
    token.text.clear();
    if (text[pos] == '<' && pos + 1 < n && text[pos + 1] != '<') {
        const int close = text.indexOf('>', pos + 1);
        if (close >= 0) {
            token.isTag = true;
            token.text = text.mid(pos + 1, close - pos - 1);
            pos = close + 1;
            return true;
        }
        // No end to the tag: the "<" goes and the rest is text.
        ++pos;
    }
    while (pos < n) {
        const QChar c = text[pos];
        if (c != '<') {
            token.text += c;
            ++pos;
            continue;
        }
        if (pos + 1 >= n) {  // a "<" at the very end is itself
            token.text += '<';
            ++pos;
            break;
        }
        if (text[pos + 1] == '<') {  // "<<" is one literal "<" and ends the run
            token.text += '<';
            pos += 2;
            break;
        }
        if (text.indexOf('>', pos + 1) < 0) {
            ++pos;  // dropped, the rest is read as text
            continue;
        }
        break;  // a tag follows
    }
    return true;
}

MarkupTag SplitTag(const QString& inside) {
    MarkupTag tag;
    int cut = 0;
    while (cut < inside.size() && inside[cut] != ' ' && inside[cut] != '=') ++cut;
    tag.name = inside.left(cut);
    int rest = cut;
    while (rest < inside.size() && inside[rest] == ' ') ++rest;
    tag.attributeText = inside.mid(rest);
    if (tag.name.startsWith('/')) {
        tag.closing = true;
        tag.name.remove(0, 1);
    }
    return tag;
}

MarkupAttributes ReadAttributes(const QString& text) {
    MarkupAttributes attributes;
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
        attributes.emplace_back(name, DecodeEntities(value));
    }
    return attributes;
}

int ReadRepeatCount(const QString& attributeText) {
    QString t = attributeText.trimmed();
    if (!t.startsWith('=')) return 1;
    t = t.mid(1).trimmed();
    int count = 0;
    int i = 0;
    while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128 && count < 10000) {
        count = count * 10 + t[i].digitValue();
        ++i;
    }
    // A huge count could only push the text out of any picture.
    return count > 0 ? std::min(count, 1000) : 1;
}

int FindTag(const QString& text, const QString& name, int from) {
    const QString needle = "<" + name;
    int pos = from;
    while (true) {
        pos = text.indexOf(needle, pos);
        if (pos < 0) return -1;
        if (pos > 0 && text[pos - 1] == '<') {
            // "<<table" is escaped text, unless the "<" before is itself the
            // second of an escaped pair; count the run of brackets.
            int k = pos;
            while (k > 0 && text[k - 1] == '<') --k;
            if ((pos - k) % 2 == 1) {
                pos += needle.size();
                continue;
            }
        }
        // "<tr" is not "<track": the name ends where a letter or digit does not follow.
        const int after = pos + needle.size();
        if (after < text.size() && (text[after].isLetterOrNumber() || text[after] == '-')) {
            pos = after;
            continue;
        }
        return pos;
    }
}

int FindTableEnd(const QString& text, int from) {
    int depth = 1;
    int pos = from;
    while (true) {
        const int open = FindTag(text, "table", pos);
        const int close = FindTag(text, "/table", pos);
        if (close < 0) return -1;
        if (open >= 0 && open < close) {
            ++depth;
            pos = open + 6;
            continue;
        }
        if (--depth == 0) return close;
        pos = close + 7;
    }
}

int FindPartEnd(const QString& text, const QString& name, int from, int limit) {
    int pos = from;
    while (pos < limit) {
        const int end = FindTag(text, "/" + name, pos);
        const int table = FindTag(text, "table", pos);
        if (table >= 0 && table < limit && (end < 0 || table < end)) {
            const int tableEnd = FindTableEnd(text, table + 6);
            if (tableEnd < 0) return limit;
            pos = tableEnd + 7;
            continue;
        }
        if (end < 0 || end >= limit) return limit;
        return end;
    }
    return limit;
}
