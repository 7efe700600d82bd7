#include <gtest/gtest.h>
#include <zlib.h>

#include <QFile>
#include <functional>

#include "recovery/job_control.h"
#include "recovery/repair_job.h"
#include "recovery/salvage/salvage_result.h"
#include "support/content_fixture.h"
#include "support/deck_xml.h"
#include "support/package_builder.h"
#include "support/private_temp_dir.h"
#include "support/qt_printers.h"
#include "support/recording_job_view.h"
#include "support/test_files.h"

// The repair with the deep searches plugged in, from the window's and the
// terminal's worker: a flipped bit, a broken or zeroed local header and a
// zeroed stretch inside content.xml.

namespace {

const QByteArray kMime = "application/vnd.oasis.opendocument.presentation";
const QByteArray kStyles =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-styles "
    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" office:version=\"1.3\">"
    "<office:styles/></office:document-styles>";
constexpr int kSlides = 40;

// content.xml with its sizes and CRC-32 in its header, or (as LibreOffice
// writes it) zero in the header and a descriptor after the data.
struct Deck {
    ContentFixture content;
    QByteArray packed;
    PackageBuilder::Placed placed{};
    QByteArray Bytes(const std::function<void(QByteArray&, const Deck&)>& hurt) const {
        QByteArray b = bytes;
        hurt(b, *this);
        return b;
    }
    QByteArray bytes;
};

Deck MakeDeck(bool descriptor, int level = 6) {
    Deck d;
    d.content = ContentXml(kSlides);
    d.packed = PackageBuilder::RawDeflate(d.content.bytes, level);
    PackageBuilder p;
    p.Stored("mimetype", kMime).DeflatedWithDescriptor("styles.xml", kStyles);
    LocalHeader h;
    h.name = "content.xml";
    h.method = 8;
    if (descriptor) {
        h.flags = 8;
    } else {
        h.crc = PackageBuilder::Crc32(d.content.bytes);
        h.compressedSize = uint32_t(d.packed.size());
        h.uncompressedSize = uint32_t(d.content.bytes.size());
    }
    p.Member(h, d.packed);
    d.placed = p.Members().back();
    if (descriptor)
        p.Descriptor(PackageBuilder::Crc32(d.content.bytes), uint32_t(d.packed.size()),
                     uint32_t(d.content.bytes.size()));
    p.CentralDirectory();
    d.bytes = p.Bytes();
    return d;
}

enum class Harm {
    NotWellFormed,  // the stream still ends, its text is not well-formed
    Longer,         // the same, and it gives more bytes than the member holds
    Breaks,         // the stream stops with an error
};

// A bit of content.xml's data from `from` on whose flip does `harm`.
int64_t HarmfulBit(const Deck& d, int64_t from, Harm harm = Harm::NotWellFormed) {
    const bool longer = harm == Harm::Longer;
    for (int64_t bit = from;; ++bit) {
        QByteArray packed = d.packed;
        packed[int(bit >> 3)] = char(packed[int(bit >> 3)] ^ (1 << (bit & 7)));
        z_stream z{};
        inflateInit2(&z, -15);
        QByteArray out(d.content.bytes.size() + (longer ? 4096 : 16), '\0');
        z.next_in = reinterpret_cast<Bytef*>(packed.data());
        z.avail_in = uInt(packed.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = uInt(out.size());
        const int r = inflate(&z, Z_FINISH);
        out.resize(int(z.total_out));
        inflateEnd(&z);
        if (harm == Harm::Breaks
                ? r == Z_DATA_ERROR
                : r == Z_STREAM_END && out != d.content.bytes && SlideNames(out).size() == 1 &&
                      (!longer || out.size() > d.content.bytes.size()))
            return bit;
    }
}

struct DeepCase {
    const char* label;
    bool descriptor;
    std::function<void(QByteArray&, const Deck&)> hurt;
    QStringList slides;
    const char* what;  // in the completion line
};

class DeepSalvage : public ::testing::TestWithParam<DeepCase> {};

// The package `bytes` saved as talk.odp in `tmp` and repaired by the
// worker: the content.xml it left in the working folder and its log.
struct Repaired {
    QString path;
    QByteArray content;
    QString log;
};
Repaired RepairPackage(const PrivateTempDir& tmp, const QByteArray& bytes) {
    Repaired r;
    r.path = tmp.Path("talk.odp");
    WriteBytes(r.path, bytes);
    JobControl control;
    RecordingJobView view({r.path});
    JobParams params{&control, &view};
    EXPECT_TRUE(BeginRepairRun(&params));
    RepairWorker(&params);
    r.content = ReadAll(WorkingFolderOf(r.path, 0) + "/content.xml");
    for (const auto& line : view.log) r.log += line.text;
    return r;
}

TEST_P(DeepSalvage, KeepsTheSlides) {
    const DeepCase& c = GetParam();
    PrivateTempDir tmp;
    const Deck deck = MakeDeck(c.descriptor);
    const Repaired r = RepairPackage(tmp, deck.Bytes(c.hurt));
    EXPECT_EQ(SlideNames(r.content), c.slides);
    if (c.slides.size() == kSlides) {
        EXPECT_EQ(r.content, deck.content.bytes) << "the exact bytes";
    }
    EXPECT_TRUE(r.log.contains(r.path + " file is completed: " + c.what)) << r.log.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Salvage, DeepSalvage,
    ::testing::Values(
        DeepCase{"FlippedBitPutRight", false,
                 [](QByteArray& b, const Deck& d) {
                     const int64_t bit = HarmfulBit(d, d.packed.size() * 4);
                     b[int(d.placed.dataOffset + (bit >> 3))] ^= char(1 << (bit & 7));
                 },
                 PageNames(1, kSlides), "content.xml put right (one flipped bit)"},
        DeepCase{"FlippedBitWithDescriptor", true,
                 [](QByteArray& b, const Deck& d) {
                     const int64_t bit = HarmfulBit(d, d.packed.size() * 6);
                     b[int(d.placed.dataOffset + (bit >> 3))] ^= char(1 << (bit & 7));
                 },
                 PageNames(1, kSlides), "content.xml put right (one flipped bit)"},
        // The stream then runs past the member's length to its
        // end; what follows it (the descriptor, the central
        // directory with its runs of zeros) is not searched.
        DeepCase{"FlippedBitThatLengthensTheStream", true,
                 [](QByteArray& b, const Deck& d) {
                     const int64_t bit = HarmfulBit(d, d.packed.size() * 4, Harm::Longer);
                     b[int(d.placed.dataOffset + (bit >> 3))] ^= char(1 << (bit & 7));
                 },
                 PageNames(1, kSlides), "content.xml put right (one flipped bit)"},
        // The stream stops there; the zeros of the central
        // directory after the data are no zeroed stretch.
        DeepCase{"FlippedBitThatBreaksTheStream", true,
                 [](QByteArray& b, const Deck& d) {
                     const int64_t bit = HarmfulBit(d, d.packed.size() * 3, Harm::Breaks);
                     b[int(d.placed.dataOffset + (bit >> 3))] ^= char(1 << (bit & 7));
                 },
                 PageNames(1, kSlides), "content.xml put right (one flipped bit)"},
        DeepCase{"BrokenSignature", false,
                 [](QByteArray& b, const Deck& d) { b[int(d.placed.headerOffset) + 2] = 'x'; },
                 PageNames(1, kSlides), "content.xml found without its header"},
        DeepCase{"ZeroedHeader", true,
                 [](QByteArray& b, const Deck& d) {
                     for (int64_t i = d.placed.headerOffset; i < d.placed.dataOffset; ++i)
                         b[int(i)] = '\0';
                 },
                 PageNames(1, kSlides), "content.xml found without its header"}),
    [](const auto& info) { return std::string(info.param.label); });

// The whole "<draw:page ...</draw:page>" elements of `xml`, in order.
QList<QByteArray> WholeSlides(const QByteArray& xml) {
    QList<QByteArray> slides;
    for (qsizetype at = xml.indexOf("<draw:page "); at >= 0; at = xml.indexOf("<draw:page ", at)) {
        const qsizetype end = xml.indexOf("</draw:page>", at);
        if (end < 0) break;
        slides << xml.mid(at, end + 12 - at);
        at = end;
    }
    return slides;
}

// A zeroed KiB inside content.xml, in a slide holding a picture, in a package
// written as LibreOffice writes it (sizes in a descriptor after the data).
// With the recorded length the slides after the picture's come back, each
// with the deck's own bytes; with a wrong length only those before it.
TEST(DeepSalvagePastDamage, AZeroedBlockIsCrossedWithTheRecordedLength) {
    const QByteArray xml = DeckWithEmbeddedPicture(150, 75, 20000);
    const QByteArray packed = DeflateFlushingEvery(xml, 0);
    const int64_t zeroAt = CompressedOffsetOf(packed, xml.indexOf("<office:binary-data>") + 10000);
    const QList<QByteArray> original = WholeSlides(xml);
    for (const int64_t recorded : {int64_t(xml.size()), int64_t(xml.size()) + 1}) {
        SCOPED_TRACE(recorded);
        PackageBuilder p;
        p.Stored("mimetype", kMime).DeflatedWithDescriptor("styles.xml", kStyles);
        LocalHeader h;
        h.name = "content.xml";
        h.method = 8;
        h.flags = 8;
        p.Member(h, packed);
        const int64_t dataOffset = p.Members().back().dataOffset;
        p.Descriptor(PackageBuilder::Crc32(xml), uint32_t(packed.size()), uint32_t(recorded));
        p.CentralDirectory();
        QByteArray bytes = p.Bytes();
        for (int i = 0; i < 1024; ++i) bytes[int(dataOffset + zeroAt + i)] = '\0';

        PrivateTempDir tmp;
        const QByteArray content = RepairPackage(tmp, bytes).content;
        QStringList expected = PageNames(1, 74);
        if (recorded == xml.size()) expected += PageNames(76, 150);
        EXPECT_EQ(SlideNames(content), expected);
        for (const QByteArray& slide : WholeSlides(content))
            EXPECT_TRUE(original.contains(slide))
                << "a slide not in the deck: " << slide.left(60).constData();
    }
}

}  // namespace
