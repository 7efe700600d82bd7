#pragma once

#include <QByteArray>
#include <cstdint>

// A content.xml of a presentation with `slides` slides, each with a title and
// a few lines of pseudo-random words and speaker notes, so that it compresses
// into many Deflate blocks. The same seed gives the same bytes.
QByteArray DeckContentXml(int slides, uint32_t seed = 1);

// The number of whole "<draw:page ...</draw:page>" elements in `xml`.
int WholePages(const QByteArray& xml);

// Raw Deflate at level 6, with a full flush after every `slidesPerFlush`
// slides (0: none), the way a writer that streams its output leaves points
// where the history starts afresh.
QByteArray DeflateFlushingEvery(const QByteArray& xml, int slidesPerFlush);

// The same deck with a picture held inside slide `slide` itself, as
// `pictureBytes` of base64 text, the way writers that embed pictures leave it:
// text that later slides never copy from.
QByteArray DeckWithEmbeddedPicture(int slides, int slide, int pictureBytes, uint32_t seed = 1);

// The first byte of the raw Deflate stream `packed` whose bits take its
// output past `output` bytes.
int64_t CompressedOffsetOf(const QByteArray& packed, int64_t output);
