#pragma once

#include <QString>
#include <utility>
#include <vector>

// Reading the mini-markup: entities, the split into text runs and tags, and
// tag attributes.

// Replaces the named entities (&amp;, &lt;, &bull;, ...) and numeric
// references (&#39;, &#x27;) in one pass from left to right; what one
// replacement yields is never read again, so "&amp;lt;" shows as "&lt;".
// Anything else after an "&" stays as written.
QString DecodeEntities(const QString& text);

// The entity table, in ascending order of the names.
const std::vector<std::pair<QString, QString>>& EntityTable();

struct MarkupToken {
    bool isTag = false;
    QString text;  // a text run (entities still encoded) or the inside of a tag
};

// Reads the next token from `pos`; false at the end. A "<<" and a "<" at the
// very end are a literal "<" in the run; a "<" with no ">" after it is dropped.
bool NextMarkupToken(const QString& text, int& pos, MarkupToken& token);

struct MarkupTag {
    QString name;  // without the "/" of a closing tag
    bool closing = false;
    QString attributeText;
};
MarkupTag SplitTag(const QString& inside);

using MarkupAttributes = std::vector<std::pair<QString, QString>>;
// name=value pairs; values quoted with ' or ", or bare up to a space or "=";
// a name without "=" has an empty value. Values have their entities decoded.
MarkupAttributes ReadAttributes(const QString& attributeText);

// The count of br=2 and t=3: missing or not positive means 1.
int ReadRepeatCount(const QString& attributeText);

// Position of the tag `<name` at or after `from` (a "<" doubled for escaping
// does not count), or -1.
int FindTag(const QString& text, const QString& name, int from);
// From a position just after "<table", the position of the "</table" that
// closes it (nested tables counted), or -1.
int FindTableEnd(const QString& text, int from);
// The position of `</name` (row or cell end) at or after `from`, skipping
// nested tables; stops (returns `limit`) at `limit`.
int FindPartEnd(const QString& text, const QString& name, int from, int limit);
