#include "support/deck_xml.h"

#include <zlib.h>

#include <random>

namespace {

const char* const kWords[] = {"slide",   "market",  "growth", "quarter", "team",    "plan",
                              "revenue", "product", "launch", "budget",  "review",  "design",
                              "sales",   "metric",  "target", "roadmap", "partner", "risk",
                              "report",  "summary", "region", "client",  "cost",    "goal"};

QByteArray Words(std::mt19937& random, int count) {
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        if (i) text += ' ';
        text += kWords[random() % (sizeof kWords / sizeof *kWords)];
        if (random() % 3 == 0) text += QByteArray::number(int(random() % 10000));
    }
    return text;
}

}  // namespace

QByteArray DeckContentXml(int slides, uint32_t seed) {
    std::mt19937 random(seed);
    QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<office:document-content "
        "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
        "xmlns:presentation=\"urn:oasis:names:tc:opendocument:xmlns:presentation:1.0\" "
        "office:version=\"1.3\"><office:automatic-styles/><office:body>"
        "<office:presentation>";
    for (int s = 1; s <= slides; ++s) {
        xml += "<draw:page draw:name=\"page" + QByteArray::number(s) +
               "\" draw:master-page-name=\"Default\"><draw:frame "
               "presentation:class=\"title\"><draw:text-box><text:p>" +
               Words(random, 4) +
               "</text:p></draw:text-box></draw:frame><draw:frame "
               "presentation:class=\"outline\"><draw:text-box>";
        for (int line = 0; line < 5; ++line) xml += "<text:p>" + Words(random, 12) + "</text:p>";
        xml +=
            "</draw:text-box></draw:frame><presentation:notes><draw:frame><draw:text-box>"
            "<text:p>" +
            Words(random, 20) +
            "</text:p></draw:text-box></draw:frame></presentation:notes></draw:page>";
    }
    xml += "</office:presentation></office:body></office:document-content>\n";
    return xml;
}

int WholePages(const QByteArray& xml) {
    int count = 0;
    for (qsizetype at = 0;;) {
        const qsizetype open = xml.indexOf("<draw:page ", at);
        if (open < 0) break;
        const qsizetype close = xml.indexOf("</draw:page>", open);
        if (close < 0) break;
        const qsizetype nextOpen = xml.indexOf("<draw:page ", open + 1);
        if (nextOpen < 0 || nextOpen > close) ++count;
        at = close + 1;
    }
    return count;
}

QByteArray DeflateFlushingEvery(const QByteArray& xml, int slidesPerFlush) {
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&z, uLong(xml.size()))) + 65536, '\0');
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    qsizetype at = 0;
    int pages = 0;
    for (;;) {
        qsizetype next = xml.indexOf("</draw:page>", at);
        const bool last = next < 0;
        next = last ? xml.size() : next + 12;
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(xml.constData()) + at);
        z.avail_in = uInt(next - at);
        const bool flush = !last && slidesPerFlush > 0 && ++pages % slidesPerFlush == 0;
        deflate(&z, last ? Z_FINISH : flush ? Z_FULL_FLUSH : Z_NO_FLUSH);
        at = next;
        if (last) break;
    }
    out.resize(int(z.total_out));
    deflateEnd(&z);
    return out;
}

QByteArray DeckWithEmbeddedPicture(int slides, int slide, int pictureBytes, uint32_t seed) {
    QByteArray xml = DeckContentXml(slides, seed);
    std::mt19937 random(seed + 1);
    QByteArray picture(pictureBytes * 3 / 4, '\0');
    for (char& c : picture) c = char(random() & 0xFF);
    const qsizetype page =
        xml.indexOf("<draw:page draw:name=\"page" + QByteArray::number(slide) + "\"");
    const qsizetype at = xml.indexOf('>', page) + 1;
    xml.insert(at, "<draw:frame><draw:image><office:binary-data>" + picture.toBase64() +
                       "</office:binary-data></draw:image></draw:frame>");
    return xml;
}

int64_t CompressedOffsetOf(const QByteArray& packed, int64_t output) {
    z_stream z{};
    inflateInit2(&z, -15);
    QByteArray out(64 * 1024, '\0');
    int64_t at = 0;
    for (; at < packed.size(); ++at) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.constData()) + at);
        z.avail_in = 1;
        do {
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = uInt(out.size());
            inflate(&z, Z_NO_FLUSH);
        } while (z.avail_out == 0);
        if (int64_t(z.total_out) > output) break;
    }
    inflateEnd(&z);
    return at;
}
