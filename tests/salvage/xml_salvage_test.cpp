#include "recovery/salvage/xml_salvage.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryFile>

#include "recovery/salvage/xml_prefix.h"
#include "support/content_fixture.h"
#include "support/qt_printers.h"

namespace {

const auto kRun = [] { return true; };

QByteArray Salvaged(const QByteArray& prefix, const QList<QByteArray>& later = {},
                    int* slides = nullptr) {
    QByteArray input = prefix;
    QBuffer in(&input);
    in.open(QIODevice::ReadOnly);
    QTemporaryFile out;
    EXPECT_TRUE(out.open());
    const XmlSalvage done = SalvageContentXml(in, later, out, kRun);
    if (slides) *slides = done.slides;
    out.seek(0);
    const QByteArray bytes = out.readAll();
    EXPECT_EQ(done.written, !bytes.isEmpty());
    return bytes;
}

const QByteArray kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content "
    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
    "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:automatic-styles/>"
    "<office:body><office:presentation>";
const QByteArray kTail = "</office:presentation></office:body></office:document-content>";

QByteArray Page(int i, const QByteArray& text = "x") {
    return "<draw:page draw:name=\"page" + QByteArray::number(i) + "\"><draw:frame><text:p>" +
           text + "</text:p></draw:frame></draw:page>";
}

TEST(SalvageContentXml, KeepsThePrefixUpToItsLastWholeSlideAndClosesWhatIsOpen) {
    struct Row {
        const char* name;
        QByteArray input;
        QByteArray expected;  // empty: nothing may stand
    };
    const QByteArray two = kHead + Page(1, "é😀") + Page(2);
    const std::vector<Row> rows = {
        {"cut inside slide 3", two + Page(3).left(30), two + kTail},
        {"cut inside a tag", two + "<draw:pa", two + kTail},
        {"garbage after slide 2", two + "<draw:page>\x01\xff junk", two + kTail},
        {"whole document stays as it is", two + kTail, two + kTail},
        {"no whole slide", kHead + Page(1).left(40), ""},
        {"cut in the styles", kHead.left(kHead.size() - 40), ""},
        {"not XML at all", "\x1f\x8b garbage", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Salvaged(row.input), row.expected);
    }
}

TEST(SalvageContentXml, AddsTheWholeSlidesOfLaterRunsInOrder) {
    const QByteArray prefix = kHead + Page(1) + Page(2).left(25);
    const QList<QByteArray> later = {
        // Starts inside slide 4, holds 5 and 6 whole, ends inside 7.
        Page(4).mid(20) + Page(5, "ü") + Page(6) + Page(7).left(50),
        // An unknown prefix breaks slide 8; slide 9 still stands, then the end.
        "<draw:page draw:name=\"page8\"><bad:x/></draw:page>" + Page(9) + kTail,
    };
    int slides = 0;
    EXPECT_EQ(Salvaged(prefix, later, &slides),
              kHead + Page(1) + Page(5, "ü") + Page(6) + Page(9) + kTail);
    EXPECT_EQ(slides, 4);
}

TEST(SalvageContentXml, LaterSlidesNeedThePrefixToReachThePresentation) {
    EXPECT_EQ(Salvaged(kHead.left(60), {Page(5) + Page(6)}), QByteArray());
    // Inside the presentation but with no whole slide of its own: the later ones are enough.
    EXPECT_EQ(Salvaged(kHead + Page(1).left(20), {Page(5)}), kHead + Page(5) + kTail);
}

TEST(SalvageXmlMember, KeepsTheLastWholeElementAtAnyDepth) {
    const QByteArray head =
        "<office:document-styles xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\"><office:styles>";
    QByteArray input = head + "<style:style style:name=\"a\"><style:p/><style:t";
    QBuffer in(&input);
    in.open(QIODevice::ReadOnly);
    QTemporaryFile out;
    ASSERT_TRUE(out.open());
    EXPECT_TRUE(SalvageXmlMember(in, out, kRun).written);
    out.seek(0);
    EXPECT_EQ(out.readAll(), head +
                                 "<style:style style:name=\"a\"><style:p/></style:style>"
                                 "</office:styles></office:document-styles>");
}

TEST(CountSlides, CountsSlidesNotThumbnailsAcrossBlocks) {
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    // Over a megabyte, so tags meet block edges.
    const ContentFixture content = ContentXml(3000, 60);
    file.write(content.bytes);
    file.flush();
    EXPECT_EQ(CountSlides(file.fileName()), 3000);
}

// A tag at every place around the edges of the blocks the file is read in
// (64 KiB and its multiples): a slide's is counted once, a thumbnail's never.
TEST(CountSlides, ATagAcrossABlockEdgeIsCountedOnce) {
    for (const int64_t edge : {int64_t(1) << 16, int64_t(1) << 17})
        for (int64_t shift = -12; shift <= 2; ++shift)
            for (const bool slide : {true, false}) {
                SCOPED_TRACE(std::to_string(edge + shift) + (slide ? " slide" : " thumbnail"));
                QTemporaryFile file;
                ASSERT_TRUE(file.open());
                const QByteArray tag =
                    slide ? "<draw:page draw:name=\"a\"/>" : "<draw:page-thumbnail/>";
                file.write("<draw:page/>" + QByteArray(int(edge + shift) - 12, 'x') + tag +
                           QByteArray(100, 'x') + "<draw:page>");
                file.flush();
                EXPECT_EQ(CountSlides(file.fileName()), slide ? 3 : 2);
            }
}

TEST(Utf8BytesForUnits, CountsSurrogatePairsAsTwoUnits) {
    const QByteArray text = "aé😀b";  // 1 + 2 + 4 + 1 bytes; 1 + 1 + 2 + 1 units
    EXPECT_EQ(Utf8BytesForUnits(text.constData(), text.size(), 2), 3);
    EXPECT_EQ(Utf8BytesForUnits(text.constData(), text.size(), 4), 7);
    EXPECT_EQ(Utf8BytesForUnits(text.constData(), text.size(), 5), 8);
}

}  // namespace
