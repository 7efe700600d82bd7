#include "recovery/salvage/xml_salvage.h"

#include <QXmlStreamReader>
#include <algorithm>

#include "platform/files.h"
#include "recovery/salvage/xml_prefix.h"

namespace {

const QString kDrawNs = "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0";
// A run that keeps failing is given up after this many fresh starts.
constexpr int kMaxRestartsPerRun = 1000;

QByteArray Escaped(const QString& value) {
    QString text = value;
    text.replace('&', "&amp;").replace('"', "&quot;").replace('<', "&lt;");
    return text.toUtf8();
}

// A document element that declares what the real one declared, so a slide
// cut out of the text can be read on its own.
QByteArray StandInRoot(const QXmlStreamNamespaceDeclarations& namespaces) {
    QByteArray root = "<r";
    for (const QXmlStreamNamespaceDeclaration& ns : namespaces) {
        root += ns.prefix().isEmpty() ? QByteArray(" xmlns=\"")
                                      : " xmlns:" + ns.prefix().toUtf8() + "=\"";
        root += Escaped(ns.namespaceUri().toString()) + '"';
    }
    return root + '>';
}

QByteArray SlideStartTag(const QXmlStreamNamespaceDeclarations& namespaces) {
    for (const QXmlStreamNamespaceDeclaration& ns : namespaces)
        if (ns.namespaceUri() == kDrawNs && !ns.prefix().isEmpty())
            return "<" + ns.prefix().toUtf8() + ":page";
    return "<draw:page";
}

// The next start tag of a slide at or after `from`, or -1.
qsizetype NextSlideStart(const QByteArray& run, const QByteArray& tag, qsizetype from) {
    for (qsizetype at = run.indexOf(tag, from); at >= 0; at = run.indexOf(tag, at + 1)) {
        const qsizetype after = at + tag.size();
        if (after >= run.size()) return -1;
        const char c = run[after];
        if (c == ' ' || c == '>' || c == '/' || c == '\t' || c == '\n' || c == '\r') return at;
    }
    return -1;
}

bool CopyAll(QIODevice& input, QIODevice& output) {
    if (!input.seek(0)) return false;
    while (!input.atEnd()) {
        const QByteArray block = input.read(256 * 1024);
        if (block.isEmpty() || output.write(block) != block.size()) return false;
    }
    return true;
}

bool Restart(QFile& output) {
    return output.seek(0) && output.resize(0);
}

bool OutputIsWellFormed(QFile& output) {
    if (!output.flush() || !output.seek(0)) return false;
    return IsWellFormedXml(output);
}

// Writes the prefix up to the cut, `extra` and the end tags, and checks
// the result.
bool WriteCut(QIODevice& input, const XmlCut& cut, const QList<QByteArray>& extra, QFile& output) {
    if (!Restart(output) || !CopyUnits(input, cut.keepUnits, output)) return false;
    for (const QByteArray& bytes : extra)
        if (output.write(bytes) != bytes.size()) return false;
    const QByteArray tags = EndTags(cut.toClose);
    if (output.write(tags) != tags.size()) return false;
    return OutputIsWellFormed(output);
}

}  // namespace

QList<QByteArray> WholeSlidesOf(const QByteArray& run,
                                const QXmlStreamNamespaceDeclarations& rootNamespaces,
                                const std::function<bool()>& keepRunning) {
    QList<QByteArray> slides;
    const QByteArray root = StandInRoot(rootNamespaces);
    const QByteArray tag = SlideStartTag(rootNamespaces);
    qsizetype start = NextSlideStart(run, tag, 0);
    for (int restarts = 0; start >= 0 && restarts < kMaxRestartsPerRun; ++restarts) {
        if (!keepRunning()) return slides;
        // Read from this slide on as the children of a stand-in document element.
        const QByteArray text = root + run.mid(start);
        QXmlStreamReader reader(text);
        int depth = 0;
        qsizetype slideStart = root.size();  // in `text`
        qsizetype mappedBytes = 0;           // `text` bytes that decode to `mappedUnits`
        qint64 mappedUnits = 0;
        qsizetype resumeAt = -1;  // where a fresh reader starts after a fault, in `run`
        bool inSlide = false;
        while (!reader.atEnd()) {
            const QXmlStreamReader::TokenType token = reader.readNext();
            if (token == QXmlStreamReader::StartElement) {
                if (depth == 1 && reader.namespaceUri() == kDrawNs &&
                    reader.name() == QLatin1String("page"))
                    inSlide = true;
                ++depth;
            } else if (token == QXmlStreamReader::EndElement) {
                --depth;
                if (depth == 1 && inSlide) {
                    inSlide = false;
                    const qint64 units = reader.characterOffset();
                    mappedBytes +=
                        Utf8BytesForUnits(text.constData() + mappedBytes, text.size() - mappedBytes,
                                          units - mappedUnits);
                    mappedUnits = units;
                    slides << text.mid(slideStart, mappedBytes - slideStart);
                    // The next slide starts at its own start tag.
                    const qsizetype next = NextSlideStart(text, tag, mappedBytes);
                    if (next < 0) break;
                    slideStart = next;
                }
                if (depth <= 0) break;  // the run left the presentation
            }
        }
        if (!reader.hasError()) break;
        if (reader.error() == QXmlStreamReader::PrematureEndOfDocumentError) break;
        // A fault: read on from the next slide after the one that broke.
        resumeAt = NextSlideStart(run, tag, slideStart - root.size() + start + 1);
        start = resumeAt;
    }
    return slides;
}

namespace {

// A whole document stands as it is; a cut one is kept up to its last element
// that can stand, a content.xml only with a slide in it, and with the whole
// slides of `laterRuns` after its own.
XmlSalvage SalvageXml(QIODevice& input, XmlKind kind, const QList<QByteArray>& laterRuns,
                      QFile& output, const std::function<bool()>& keepRunning) {
    XmlSalvage result;
    const XmlCut cut = FindXmlCut(input, kind, keepRunning);
    result.stopped = cut.stopped;
    if (cut.stopped) return result;
    if (cut.complete) {
        // Nothing is missing from it.
        result.written = Restart(output) && CopyAll(input, output) && OutputIsWellFormed(output);
        result.asIs = result.written;
        result.slides = cut.slides;
        return result;
    }
    if (cut.keepUnits < 0) return result;

    QList<QByteArray> later;
    if (kind == XmlKind::Content) {
        if (cut.inPresentation)
            for (const QByteArray& run : laterRuns)
                later += WholeSlidesOf(run, cut.rootNamespaces, keepRunning);
        if (!keepRunning()) {
            result.stopped = true;
            return result;
        }
        if (cut.slides + later.size() == 0) return result;
    }

    if (WriteCut(input, cut, later, output)) {
        result.written = true;
        result.slides = cut.slides + int(later.size());
        result.slidesFromLaterRuns = int(later.size());
    } else if (!later.isEmpty() && cut.slides > 0 && WriteCut(input, cut, {}, output)) {
        result.written = true;
        result.slides = cut.slides;
    }
    if (!result.written) Restart(output);
    return result;
}

}  // namespace

XmlSalvage SalvageContentXml(QIODevice& prefix, const QList<QByteArray>& laterRuns, QFile& output,
                             const std::function<bool()>& keepRunning) {
    return SalvageXml(prefix, XmlKind::Content, laterRuns, output, keepRunning);
}

XmlSalvage SalvageXmlMember(QIODevice& input, QFile& output,
                            const std::function<bool()>& keepRunning) {
    return SalvageXml(input, XmlKind::Other, {}, output, keepRunning);
}

int CountSlides(const QString& path) {
    platform::ReadOnlyFile file;
    if (file.Open(path) != 0) return -1;
    static const QByteArray kTag = "<draw:page";
    constexpr int64_t kBlock = 64 * 1024;
    const int64_t size = file.Size();
    QByteArray block(int(kBlock), '\0');
    int slides = 0;
    for (int64_t at = 0; at < size;) {
        const int64_t want = std::min(kBlock, size - at);
        block.resize(int(want));
        const int64_t n = file.ReadAt(at, block.data(), want);
        if (n <= 0) break;
        block.resize(int(n));
        // A tag that starts in the last bytes of a block, where the byte
        // after it may not be there yet, is counted with the next block,
        // which starts there; a tag holds one "<", so none is counted twice.
        const bool last = at + n >= size;
        const qsizetype limit = last ? n : n - kTag.size();
        for (qsizetype tag = NextSlideStart(block, kTag, 0); tag >= 0 && tag < limit;
             tag = NextSlideStart(block, kTag, tag + kTag.size()))
            ++slides;
        at += limit;
    }
    return slides;
}
