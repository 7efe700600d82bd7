#include "recovery/salvage/salvage_runner.h"

#include <gtest/gtest.h>

#include <QFile>
#include <functional>

#include "platform/files.h"
#include "platform/folders.h"
#include "recovery/default_content.h"
#include "recovery/entry_extraction.h"
#include "recovery/entry_scanner.h"
#include "recovery/member_records.h"
#include "recovery/repair_job.h"
#include "support/content_fixture.h"
#include "support/package_builder.h"
#include "support/private_temp_dir.h"
#include "support/qt_printers.h"
#include "support/recording_job_view.h"
#include "support/test_files.h"

namespace {

const QByteArray kMime = "application/vnd.oasis.opendocument.presentation";
const QByteArray kStyles =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-styles "
    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" office:version=\"1.3\">"
    "<office:styles><style:style style:name=\"a\"/><style:style style:name=\"b\"/>"
    "<style:style style:name=\"c\"><style:text-properties/></style:style></office:styles>"
    "</office:document-styles>";
const QByteArray kMeta =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-meta "
    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" office:version=\"1.3\">"
    "<office:meta/></office:document-meta>";
const QByteArray kManifest =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<manifest:manifest "
    "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
    "manifest:version=\"1.3\"><manifest:file-entry manifest:full-path=\"/\" "
    "manifest:media-type=\"application/vnd.oasis.opendocument.presentation\"/>"
    "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
    "</manifest:manifest>";

constexpr int kSlides = 40;

// A deck laid out the way LibreOffice writes one: every compressed member
// with sizes 0 in its header and a data descriptor after its data,
// content.xml last. Its stream is flushed after every slide, so the bytes
// that decode to each whole slide are known.
struct Deck {
    ContentFixture content;
    QByteArray packed;
    std::vector<int> flushedAt;  // per slide, compressed bytes that decode to it
    int64_t contentHeader = 0;
    int64_t contentData = 0;
    QByteArray bytes;
    // The data offset of the compressed byte that follows slide `slide`.
    int64_t After(int slide) const { return contentData + flushedAt[size_t(slide - 1)]; }
    // The package with `count` zero bytes from just past slide `slide`.
    QByteArray ZeroedAfter(int slide, int count) const {
        QByteArray b = bytes;
        b.replace(int(After(slide) + 2), count, QByteArray(count, '\0'));
        return b;
    }
    // The package with content.xml's local header zeroed.
    QByteArray HeaderZeroed() const {
        QByteArray b = bytes;
        const int header = int(contentData - contentHeader);
        b.replace(int(contentHeader), header, QByteArray(header, '\0'));
        return b;
    }
};

// content.xml deflated as `packed`, its local header giving the length and
// CRC-32 of `text`, as a package written without descriptors has it.
LocalHeader ContentHeader(const QByteArray& text, const QByteArray& packed) {
    LocalHeader h;
    h.name = "content.xml";
    h.method = 8;
    h.crc = PackageBuilder::Crc32(text);
    h.compressedSize = uint32_t(packed.size());
    h.uncompressedSize = uint32_t(text.size());
    return h;
}

Deck LibreOfficeDeck(int level = 6) {
    Deck d;
    d.content = ContentXml(kSlides);
    d.packed = DeflateWithMarks(d.content.bytes, d.content.slideEnds, &d.flushedAt, level);
    PackageBuilder p;
    p.Stored("mimetype", kMime)
        .DeflatedWithDescriptor("styles.xml", kStyles)
        .DeflatedWithDescriptor("meta.xml", kMeta)
        .DeflatedWithDescriptor("META-INF/manifest.xml", kManifest);
    LocalHeader h;
    h.name = "content.xml";
    h.method = 8;
    h.flags = 8;
    p.Member(h, d.packed);
    d.contentHeader = p.Members().back().headerOffset;
    d.contentData = p.Members().back().dataOffset;
    p.Descriptor(PackageBuilder::Crc32(d.content.bytes), uint32_t(d.packed.size()),
                 uint32_t(d.content.bytes.size()));
    p.CentralDirectory();
    d.bytes = p.Bytes();
    return d;
}

class Salvage : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tmp.IsValid()); }

    QString Write(const QByteArray& bytes, const QString& name = "talk.odp") {
        const QString path = tmp.Path(name);
        QFile::remove(path);
        WriteBytes(path, bytes);
        return path;
    }
    void Repair(RecordingJobView& view, bool complete) {
        JobParams params{&control, &view};
        params.completePackages = complete;
        ASSERT_TRUE(BeginRepairRun(&params));
        RepairWorker(&params);
    }
    // The repair's scan and extraction, recording into `records` when given.
    void ScanAndExtract(const QString& path, MemberRecords* records) {
        RecordingJobView view({path});
        JobParams params{&control, &view};
        ASSERT_TRUE(BeginRepairRun(&params));
        params.memberRecords = records;
        ASSERT_EQ(ScanPackage(path, &params), 1);
        ASSERT_EQ(platform::CreateFolder(GetWorkingRoot()), 0);
        ASSERT_EQ(platform::CreateFolder(Folder()), 0);
        ASSERT_EQ(ExtractEntries(Folder(), path, &params), 1);
        control.SetProcessRunning(0);
    }
    QString Folder() const { return WorkingFolderOf(tmp.Path("talk.odp"), 0); }
    QByteArray Content() const { return ReadAll(Folder() + "/content.xml"); }
    QString Line(const QString& path, const QString& what) const {
        return path + " file is completed: " + what + "....\r\n";
    }

    PrivateTempDir tmp;
    JobControl control;
};

// The damage of each case and the slides the repair must keep of the 40.
struct Case {
    const char* name;
    std::function<QByteArray(const Deck&)> damage;
    int levelOfDeflate;
    QStringList slidesKept;
    SalvageResult::Slides state;
    const char* done;  // what the completion line says, or "" for no line
};

std::vector<Case> Cases() {
    return {
        {"IntactDeck", [](const Deck& d) { return d.bytes; }, 6, PageNames(1, kSlides),
         SalvageResult::Slides::Whole, ""},
        {"CutInsideSlide13", [](const Deck& d) { return d.bytes.left(int(d.After(12) + 9)); }, 6,
         PageNames(1, 12), SalvageResult::Slides::Salvaged, "content.xml salvaged, 12 slides kept"},
        {"CutRightAfterTheStreamBeforeItsDescriptor",
         [](const Deck& d) { return d.bytes.left(int(d.contentData + d.packed.size())); }, 6,
         PageNames(1, kSlides), SalvageResult::Slides::Whole,
         "content.xml inflated to the end of its stream, 40 slides kept"},
        {"ZeroedBlockAfterSlide25", [](const Deck& d) { return d.ZeroedAfter(25, 300); }, 6,
         PageNames(1, 25), SalvageResult::Slides::Salvaged, "content.xml salvaged, 25 slides kept"},
        {"ContentHeaderZeroed", [](const Deck& d) { return d.HeaderZeroed(); }, 6,
         PageNames(1, kSlides), SalvageResult::Slides::Whole,
         "content.xml found without its header, 40 slides kept"},
    };
}

TEST_F(Salvage, EachDamageKeepsTheSlidesItMust) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        const Deck deck = LibreOfficeDeck(c.levelOfDeflate);
        const QString path = Write(c.damage(deck));
        RecordingJobView view({path});
        Repair(view, true);

        EXPECT_EQ(SlideNames(Content()), c.slidesKept);
        EXPECT_EQ(view.slides.slides, c.state);
        if (c.state != SalvageResult::Slides::Lost) {
            EXPECT_EQ(view.slides.slidesKept, c.slidesKept.size());
        }
        QStringList lines;
        for (const auto& line : view.log) lines << line.text;
        if (QByteArray(c.done).isEmpty()) {
            EXPECT_FALSE(lines.join("").contains("file is completed"));
        } else {
            EXPECT_TRUE(lines.contains(Line(path, c.done))) << lines.join("").toStdString();
        }
        const bool redLine =
            lines.contains(path +
                           " slides could not be recovered: a one-slide document stands "
                           "in....\r\n");
        EXPECT_EQ(redLine, c.state == SalvageResult::Slides::Lost);
        if (c.state == SalvageResult::Slides::Lost) {
            EXPECT_EQ(Content(), DefaultContentDocument());
        }
        // The package's other members are whole, and never touched.
        EXPECT_EQ(ReadAll(Folder() + "/styles.xml"), kStyles);
        EXPECT_EQ(ReadAll(Folder() + "/META-INF/manifest.xml"), kManifest);

        // The repair ran on what its scan and extraction recorded; walking
        // the package and reading the files back comes to the same.
        const QByteArray kept = Content();
        RecordingJobView plain({path});
        Repair(plain, false);
        const SalvageResult reread = SalvagePackage(path, Folder(), [] { return true; });
        EXPECT_EQ(Content(), kept);
        EXPECT_EQ(reread.slides, view.slides.slides);
        EXPECT_EQ(reread.slidesKept, view.slides.slidesKept);
    }
}

// A file the extraction summed as it wrote it is not read back: a change
// made to it afterwards goes unseen. Without the records it is read, and the
// member written again.
TEST_F(Salvage, AFileTheExtractionSummedIsNotReadAgain) {
    const Deck deck = LibreOfficeDeck();
    const QString path = Write(deck.bytes);
    for (const bool recorded : {true, false}) {
        SCOPED_TRACE(recorded ? "with the records" : "without them");
        MemberRecords records;
        ScanAndExtract(path, recorded ? &records : nullptr);
        QByteArray changed = kStyles;
        changed.replace("name=\"a\"", "name=\"z\"");
        WriteBytes(Folder() + "/styles.xml", changed);

        const SalvageResult result = SalvagePackage(
            path, Folder(), [] { return true; }, recorded ? &records : nullptr);
        EXPECT_EQ(ReadAll(Folder() + "/styles.xml"), recorded ? changed : kStyles);
        EXPECT_EQ(result.slides, SalvageResult::Slides::Whole);
        EXPECT_EQ(SlideNames(Content()), PageNames(1, kSlides));
    }
}

// The kind of package the repair found stands while the checks change
// nothing in the folder; once they put a file there, they look again.
TEST_F(Salvage, TheKindIsLookedAtAgainOnlyWhereTheChecksChangedTheFolder) {
    const Deck deck = LibreOfficeDeck();
    for (const bool cut : {false, true}) {
        SCOPED_TRACE(cut ? "content.xml cut" : "intact");
        const QString path = Write(cut ? deck.bytes.left(int(deck.After(12) + 9)) : deck.bytes);
        MemberRecords records;
        ScanAndExtract(path, &records);
        records.presentation = false;  // as if the repair had found another kind
        const SalvageResult result = SalvagePackage(
            path, Folder(), [] { return true; }, &records);
        EXPECT_EQ(result.slides,
                  cut ? SalvageResult::Slides::Salvaged : SalvageResult::Slides::NotChecked);
        EXPECT_EQ(SlideNames(Content()), cut ? PageNames(1, 12) : PageNames(1, kSlides));
    }
}

TEST_F(Salvage, WithTheSwitchOffACutContentGivesWayToTheBuiltInDocumentAsBefore) {
    const Deck deck = LibreOfficeDeck();
    const QString path = Write(deck.bytes.left(int(deck.After(12) + 9)));
    RecordingJobView view({path});
    Repair(view, false);
    EXPECT_EQ(Content(), DefaultContentDocument());
    EXPECT_EQ(view.slides.slides, SalvageResult::Slides::NotChecked);
    for (const auto& line : view.log) EXPECT_FALSE(line.text.contains("completed:"));
}

// Stored blocks keep the text as it is, so one changed byte inflates to the
// recorded length: only the CRC-32 tells.
TEST_F(Salvage, ASilentlyWrongStreamIsNeverWrittenAsItIs) {
    const ContentFixture content = ContentXml(kSlides);
    QByteArray packed = PackageBuilder::RawDeflate(content.bytes, 0);
    // Slide 8 no longer closes: "</draw:page>" becomes "<!draw:page>".
    int at = -1;
    for (int i = 0; i < 8; ++i) at = packed.indexOf("</draw:page>", at + 1);
    ASSERT_GT(at, 0);
    packed[at + 1] = '!';
    QByteArray wrong = content.bytes;
    wrong[wrong.indexOf("</draw:page>", content.slideEnds[6]) + 1] = '!';

    const LocalHeader h = ContentHeader(content.bytes, packed);
    const QByteArray bytes = PackageBuilder()
                                 .Stored("mimetype", kMime)
                                 .Member(h, packed)
                                 .Deflated("META-INF/manifest.xml", kManifest)
                                 .Bytes();

    RecordingJobView plain({Write(bytes)});
    Repair(plain, false);
    EXPECT_EQ(Content(), wrong);  // the specified path writes what the stream gave

    RecordingJobView view({Write(bytes)});
    Repair(view, true);
    // The stream is stored: past the broken slide its bytes are the file's
    // own, so the later slides come back.
    EXPECT_EQ(SlideNames(Content()), PageNames(1, 7) + PageNames(9, kSlides));
    EXPECT_EQ(view.slides.slides, SalvageResult::Slides::Salvaged);
    EXPECT_EQ(view.slides.slidesFromLaterRuns, kSlides - 8);
}

TEST_F(Salvage, OtherXmlMembersAreSalvagedOrLeftOutButNeverWrittenBroken) {
    const ContentFixture content = ContentXml(3);
    LocalHeader meta;  // stored, no CRC recorded, cut inside its only element
    meta.name = "meta.xml";
    const QByteArray cutMeta = kMeta.left(kMeta.indexOf("<office:meta/>") + 5);
    meta.compressedSize = meta.uncompressedSize = uint32_t(cutMeta.size());
    const QByteArray bytes = PackageBuilder()
                                 .Stored("mimetype", kMime)
                                 .Deflated("content.xml", content.bytes)
                                 .Member(meta, cutMeta)
                                 .DeflatedWithDescriptor("styles.xml", kStyles, false)
                                 .Bytes();
    // Cut inside the third style: the first two stand.
    const int cut = bytes.size() - 12;
    const QString path = Write(bytes.left(cut));
    RecordingJobView view({path});
    Repair(view, true);

    EXPECT_EQ(SlideNames(Content()), PageNames(1, 3));
    EXPECT_EQ(view.slides.slides, SalvageResult::Slides::Whole);
    EXPECT_FALSE(platform::PathExists(Folder() + "/meta.xml"));
    const QByteArray styles = ReadAll(Folder() + "/styles.xml");
    EXPECT_TRUE(styles.startsWith(kStyles.left(kStyles.indexOf("<style:style style:name=\"b\"/>"))))
        << styles.toStdString();
    EXPECT_TRUE(styles.endsWith("</office:styles></office:document-styles>"));
    EXPECT_NE(SlideNames(styles), QStringList{"<not well-formed>"});
    QStringList lines;
    for (const auto& line : view.log) lines << line.text;
    EXPECT_TRUE(lines.contains(Line(path,
                                    "styles.xml salvaged, 3 slides kept, meta.xml left out (not "
                                    "well-formed), manifest rebuilt")))
        << lines.join("").toStdString();
}

}  // namespace

namespace {

// The deeper searches plug in through SalvageSteps; these stand-ins check
// what the runner hands them and that it uses what they give back.
class DeepSteps : public Salvage {
protected:
    SalvageResult Run(const QByteArray& bytes, const SalvageSteps& steps) {
        const QString path = Write(bytes);
        RecordingJobView view({path});
        Repair(view, false);  // the specified path only; salvage is run here by hand
        return SalvagePackage(
            path, Folder(), [] { return true; }, steps);
    }
};

TEST_F(DeepSteps, LaterRunsAddTheirWholeSlidesAfterThePrefix) {
    const Deck deck = LibreOfficeDeck();
    const QByteArray bytes = deck.ZeroedAfter(10, 200);
    DamagedStream seen;
    SalvageSteps steps;
    steps.resync = [&](const platform::ReadOnlyFile&, const DamagedStream& member,
                       const std::function<bool()>&) {
        seen = member;
        // The text from inside slide 30 to the end, as a resync would give it.
        const int from = deck.content.slideEnds[28] + 15;
        LaterRuns later;
        later.runs = {deck.content.bytes.mid(from)};
        return later;
    };
    const SalvageResult result = Run(bytes, steps);
    EXPECT_EQ(seen.name, "content.xml");
    EXPECT_EQ(seen.dataOffset, deck.contentData);
    // The sizes and CRC-32 of its descriptor.
    EXPECT_TRUE(seen.recorded.Complete());
    EXPECT_EQ(seen.recorded.size, uint64_t(deck.content.bytes.size()));
    EXPECT_EQ(seen.recorded.crc, PackageBuilder::Crc32(deck.content.bytes));
    EXPECT_GE(seen.goodInput, deck.flushedAt[9]);
    EXPECT_EQ(SlideNames(Content()), PageNames(1, 10) + PageNames(31, kSlides));
    EXPECT_EQ(result.slidesKept, 20);
    EXPECT_EQ(result.slidesFromLaterRuns, 10);
}

// Folder entries, an empty member and the central directory hold no lost
// member: an intact package has no bytes to search. A stretch that is not
// what it seems still is searched.
TEST_F(DeepSteps, OnlyBytesNoEntryExplainsAreSearched) {
    const ContentFixture content = ContentXml(3);
    PackageBuilder p;
    p.Stored("mimetype", kMime)
        .Folder("Configurations2/toolpanel/")
        .Folder("Configurations2/statusbar/")
        .Stored("Configurations2/empty.txt", "")
        .DeflatedWithDescriptor("content.xml", content.bytes)
        .Folder("Configurations2/floater/");
    const int64_t directory = p.Bytes().size();
    p.CentralDirectory();
    for (const bool hidden : {false, true}) {
        SCOPED_TRACE(hidden ? "bytes hidden before the directory" : "intact");
        QByteArray bytes = p.Bytes();
        if (hidden) bytes.insert(int(directory), QByteArray(40, 'x'));
        std::vector<ByteRange> offered;
        SalvageSteps steps;
        steps.findOrphans = [&](const platform::ReadOnlyFile&,
                                const std::vector<ByteRange>& unclaimed,
                                const std::function<bool()>&) {
            offered = unclaimed;
            return std::vector<FoundMember>{};
        };
        const SalvageResult result = Run(bytes, steps);
        EXPECT_EQ(result.slides, SalvageResult::Slides::Whole);
        if (hidden) {
            ASSERT_EQ(offered.size(), 1u);
            EXPECT_EQ(offered[0].begin, directory);
            EXPECT_EQ(offered[0].end, bytes.size());
        } else {
            EXPECT_TRUE(offered.empty());
        }
    }
}

TEST_F(DeepSteps, AFoundMemberStandsInForOneWhoseHeaderIsGone) {
    const Deck deck = LibreOfficeDeck();
    const QByteArray bytes = deck.HeaderZeroed();
    std::vector<ByteRange> offered;
    SalvageSteps steps;
    steps.findOrphans = [&](const platform::ReadOnlyFile&, const std::vector<ByteRange>& unclaimed,
                            const std::function<bool()>&) {
        offered = unclaimed;
        FoundMember f;
        f.name = "content.xml";
        f.dataOffset = deck.contentData;
        f.dataEnd = deck.contentData + deck.packed.size();
        return std::vector<FoundMember>{f};
    };
    const SalvageResult result = Run(bytes, steps);
    ASSERT_FALSE(offered.empty());
    EXPECT_LE(offered.back().begin, deck.contentHeader);
    EXPECT_GE(offered.back().end, deck.contentData + deck.packed.size());
    EXPECT_EQ(SlideNames(Content()), PageNames(1, kSlides));
    EXPECT_EQ(result.foundWithoutHeader, QStringList{"content.xml"});
    EXPECT_EQ(result.slides, SalvageResult::Slides::Whole);
}

TEST_F(DeepSteps, ABitRepairIsTakenOnlyWhenItGivesTheRecordedCrc) {
    const ContentFixture content = ContentXml(12);
    QByteArray packed = PackageBuilder::RawDeflate(content.bytes, 0);
    packed[packed.indexOf("</draw:page>") + 1] = '!';
    const LocalHeader h = ContentHeader(content.bytes, packed);
    const QByteArray bytes = PackageBuilder().Stored("mimetype", kMime).Member(h, packed).Bytes();

    for (const bool right : {false, true}) {
        SCOPED_TRACE(right ? "right bytes" : "wrong bytes");
        SalvageSteps steps;
        steps.repairBit = [&](const platform::ReadOnlyFile&, const DamagedStream& member,
                              const std::function<bool()>&, const ByteSink& sink) {
            EXPECT_TRUE(member.recorded.Complete());
            QByteArray give = content.bytes;
            if (!right) give[give.size() - 3] = 'X';  // claims success with other bytes
            return sink(give.constData(), give.size());
        };
        const SalvageResult result = Run(bytes, steps);
        if (right) {
            EXPECT_EQ(Content(), content.bytes);
            EXPECT_EQ(result.putRight, QStringList{"content.xml"});
        } else {
            // Slide 1 broke, so none is whole: the built-in document stands in.
            EXPECT_EQ(Content(), DefaultContentDocument());
            EXPECT_EQ(result.slides, SalvageResult::Slides::Lost);
            EXPECT_TRUE(result.putRight.isEmpty());
        }
    }
}

}  // namespace

namespace {

TEST_F(DeepSteps, AResyncCanSayWhereTheTrustedPrefixEnds) {
    // One letter of slide 9 changed: the stream ends at its length, only the
    // CRC-32 tells, and the text still reads as XML.
    const ContentFixture content = ContentXml(12);
    QByteArray packed = PackageBuilder::RawDeflate(content.bytes, 0);
    const int at = packed.indexOf("Slide 9 ") + 2;
    packed[at] = packed[at] == 'x' ? 'y' : 'x';
    const LocalHeader h = ContentHeader(content.bytes, packed);
    const QByteArray bytes = PackageBuilder().Stored("mimetype", kMime).Member(h, packed).Bytes();

    SalvageSteps steps;
    steps.resync = [&](const platform::ReadOnlyFile&, const DamagedStream&,
                       const std::function<bool()>&) {
        LaterRuns later;
        later.prefixEnd = content.slideEnds[7] + 20;  // inside slide 9
        later.runs = {content.bytes.mid(content.slideEnds[9] - 30)};
        return later;
    };
    const SalvageResult result = Run(bytes, steps);
    EXPECT_EQ(SlideNames(Content()), PageNames(1, 8) + PageNames(11, 12));
    EXPECT_EQ(result.slides, SalvageResult::Slides::Salvaged);

    // Without a resync the whole text stands: it is well-formed, only not what was written.
    Run(bytes, SalvageSteps());
    EXPECT_EQ(SlideNames(Content()), PageNames(1, 12));
}

}  // namespace

namespace {

TEST_F(DeepSteps, AStopEndsEverySearchAndStillLeavesNoBrokenXml) {
    const Deck deck = LibreOfficeDeck();
    const QByteArray bytes = deck.ZeroedAfter(10, 200);
    const QString path = Write(bytes);
    RecordingJobView view({path});
    Repair(view, false);
    int asked = 0;
    SalvageSteps steps;
    steps.resync = [&](const platform::ReadOnlyFile&, const DamagedStream&,
                       const std::function<bool()>&) {
        ++asked;
        return LaterRuns();
    };
    const SalvageResult result = SalvagePackage(
        path, Folder(), [] { return false; }, steps);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(result.slides, SalvageResult::Slides::Lost);
    EXPECT_EQ(Content(), DefaultContentDocument());
    for (const QString& name : Tree(Folder())) {
        if (!name.endsWith(".xml")) continue;
        EXPECT_NE(SlideNames(ReadAll(Folder() + '/' + name)), QStringList{"<not well-formed>"})
            << name.toStdString();
    }
}

}  // namespace
