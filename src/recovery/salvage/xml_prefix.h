#pragma once

#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QXmlStreamNamespaceDeclarations>
#include <functional>

// Damaged XML members are read no further than this; a longer one is not
// salvaged. It bounds what the XML reader may hold for one text run.
constexpr qint64 kMaxSalvagedXmlBytes = qint64(64) << 20;

enum class XmlKind {
    Content,  // content.xml: only whole slides may stand
    Other,    // any other member: any whole element may stand
};

// Where an XML member may be cut so that what is kept is a prefix of it
// made of whole elements, and what must be closed after it.
struct XmlCut {
    bool complete = false;  // the whole input is one well-formed document
    bool stopped = false;
    // UTF-16 units of decoded text to keep (-1: no element that can stand).
    qint64 keepUnits = -1;
    QStringList toClose;  // elements open at the cut, outermost first, as written
    int slides = 0;       // content documents: whole slides before the cut
    // Content documents: the cut lies inside office:presentation, so slides
    // may follow it.
    bool inPresentation = false;
    QXmlStreamNamespaceDeclarations rootNamespaces;  // declared on the document element
};

// Reads `input` as far as it is well-formed and finds the last place it may
// be cut: for content documents after the last whole draw:page of the
// presentation (or just inside the presentation when no slide is whole), for
// other members after the last whole element below the document element.
XmlCut FindXmlCut(QIODevice& input, XmlKind kind, const std::function<bool()>& keepRunning);

// The number of UTF-8 bytes at the start of `data` (of `size` bytes) that
// decode to `units` UTF-16 units.
qint64 Utf8BytesForUnits(const char* data, qint64 size, qint64 units);

// Copies from the start of `input` the bytes that decode to `units` UTF-16
// units into `output`. False when a read or write fails.
bool CopyUnits(QIODevice& input, qint64 units, QIODevice& output);

// The end tags that close `names`, innermost first.
QByteArray EndTags(const QStringList& names);

// Whether `input` is one well-formed XML document with its namespaces
// declared, read as a stream. Longer than kMaxSalvagedXmlBytes is a no.
bool IsWellFormedXml(QIODevice& input);
bool IsWellFormedXmlFile(const QString& path);
