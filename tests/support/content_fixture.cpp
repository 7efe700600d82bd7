#include "support/content_fixture.h"

#include <zlib.h>

#include <QXmlStreamReader>
#include <random>

ContentFixture ContentXml(int slides, int wordsPerSlide, uint32_t seed) {
    static const char* kWords[] = {"budget", "review", "quarter", "growth", "plan",    "target",
                                   "market", "client", "product", "team",   "release", "cost",
                                   "risk",   "margin", "launch",  "region", "pilot",   "été"};
    std::mt19937 random(seed);
    ContentFixture f;
    f.bytes =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<office:document-content "
        "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
        "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
        "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" "
        "xmlns:presentation=\"urn:oasis:names:tc:opendocument:xmlns:presentation:1.0\" "
        "office:version=\"1.3\"><office:automatic-styles><style:style style:name=\"dp1\" "
        "style:family=\"drawing-page\"/></office:automatic-styles><office:body>"
        "<office:presentation>";
    for (int i = 1; i <= slides; ++i) {
        QByteArray words, title, notes;
        for (int w = 0; w < wordsPerSlide; ++w) {
            const QByteArray word = QByteArray(kWords[random() % 18]) + ' ';
            words += word;
            if (w < 5) title += word;
            if (w >= wordsPerSlide - 8) notes += word;
        }
        f.bytes += "<draw:page draw:name=\"page" + QByteArray::number(i) +
                   "\" draw:style-name=\"dp1\"><draw:frame presentation:class=\"title\">"
                   "<draw:text-box><text:p>Slide " +
                   QByteArray::number(i) + " " + title +
                   "</text:p></draw:text-box></draw:frame><draw:frame><draw:text-box><text:p>" +
                   words +
                   "</text:p></draw:text-box></draw:frame><presentation:notes>"
                   "<draw:page-thumbnail draw:page-number=\"" +
                   QByteArray::number(i) + "\"/><draw:frame><draw:text-box><text:p>Notes " + notes +
                   "</text:p></draw:text-box></draw:frame></presentation:notes>"
                   "</draw:page>";
        f.slideEnds.push_back(f.bytes.size());
    }
    f.bytes +=
        "<presentation:settings presentation:mouse-visible=\"false\"/>"
        "</office:presentation></office:body></office:document-content>";
    return f;
}

QByteArray DeflateWithMarks(const QByteArray& data, const std::vector<int>& marks,
                            std::vector<int>* flushedAt, int level) {
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&z, uLong(data.size())) + 64 * (marks.size() + 1)), '\0');
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    int from = 0;
    const auto feed = [&](int to, int flush) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()) + from);
        z.avail_in = uInt(to - from);
        deflate(&z, flush);
        from = to;
    };
    for (int mark : marks) {
        feed(mark, Z_SYNC_FLUSH);
        if (flushedAt) flushedAt->push_back(int(z.total_out));
    }
    feed(data.size(), Z_FINISH);
    out.resize(int(z.total_out));
    deflateEnd(&z);
    return out;
}

QStringList SlideNames(const QByteArray& content) {
    QXmlStreamReader reader(content);
    QStringList names;
    const QString drawNs = "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0";
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement &&
            reader.namespaceUri() == drawNs && reader.name() == QLatin1String("page"))
            names << reader.attributes().value(drawNs, "name").toString();
    if (reader.hasError()) return {"<not well-formed>"};
    return names;
}

QStringList PageNames(int from, int to) {
    QStringList names;
    for (int i = from; i <= to; ++i) names << QString("page%1").arg(i);
    return names;
}
