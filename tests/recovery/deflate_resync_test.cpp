#include "recovery/salvage/deflate_resync.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "support/deck_xml.h"
#include "support/package_builder.h"
#include "support/qt_printers.h"

namespace {

const auto kRun = [] { return true; };

// What the damaged stream inflates to before it breaks, and where its first
// wrong byte is.
int64_t FirstWrongByte(const QByteArray& packed, const QByteArray& original) {
    z_stream z{};
    inflateInit2(&z, -15);
    QByteArray out(original.size() + 65536, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.constData()));
    z.avail_in = uInt(packed.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    while (inflate(&z, Z_NO_FLUSH) == Z_OK && z.avail_out > 0) {
    }
    const int64_t produced = int64_t(z.total_out);
    inflateEnd(&z);
    int64_t i = 0;
    while (i < produced && i < original.size() && out[int(i)] == original[int(i)]) ++i;
    return i;
}

// Every run is a piece of the original, and the pieces come in order.
void ExpectRunsInOrder(const std::vector<QByteArray>& runs, const QByteArray& original,
                       int64_t after) {
    qsizetype at = qsizetype(after);
    for (const QByteArray& run : runs) {
        const qsizetype found = original.indexOf(run, at);
        ASSERT_GE(found, 0) << "a run that is not in the original: " << run.left(80).constData();
        at = found + run.size();
    }
}

int PagesIn(const std::vector<QByteArray>& runs) {
    int pages = 0;
    for (const QByteArray& run : runs) pages += WholePages(run);
    return pages;
}

void Damage(QByteArray& packed, double at, int length, bool zeroed) {
    const int start = int(packed.size() * at);
    const QByteArray noise = PackageBuilder::Incompressible(length, 11);
    for (int i = 0; i < length; ++i) packed[start + i] = zeroed ? '\0' : noise[i];
}

struct DamageCase {
    const char* label;
    double at;    // where the damage starts, as a share of the compressed bytes
    int length;   // bytes
    bool zeroed;  // zeros, else pseudo-random bytes
    int slidesPerFlush;
    int minLaterSlides;  // whole slides past the damage that must come back
};

class ResyncPastDamage : public ::testing::TestWithParam<DamageCase> {};

TEST_P(ResyncPastDamage, KeepsOnlyExactBytesInOrder) {
    const DamageCase& c = GetParam();
    const QByteArray xml = DeckContentXml(150);
    QByteArray packed = DeflateFlushingEvery(xml, c.slidesPerFlush);
    Damage(packed, c.at, c.length, c.zeroed);

    const int64_t wrong = FirstWrongByte(packed, xml);
    ASSERT_LT(wrong, xml.size());
    const ResyncResult result = ResyncAfterDamage(packed, wrong, {}, kRun);
    EXPECT_FALSE(result.stopped);
    EXPECT_GE(result.restarts, 1);
    ASSERT_FALSE(result.laterRuns.empty());
    // Nothing decoded before the damage and nothing unknown or wrong.
    const int64_t prefixEnd = result.damageOutput >= 0 ? result.damageOutput : wrong;
    ExpectRunsInOrder(result.laterRuns, xml, prefixEnd);
    if (c.zeroed && c.length >= 8) {
        EXPECT_LE(result.damageOutput, wrong);
        EXPECT_GE(result.damageOutput, 0);
    }

    const int before = WholePages(xml.left(int(prefixEnd)));
    EXPECT_GE(PagesIn(result.laterRuns), c.minLaterSlides)
        << "slides before the damage: " << before;
    if (c.minLaterSlides > 0) {
        EXPECT_LT(before + PagesIn(result.laterRuns), 150);
    }
}

// A Deflate stream refers back up to 32 KiB, so past the damage the bytes
// copied from the lost history stay unknown until the history starts afresh;
// whole slides come back from the first flush point on.
INSTANTIATE_TEST_SUITE_P(
    Resync, ResyncPastDamage,
    ::testing::Values(DamageCase{"ZeroedInsideTheBlock", 0.5, 4096, true, 0, 0},
                      DamageCase{"ZeroedEarly", 0.15, 1024, true, 0, 0},
                      DamageCase{"OneZeroedByteIsNoZeroedStretch", 0.6, 1, true, 0, 0},
                      DamageCase{"NoiseInTheMiddle", 0.45, 512, false, 0, 0},
                      DamageCase{"ZeroedBeforeAFlushPoint", 0.5, 2048, true, 20, 40},
                      DamageCase{"NoiseBeforeAFlushPoint", 0.3, 700, false, 20, 60}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Resync, ZeroedBlockInALongStreamKeepsSlidesOnBothSides) {
    const QByteArray xml = DeckContentXml(150);
    QByteArray packed = DeflateFlushingEvery(xml, 10);
    Damage(packed, 0.5, 3000, true);
    const int64_t wrong = FirstWrongByte(packed, xml);
    const ResyncResult result = ResyncAfterDamage(packed, wrong, {}, kRun);

    const int before = WholePages(xml.left(int(result.damageOutput)));
    const int after = PagesIn(result.laterRuns);
    EXPECT_GE(before, 60);
    EXPECT_GE(after, 60);
    ExpectRunsInOrder(result.laterRuns, xml, result.damageOutput);
    EXPECT_TRUE(result.laterRuns.back().endsWith("</office:document-content>\n"));
}

TEST(Resync, ACutStreamKeepsWhatFollowsTheDamageUpToTheCut) {
    const QByteArray xml = DeckContentXml(150);
    QByteArray packed = DeflateFlushingEvery(xml, 10);
    Damage(packed, 0.3, 2048, true);
    packed.chop(packed.size() / 5);

    const int64_t wrong = FirstWrongByte(packed, xml);
    const ResyncResult result = ResyncAfterDamage(packed, wrong, {}, kRun);
    ASSERT_FALSE(result.laterRuns.empty());
    ExpectRunsInOrder(result.laterRuns, xml, result.damageOutput);
    EXPECT_GT(PagesIn(result.laterRuns), 40);
}

TEST(Resync, TwoDamagedPlacesAreBothCrossed) {
    const QByteArray xml = DeckContentXml(200);
    QByteArray packed = DeflateFlushingEvery(xml, 10);
    Damage(packed, 0.3, 1500, true);
    Damage(packed, 0.7, 1500, true);

    const int64_t wrong = FirstWrongByte(packed, xml);
    const ResyncResult result = ResyncAfterDamage(packed, wrong, {}, kRun);
    EXPECT_GE(result.restarts, 2);
    ExpectRunsInOrder(result.laterRuns, xml, result.damageOutput);
    ASSERT_FALSE(result.laterRuns.empty());
    EXPECT_TRUE(result.laterRuns.back().endsWith("</office:document-content>\n"));
    EXPECT_GT(PagesIn(result.laterRuns), 80);
}

// Stored blocks hold the text as it is: past the damage it is the file's own.
TEST(Resync, InsideAStoredBlockTheTextPastTheFaultIsKept) {
    const QByteArray xml = DeckContentXml(40);
    QByteArray packed = PackageBuilder::RawDeflate(xml, 0);
    const qsizetype close = packed.indexOf("</draw:page>", packed.size() / 3);
    packed[int(close + 1)] = '!';  // that slide no longer closes
    const int64_t fault = xml.indexOf("</draw:page>", xml.size() / 3 - 64) + 1;

    const ResyncResult result = ResyncAfterDamage(packed, fault, {}, kRun);
    EXPECT_EQ(result.damageOutput, fault);
    ExpectRunsInOrder(result.laterRuns, xml, fault + 1);
    const int before = WholePages(xml.left(int(fault)));
    EXPECT_EQ(before + PagesIn(result.laterRuns), 39);
}

TEST(Resync, AZeroedStretchInAStoredBlockIsCrossed) {
    const QByteArray xml = DeckContentXml(40);
    QByteArray packed = PackageBuilder::RawDeflate(xml, 0);
    Damage(packed, 0.5, 500, true);
    const ResyncResult result = ResyncAfterDamage(packed, xml.size(), {}, kRun);
    ASSERT_GE(result.damageOutput, 0);
    ExpectRunsInOrder(result.laterRuns, xml, result.damageOutput);
    const int before = WholePages(xml.left(int(result.damageOutput)));
    EXPECT_GE(before + PagesIn(result.laterRuns), 38);
    EXPECT_TRUE(result.laterRuns.back().endsWith("</office:document-content>\n"));
}

// A deck whose slide 75 holds a picture, with `zeroed` bytes of its stream
// zeroed in the middle of the picture.
struct PictureDeck {
    QByteArray xml;
    QByteArray packed;
    int64_t wrong = 0;  // the first wrong byte the damaged stream gives
};

PictureDeck ZeroedInThePicture(int zeroed) {
    PictureDeck d;
    d.xml = DeckWithEmbeddedPicture(150, 75, 20000);
    d.packed = DeflateFlushingEvery(d.xml, 0);
    const int64_t at = CompressedOffsetOf(d.packed, d.xml.indexOf("<office:binary-data>") + 10000);
    for (int i = 0; i < zeroed; ++i) d.packed[int(at + i)] = '\0';
    d.wrong = FirstWrongByte(d.packed, d.xml);
    return d;
}

// Past a zeroed stretch, the recorded length tells how many bytes the
// stretch gave, so copies that reach across it into the bytes before it are
// known. When the stretch held text the later slides do not copy (here an
// embedded picture), they come back with their exact bytes; without the
// length, what they copy from the slides before the picture stays unknown.
TEST(Resync, TheRecordedLengthLinesUpTheHistoryPastAZeroedStretch) {
    for (const int zeroed : {16, 1024}) {
        SCOPED_TRACE(zeroed);
        const PictureDeck d = ZeroedInThePicture(zeroed);
        const ResyncResult unaligned = ResyncAfterDamage(d.packed, d.wrong, {}, kRun);
        const ResyncResult aligned = ResyncAfterDamage(d.packed, d.wrong, {}, kRun, d.xml.size());
        EXPECT_EQ(unaligned.lostOutput, -1);
        ASSERT_GT(aligned.lostOutput, 0);
        ASSERT_GE(aligned.damageOutput, 0);
        EXPECT_EQ(WholePages(d.xml.left(int(aligned.damageOutput))), 74);
        ExpectRunsInOrder(aligned.laterRuns, d.xml, aligned.damageOutput);
        EXPECT_EQ(PagesIn(aligned.laterRuns), 75) << "every slide after the picture's";
        EXPECT_LT(PagesIn(unaligned.laterRuns), 10);
    }
}

// A length that is not the member's, or none, lines nothing up: the runs
// are the ones decoded without it.
TEST(Resync, AWrongOrMissingLengthLeavesTheRunsAsTheyWere) {
    const PictureDeck d = ZeroedInThePicture(1024);
    const int64_t size = d.xml.size();
    const ResyncResult unaligned = ResyncAfterDamage(d.packed, d.wrong, {}, kRun);
    for (const int64_t recorded : {int64_t(-1), size + 1, size - 1, size - 3, size + 700,
                                   size - 5000, size * 2, int64_t(0)}) {
        SCOPED_TRACE(recorded);
        const ResyncResult result = ResyncAfterDamage(d.packed, d.wrong, {}, kRun, recorded);
        EXPECT_EQ(result.lostOutput, -1);
        EXPECT_EQ(result.laterRuns, unaligned.laterRuns);
        EXPECT_EQ(result.damageOutput, unaligned.damageOutput);
    }
}

// In an ordinary deck the later slides copy their markup from the slides
// just before them, so what the zeroed stretch gave stays unknown in every
// later slide; lined up or not, no byte that is not the deck's comes back.
TEST(Resync, LinedUpOrNotOnlyExactBytesComeBack) {
    const QByteArray xml = DeckContentXml(150);
    QByteArray packed = DeflateFlushingEvery(xml, 0);
    Damage(packed, 0.5, 16, true);
    const int64_t wrong = FirstWrongByte(packed, xml);
    const ResyncResult result = ResyncAfterDamage(packed, wrong, {}, kRun, xml.size());
    ASSERT_GE(result.damageOutput, 0);
    EXPECT_GT(result.lostOutput, 0);
    ExpectRunsInOrder(result.laterRuns, xml, result.damageOutput);
}

TEST(Resync, NothingComesOfBytesThatAreNotDeflate) {
    const QByteArray noise = PackageBuilder::Incompressible(64 * 1024, 5);
    const ResyncResult result = ResyncAfterDamage(noise, 0, {}, kRun);
    EXPECT_TRUE(result.laterRuns.empty());
    EXPECT_EQ(result.restarts, 0);
}

TEST(Resync, AStopRequestEndsTheSearch) {
    const QByteArray noise = PackageBuilder::Incompressible(256 * 1024, 5);
    int asked = 0;
    const ResyncResult result = ResyncAfterDamage(noise, 0, {}, [&asked] { return ++asked < 3; });
    EXPECT_TRUE(result.stopped);
    EXPECT_LE(asked, 4);
}

TEST(Resync, OutputStaysWithinTheLimit) {
    const QByteArray xml = DeckContentXml(150);
    QByteArray packed = DeflateFlushingEvery(xml, 10);
    Damage(packed, 0.25, 1024, true);
    ResyncLimits limits;
    limits.maxOutputBytes = 40000;
    const ResyncResult result =
        ResyncAfterDamage(packed, FirstWrongByte(packed, xml), limits, kRun);
    int64_t total = 0;
    for (const QByteArray& run : result.laterRuns) total += run.size();
    EXPECT_GT(total, 0);
    EXPECT_LE(total, 40000 + 65536);
}

}  // namespace
