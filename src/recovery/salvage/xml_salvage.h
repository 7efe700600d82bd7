#pragma once

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QList>
#include <QXmlStreamNamespaceDeclarations>
#include <functional>

// What salvaging one XML member wrote.
struct XmlSalvage {
    bool written = false;  // a well-formed document went to the output
    bool asIs = false;     // the input was a whole well-formed document, copied unchanged
    int slides = 0;        // content documents: whole slides in what was written
    int slidesFromLaterRuns = 0;
    bool stopped = false;
};

// Salvages a damaged content.xml. `prefix` holds its decoded bytes from the
// first one on, as far as they go (they may end anywhere, or turn to garbage);
// `laterRuns` are runs of its text decoded after the damage with no unknown
// byte, in file order, each of which may begin and end inside an element.
// Writes to `output` (empty, opened for reading and writing) the prefix up to
// its last whole slide, then every whole draw:page of the later runs in their
// order, then the end tags of the elements still open: a well-formed
// document with the prefix's namespaces and automatic styles. Writes nothing
// when no whole slide can be kept.
XmlSalvage SalvageContentXml(QIODevice& prefix, const QList<QByteArray>& laterRuns, QFile& output,
                             const std::function<bool()>& keepRunning);

// Salvages any other damaged XML member: its longest prefix that ends after a
// whole element, with the open elements closed. Writes nothing when no
// element below the document element is whole.
XmlSalvage SalvageXmlMember(QIODevice& input, QFile& output,
                            const std::function<bool()>& keepRunning);

// The whole draw:page elements of a later run, in order, each checked as
// well-formed with the document element's namespaces.
QList<QByteArray> WholeSlidesOf(const QByteArray& run,
                                const QXmlStreamNamespaceDeclarations& rootNamespaces,
                                const std::function<bool()>& keepRunning);

// The slides of a content.xml known to be whole, counted in its bytes
// without parsing it. -1 when it cannot be read.
int CountSlides(const QString& path);
