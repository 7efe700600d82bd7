#include "htmlbox/drawer/html_table_parse.h"

#include <algorithm>

#include "htmlbox/drawer/html_markup.h"
#include "htmlbox/drawer/style_values.h"

namespace {

// The next "<name" at this table's level (nested tables skipped) in [from, limit).
int NextAtLevel(const QString& text, const QString& name, int from, int limit) {
    int pos = from;
    while (pos < limit) {
        const int hit = FindTag(text, name, pos);
        const int table = FindTag(text, QStringLiteral("table"), pos);
        if (table >= 0 && table < limit && (hit < 0 || table < hit)) {
            const int end = FindTableEnd(text, table + 6);
            if (end < 0) return -1;
            pos = end + 7;
            continue;
        }
        return (hit >= 0 && hit < limit) ? hit : -1;
    }
    return -1;
}

// The inside of the tag at `pos` and where its ">" ends (the text end when
// it has none).
QString TagAt(const QString& text, int pos, int& after) {
    const int gt = text.indexOf('>', pos);
    after = gt < 0 ? text.size() : gt + 1;
    return text.mid(pos + 1, (gt < 0 ? text.size() : gt) - pos - 1);
}

std::vector<std::pair<QString, QString>> Parts(const QString& text, const QString& name, int from,
                                               int limit) {
    std::vector<std::pair<QString, QString>> parts;
    int pos = NextAtLevel(text, name, from, limit);
    while (pos >= 0) {
        int after = 0;
        const QString attributes = SplitTag(TagAt(text, pos, after)).attributeText;
        const int next = after < limit ? NextAtLevel(text, name, after, limit) : -1;
        const int bound = next < 0 ? limit : next;
        // A part without its end tag ends where the next one starts.
        const int end = after < bound ? FindPartEnd(text, name, after, bound) : bound;
        parts.emplace_back(attributes, text.mid(after, std::max(0, end - after)));
        pos = next;
    }
    return parts;
}

}  // namespace

ParsedTable ParseTable(const QString& text) {
    ParsedTable table;
    int after = 0;
    table.attributes = SplitTag(TagAt(text, 0, after)).attributeText;
    int end = FindTableEnd(text, 6);
    if (end < 0) end = text.size();
    for (const auto& [rowAttributes, rowText] : Parts(text, QStringLiteral("tr"), after, end)) {
        ParsedRow row;
        row.attributes = rowAttributes;
        for (const auto& [cellAttributes, cellText] :
             Parts(rowText, QStringLiteral("td"), 0, int(rowText.size()))) {
            row.cells.push_back({cellAttributes, cellText});
        }
        table.rows.push_back(std::move(row));
    }
    return table;
}

int Span(const QString& attributeText, const QString& name) {
    for (const auto& [n, v] : ReadAttributes(attributeText)) {
        if (n == name) {
            const int span = int(ReadUnsigned(v));
            return std::clamp(span, 1, 1000);
        }
    }
    return 1;
}
