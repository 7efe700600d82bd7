#include "recovery/salvage/xml_prefix.h"

#include <QFile>
#include <QXmlStreamReader>
#include <vector>

namespace {

const QString kOfficeNs = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
const QString kDrawNs = "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0";

// Deeper nesting than this is no document an office program writes.
constexpr int kMaxDepth = 1024;
constexpr int kTokensBetweenStopChecks = 4096;

// The bytes at the start of `data` that are whole, valid UTF-8. An
// incomplete sequence at the very end is left for the next block; `*bad` is
// set when an invalid one stops the run.
qsizetype ValidUtf8Prefix(const QByteArray& data, bool* bad) {
    qsizetype i = 0;
    const qsizetype n = data.size();
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        int length = 0;
        if (c < 0x80)
            length = 1;
        else if (c >= 0xC2 && c <= 0xDF)
            length = 2;
        else if (c >= 0xE0 && c <= 0xEF)
            length = 3;
        else if (c >= 0xF0 && c <= 0xF4)
            length = 4;
        if (length == 0) {
            *bad = true;
            return i;
        }
        if (i + length > n) return i;  // completed by the next block
        for (int k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(data[i + k]) & 0xC0) != 0x80) {
                *bad = true;
                return i;
            }
        }
        i += length;
    }
    return i;
}

struct OpenElement {
    QString qualifiedName;
    bool isPresentation = false;
};

}  // namespace

XmlCut FindXmlCut(QIODevice& input, XmlKind kind, const std::function<bool()>& keepRunning) {
    XmlCut cut;
    if (input.size() > kMaxSalvagedXmlBytes) return cut;
    // Fed by hand, and only with valid UTF-8: the reader gives up a whole
    // block of text that holds one bad byte, slides before it included.
    QXmlStreamReader reader;
    QByteArray carry;
    bool inputEnds = false, badInput = false;
    const auto feed = [&] {
        if (inputEnds) return false;
        QByteArray block = carry + input.read(64 * 1024);
        bool bad = false;
        const qsizetype valid = ValidUtf8Prefix(block, &bad);
        badInput = badInput || bad;
        if (valid == 0 && (bad || input.atEnd())) {
            inputEnds = true;
            return false;
        }
        reader.addData(block.left(valid));
        carry = block.mid(valid);
        if (bad) inputEnds = true;
        return true;
    };
    feed();
    std::vector<OpenElement> open;
    bool rootSeen = false;
    const auto remember = [&](bool inPresentation) {
        cut.keepUnits = reader.characterOffset();
        cut.toClose.clear();
        for (const OpenElement& e : open) cut.toClose << e.qualifiedName;
        cut.inPresentation = inPresentation;
    };
    for (int tokens = 0;; ++tokens) {
        if (tokens % kTokensBetweenStopChecks == 0 && !keepRunning()) {
            cut.stopped = true;
            return cut;
        }
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (reader.error() == QXmlStreamReader::PrematureEndOfDocumentError) {
            if (!feed()) break;
            continue;
        }
        if (reader.atEnd() || reader.hasError()) break;
        if (token == QXmlStreamReader::StartElement) {
            if (int(open.size()) >= kMaxDepth) break;
            if (open.empty()) {
                cut.rootNamespaces = reader.namespaceDeclarations();
                rootSeen = true;
            }
            const bool presentation = kind == XmlKind::Content && open.size() == 2 &&
                                      reader.namespaceUri() == kOfficeNs &&
                                      reader.name() == QLatin1String("presentation");
            open.push_back({reader.qualifiedName().toString(), presentation});
            // Slides may be added just inside the presentation even when
            // none of its own is whole; an empty one closes at once.
            if (presentation && cut.slides == 0) remember(true);
        } else if (token == QXmlStreamReader::EndElement) {
            const bool slide = kind == XmlKind::Content && open.size() >= 2 &&
                               open[open.size() - 2].isPresentation &&
                               reader.namespaceUri() == kDrawNs &&
                               reader.name() == QLatin1String("page");
            const bool presentationEnds = !open.empty() && open.back().isPresentation;
            open.pop_back();
            if (presentationEnds && cut.slides == 0) {
                cut.keepUnits = -1;  // an empty presentation: nothing to keep
                cut.inPresentation = false;
            }
            if (slide) {
                ++cut.slides;
                remember(true);
            } else if (kind == XmlKind::Other && !open.empty()) {
                remember(false);
            } else if (open.empty()) {
                // The document element is closed: the whole document stands.
                if (kind == XmlKind::Other || cut.slides > 0) remember(false);
            }
        }
    }
    // Fed by hand, the reader waits for more after the document element
    // closes; the input running out there is the end of a whole document.
    const bool ranOut = reader.error() == QXmlStreamReader::PrematureEndOfDocumentError;
    cut.complete =
        (!reader.hasError() || ranOut) && open.empty() && rootSeen && !badInput && carry.isEmpty();
    return cut;
}

namespace {
// UTF-16 units a byte starts: a lead byte of four starts a surrogate pair,
// a continuation byte starts none.
int UnitsStartedBy(unsigned char c) {
    if ((c & 0xC0) == 0x80) return 0;
    return c >= 0xF0 ? 2 : 1;
}

// The bytes of `data` that hold the next `*units` UTF-16 units, which are
// taken off `*units` (it may go below zero when the last byte starts a pair).
qint64 TakeUnits(const char* data, qint64 size, qint64* units) {
    qint64 i = 0;
    for (; i < size; ++i) {
        const int started = UnitsStartedBy(static_cast<unsigned char>(data[i]));
        if (started > 0 && *units <= 0) break;
        *units -= started;
    }
    return i;
}
}  // namespace

qint64 Utf8BytesForUnits(const char* data, qint64 size, qint64 units) {
    return TakeUnits(data, size, &units);
}

bool CopyUnits(QIODevice& input, qint64 units, QIODevice& output) {
    if (!input.seek(0)) return false;
    constexpr qint64 kChunk = 256 * 1024;
    for (;;) {
        const QByteArray block = input.read(kChunk);
        const qint64 i = TakeUnits(block.constData(), block.size(), &units);
        if (i > 0 && output.write(block.constData(), i) != i) return false;
        if (i < block.size() || block.isEmpty()) return units <= 0;
    }
}

QByteArray EndTags(const QStringList& names) {
    QByteArray tags;
    for (auto it = names.crbegin(); it != names.crend(); ++it) tags += "</" + it->toUtf8() + ">";
    return tags;
}

bool IsWellFormedXml(QIODevice& input) {
    if (input.size() > kMaxSalvagedXmlBytes || input.size() == 0) return false;
    QXmlStreamReader reader(&input);
    bool root = false;
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement) root = true;
    return root && !reader.hasError();
}

bool IsWellFormedXmlFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && IsWellFormedXml(file);
}
