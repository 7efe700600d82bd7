#include "cli/plain_text.h"

#include <QRegularExpression>

QString MarkupToPlainText(const QString& markup) {
    QString text = markup;
    static const QRegularExpression lineBreak("<br\\s*/?>",
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tag("<[^>]*>");
    text.replace(lineBreak, "\n");
    text.remove(tag);
    text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"");
    text.replace("&#39;", "'").replace("&apos;", "'").replace("&nbsp;", " ");
    text.replace("&amp;", "&");
    return text;
}
