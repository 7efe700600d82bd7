#pragma once

#include <QByteArray>
#include <cstdint>

// A content.xml of a presentation with `slides` slides, each with a title and
// a few lines of pseudo-random words and speaker notes, so that it compresses
// into many Deflate blocks. The same seed gives the same bytes.
QByteArray DeckContentXml(int slides, uint32_t seed = 1);

// The number of whole "<draw:page ...</draw:page>" elements in `xml`.
int WholePages(const QByteArray& xml);
