#pragma once

#include <QByteArray>
#include <QStringList>
#include <vector>

// content.xml documents for salvage tests, made from text: every slide has a
// title, a few lines of varied words and a notes page, so a long document
// deflates into several blocks.
struct ContentFixture {
    QByteArray bytes;
    std::vector<int> slideEnds;  // offset just past each </draw:page>
};

ContentFixture ContentXml(int slides, int wordsPerSlide = 60, uint32_t seed = 1);

// Raw Deflate of `data` with a sync flush just after each offset of `marks`,
// so that the compressed bytes up to `flushedAt[i]` decode to at least
// data[0, marks[i]). `level` 0 gives stored blocks.
QByteArray DeflateWithMarks(const QByteArray& data, const std::vector<int>& marks,
                            std::vector<int>* flushedAt, int level = 6);

// The slide names (draw:name) of a content.xml, in order, when it is
// well-formed; {"<not well-formed>"} otherwise.
QStringList SlideNames(const QByteArray& content);

// "page<from>" to "page<to>": the names ContentXml gives those slides.
QStringList PageNames(int from, int to);
