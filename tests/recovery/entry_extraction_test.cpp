#include "recovery/entry_extraction.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>

#include "platform/errors.h"
#include "platform/folders.h"
#include "recovery/default_content.h"
#include "recovery/entry_scanner.h"
#include "recovery/member_records.h"
#include "recovery/write_guard.h"
#include "support/package_builder.h"
#include "support/private_temp_dir.h"
#include "support/qt_printers.h"
#include "support/recording_job_view.h"
#include "support/test_files.h"
#include "support/unprivileged.h"

namespace {

const QByteArray kSlides = QByteArray("<draw:page draw:name=\"page\"/>").repeated(200);

// --- Folder chains and output paths. ---------------------------------------

struct NameCase {
    const char* label;
    QString name;      // as the entry table holds it
    QString output;    // relative to the working folder
    QStringList tree;  // what exists below the working folder afterwards
    int result;
};

class EntryFolders : public ::testing::TestWithParam<NameCase> {};

TEST_P(EntryFolders, StayInsideTheWorkingFolder) {
    PrivateTempDir tmp;
    const QString folder = tmp.Path("w") + '/';
    ASSERT_EQ(platform::CreateFolder(folder), 0);
    RecordingJobView view;
    QString name = GetParam().name;
    EXPECT_EQ(CreateEntryFolders(folder, name, &view), GetParam().result);
    EXPECT_EQ(name, folder + GetParam().output);
    EXPECT_EQ(Tree(folder), GetParam().tree);
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(
        Tree(tmp.Path()), QStringList{"w/"} +
                              [&] {
                                  QStringList inside;
                                  for (const QString& t : GetParam().tree) inside << "w/" + t;
                                  return inside;
                              }())
        << "nothing may appear beside the working folder";
}

INSTANTIATE_TEST_SUITE_P(
    Extraction, EntryFolders,
    ::testing::Values(NameCase{"PlainName", "content.xml", "content.xml", {}, 0},
                      NameCase{
                          "OneFolder", "Pictures\\1000.png", "Pictures/1000.png", {"Pictures/"}, 1},
                      NameCase{"NestedFolders", "a\\b\\c.xml", "a/b/c.xml", {"a/", "a/b/"}, 1},
                      NameCase{"ForwardSlashToo", "a/b\\c.xml", "a/b/c.xml", {"a/", "a/b/"}, 1},
                      NameCase{"ColonRemoved", "a:b.xml", "ab.xml", {}, 0},
                      NameCase{"ColonInAFolder", "C:\\x.xml", "C/x.xml", {"C/"}, 1},
                      NameCase{"ParentLevelsDropped", "..\\..\\x", "x", {}, 1},
                      NameCase{"ParentInTheMiddle", "a\\..\\..\\b\\x", "a/b/x", {"a/", "a/b/"}, 1},
                      NameCase{"LeadingSeparatorDropped", "\\etc\\x", "etc/x", {"etc/"}, 1},
                      NameCase{"EmptyAndDotLevelsDropped", "a\\\\.\\b", "a/b", {"a/"}, 1},
                      NameCase{"TrailingSeparatorNamesAFolder", "dir\\", "dir/", {"dir/"}, 1},
                      NameCase{"NothingLeft", "..\\", "", {}, 1}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(EntryFolders, AFolderThatCannotBeMadeIsReportedAndTheNextLevelTried) {
    PrivateTempDir tmp;
    const QString folder = tmp.Path("w") + '/';
    ASSERT_EQ(platform::CreateFolder(folder), 0);
    RecordingJobView view;
    // "f" is a file: the level below it cannot be made, nor the one after.
    WriteBytes(folder + "f", "x");
    QString name = "f\\inner\\deeper\\x.xml";
    CreateEntryFolders(folder, name, &view);
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[0].text, platform::ErrorText(ENOTDIR));
    EXPECT_EQ(view.messages[0].style, kMsgInfo);
    EXPECT_EQ(view.messages[1].text, platform::ErrorText(ENOTDIR));

    // A level already there, as a folder or even as a file, is no news.
    RecordingJobView quiet;
    QString again = "Pictures\\a.png";
    CreateEntryFolders(folder, again, &quiet);
    QString second = "Pictures\\b.png";
    CreateEntryFolders(folder, second, &quiet);
    EXPECT_TRUE(quiet.messages.empty());
}

// --- One member. ------------------------------------------------------------

struct MemberCase {
    const char* label;
    std::function<PackageBuilder()> build;  // the member is the package's first one
    std::function<EntryInfo(const PackageBuilder&)> entry;
    QByteArray expected;  // "<none>": no file is written
};

EntryInfo FromPlaced(const PackageBuilder::Placed& m) {
    EntryInfo e;
    e.compressedSize = m.compressedSize;
    e.uncompressedSize = m.uncompressedSize;
    e.name = "member";
    e.dataOffset = uint64_t(m.dataOffset);
    return e;
}

EntryInfo WithSizes(const PackageBuilder& b, uint32_t compressed, uint32_t uncompressed) {
    EntryInfo e = FromPlaced(b.Members()[0]);
    e.compressedSize = compressed;
    e.uncompressedSize = uncompressed;
    return e;
}

const QByteArray kNone = "<none>";
const QByteArray kNoise = PackageBuilder::Incompressible(70000);

// A raw Deflate stream whose first half is sound and which then breaks: a
// block of the reserved type follows the flushed first half.
QByteArray BrokenHalfway(const QByteArray& data) {
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(data.size() + 1024, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size() / 2);
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FULL_FLUSH);
    out.resize(int(z.total_out));
    deflateEnd(&z);
    return out + QByteArray("\x07\x00\x00\x00", 4);
}

// The header of a Deflate member holding BrokenHalfway(kSlides).
LocalHeader BrokenHeader(const QByteArray& name, const QByteArray& packed) {
    LocalHeader h;
    h.method = 8;
    h.name = name;
    h.compressedSize = uint32_t(packed.size());
    h.uncompressedSize = uint32_t(kSlides.size());
    return h;
}

std::vector<MemberCase> MemberCases() {
    return {
        {"StoredCopied", [] { return PackageBuilder().Stored("m", QByteArray(1000, 's')); },
         [](const PackageBuilder& b) { return FromPlaced(b.Members()[0]); }, QByteArray(1000, 's')},
        {"DeflateInflated", [] { return PackageBuilder().Deflated("m", kSlides); },
         [](const PackageBuilder& b) { return FromPlaced(b.Members()[0]); }, kSlides},
        {"EqualSizesCopiedWithoutInflating",
         [] {
             LocalHeader h;
             h.method = 8;
             h.name = "m";
             h.compressedSize = h.uncompressedSize = 6;
             return PackageBuilder().Member(h, "abcdef");
         },
         [](const PackageBuilder& b) { return FromPlaced(b.Members()[0]); }, "abcdef"},
        {"CorruptStreamLeavesNothing",
         [] {
             const QByteArray packed = BrokenHalfway(kSlides);
             return PackageBuilder().Member(BrokenHeader("m", packed), packed);
         },
         [](const PackageBuilder& b) { return FromPlaced(b.Members()[0]); }, kNone},
        {"RecordedSizeSmallerThanTheStreamIsCut",
         [] { return PackageBuilder().Deflated("m", kSlides); },
         [](const PackageBuilder& b) { return WithSizes(b, b.Members()[0].compressedSize, 100); },
         kSlides.left(100)},
        {"RecordedSizeLargerThanTheStreamLeavesNothing",
         [] { return PackageBuilder().Deflated("m", kSlides); },
         [](const PackageBuilder& b) {
             return WithSizes(b, b.Members()[0].compressedSize, uint32_t(kSlides.size() + 1));
         },
         kNone},
        {"IncompressibleDataIsFedWhole",
         // The compressed stream is longer than the data it holds.
         [] { return PackageBuilder().Deflated("m", kNoise); },
         [](const PackageBuilder& b) {
             EXPECT_GT(b.Members()[0].compressedSize, b.Members()[0].uncompressedSize);
             return FromPlaced(b.Members()[0]);
         },
         kNoise},
        {"NothingWantedGivesAnEmptyFile", [] { return PackageBuilder().Deflated("m", kSlides); },
         [](const PackageBuilder& b) { return WithSizes(b, b.Members()[0].compressedSize, 0); },
         QByteArray()},
        {"NoCompressedBytesLeavesNothing", [] { return PackageBuilder().Deflated("m", kSlides); },
         [](const PackageBuilder& b) { return WithSizes(b, 0, 50); }, kNone},
        {"TruncatedDeflateLeavesNothing",
         [] { return PackageBuilder().Deflated("m", kNoise).Cut(1000); },
         [](const PackageBuilder& b) { return FromPlaced(b.Members()[0]); }, kNone},
        {"TruncatedStoredKeepsWhatIsThere",
         [] { return PackageBuilder().Stored("m", kNoise).Cut(1000); },
         [](const PackageBuilder& b) { return FromPlaced(b.Members()[0]); },
         kNoise.left(kNoise.size() - 1000)},
        {"HugeClaimsAtTheEndOfTheFile", [] { return PackageBuilder().Stored("m", "tiny"); },
         [](const PackageBuilder& b) { return WithSizes(b, 0xFFFFFFF0u, 0xFFFFFFFFu); }, kNone},
        {"DataOffsetPastTheEnd", [] { return PackageBuilder().Stored("m", "tiny"); },
         [](const PackageBuilder& b) {
             EntryInfo e = WithSizes(b, 0xFFFF0000u, 0xFFFF0000u);
             e.dataOffset = 1u << 30;
             return e;
         },
         QByteArray()},
    };
}

class OneMember : public ::testing::TestWithParam<MemberCase> {};

TEST_P(OneMember, IsWrittenOnlyWhenItCanBeRecovered) {
    PrivateTempDir tmp;
    const QString package = tmp.Path("p.odp");
    const PackageBuilder b = GetParam().build();
    ASSERT_TRUE(b.WriteTo(package));
    const QString folder = tmp.Path("w") + '/';
    ASSERT_EQ(platform::CreateFolder(folder), 0);
    const QByteArray before = ReadAll(package);

    ExtractEntry(GetParam().entry(b), folder, package, folder + "member");

    if (GetParam().expected == kNone) {
        EXPECT_TRUE(Tree(folder).isEmpty()) << Tree(folder).join(' ').toStdString();
    } else {
        EXPECT_EQ(Tree(folder), QStringList{"member"});
        EXPECT_EQ(ReadAll(folder + "member"), GetParam().expected);
    }
    // Nothing is left in the temporary folder but the package and the working
    // folder: no OPC file, no part file.
    EXPECT_EQ(Tree(tmp.Path()).filter(QRegularExpression("^[^/]*/?$")),
              QStringList({"p.odp", "w/"}));
    EXPECT_EQ(ReadAll(package), before) << "the damaged package is never changed";
}

INSTANTIATE_TEST_SUITE_P(Extraction, OneMember, ::testing::ValuesIn(MemberCases()),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(ExtractEntry, ReplacesAnEarlierFileButNeverAFolder) {
    PrivateTempDir tmp;
    const QString package = tmp.Path("p.odp");
    const PackageBuilder b = PackageBuilder().Stored("m", "fresh");
    ASSERT_TRUE(b.WriteTo(package));
    const QString folder = tmp.Path("w") + '/';
    ASSERT_EQ(platform::CreateFolder(folder), 0);
    WriteBytes(folder + "member", "an older and longer text");
    ExtractEntry(FromPlaced(b.Members()[0]), folder, package, folder + "member");
    EXPECT_EQ(ReadAll(folder + "member"), "fresh");

    ASSERT_EQ(platform::CreateFolder(folder + "taken"), 0);
    ASSERT_EQ(platform::CreateFolder(folder + "taken/inner"), 0);
    ExtractEntry(FromPlaced(b.Members()[0]), folder, package, folder + "taken");
    EXPECT_EQ(Tree(folder), QStringList({"member", "taken/", "taken/inner/"}));
}

TEST(ExtractEntry, InflatesStraightFromThePackageWhenNoTemporaryFileCanBeMade) {
    PrivateTempDir tmp;
    RunWherePermissionsBind(tmp.Path(), [&] {
        const QString package = tmp.Path("in/p.odp");
        const QString folder = tmp.Path("out/w/");
        ASSERT_EQ(platform::CreateFolder(tmp.Path("in")), 0);
        ASSERT_EQ(platform::CreateFolder(tmp.Path("out")), 0);
        ASSERT_EQ(platform::CreateFolder(folder), 0);
        const PackageBuilder b = PackageBuilder().Deflated("m", kSlides);
        ASSERT_TRUE(b.WriteTo(package));
        ASSERT_TRUE(QFile::setPermissions(tmp.Path(), QFile::ReadOwner | QFile::ExeOwner));
        ExtractEntry(FromPlaced(b.Members()[0]), folder, package, folder + "member");
        QFile::setPermissions(tmp.Path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_EQ(ReadAll(folder + "member"), kSlides);
    });
}

TEST(ExtractEntry, AMissingPackageWritesNothing) {
    PrivateTempDir tmp;
    const QString folder = tmp.Path("w") + '/';
    ASSERT_EQ(platform::CreateFolder(folder), 0);
    EntryInfo e;
    e.compressedSize = e.uncompressedSize = 10;
    ExtractEntry(e, folder, tmp.Path("missing.odp"), folder + "member");
    EXPECT_TRUE(Tree(folder).isEmpty());
}

// --- A whole package. -------------------------------------------------------

struct Extracted {
    int result;
    RecordingJobView view;
};

void ScanAndExtract(const QString& package, const QString& folder, Extracted* out,
                    MemberRecords* records = nullptr) {
    JobControl control;
    control.SetProcessRunning(1);
    JobParams params{&control, &out->view};
    params.memberRecords = records;
    ASSERT_EQ(ScanPackage(package, &params), 1);
    out->result = ExtractEntries(folder, package, &params);
}

TEST(ExtractEntries, WritesEveryGoodMemberAndTheContentDocument) {
    PrivateTempDir tmp;
    const QString package = tmp.Path("plan.odp");
    const QByteArray broken = BrokenHalfway(kSlides);
    PackageBuilder b;
    b.Garbage(100)
        .Stored("mimetype", "application/vnd.oasis.opendocument.presentation")
        .Member(BrokenHeader("content.xml", broken), broken)
        .Folder("Pictures/")
        .Deflated("Pictures/1000.png", kNoise.left(3000))
        .DeflatedWithDescriptor("styles.xml", kSlides)
        .Stored("a:b.xml", "colon")
        .Stored("../../escape.xml", "up")
        .Stored("/etc/passwd-like", "root")
        .CentralDirectory();
    ASSERT_TRUE(b.WriteTo(package));
    const QString folder = tmp.Path("ImpTmp/plan.odp0");
    ASSERT_EQ(platform::CreateFolder(tmp.Path("ImpTmp")), 0);
    ASSERT_EQ(platform::CreateFolder(folder), 0);

    Extracted out;
    ScanAndExtract(package, folder, &out);
    EXPECT_EQ(out.result, 1);
    EXPECT_EQ(Tree(folder),
              QStringList({"ab.xml", "content.xml", "escape.xml", "etc/", "etc/passwd-like",
                           "mimetype", "Pictures/", "Pictures/1000.png", "styles.xml"}));
    EXPECT_EQ(ReadAll(folder + "/Pictures/1000.png"), kNoise.left(3000));
    EXPECT_EQ(ReadAll(folder + "/styles.xml"), kSlides);
    EXPECT_EQ(ReadAll(folder + "/ab.xml"), "colon");
    // The broken content.xml left no file, so the built-in one took its place.
    EXPECT_EQ(ReadAll(folder + "/content.xml"), DefaultContentDocument());
    EXPECT_TRUE(out.view.messages.empty());
    EXPECT_EQ(out.view.fileRange, 7);
    EXPECT_EQ(out.view.filePos, 7);
    EXPECT_EQ(Tree(tmp.Path()).filter(QRegularExpression("^[^/]*/?$")),
              QStringList({"ImpTmp/", "plan.odp"}));
}

TEST(ExtractEntries, AnEmptyTableWritesNothing) {
    PrivateTempDir tmp;
    const QString package = tmp.Path("garbage.odp");
    ASSERT_TRUE(PackageBuilder().Garbage(5000).WriteTo(package));
    const QString folder = tmp.Path("w");
    ASSERT_EQ(platform::CreateFolder(folder), 0);
    Extracted out;
    ScanAndExtract(package, folder, &out);
    EXPECT_EQ(out.result, 0);
    EXPECT_TRUE(Tree(folder).isEmpty());
    EXPECT_EQ(out.view.fileRange, 0);
}

TEST(ExtractEntries, KeepsALongEnoughContentDocument) {
    PrivateTempDir tmp;
    const QString package = tmp.Path("plan.odp");
    const QByteArray content = "<office:document-content>" + kSlides + "</office:document-content>";
    ASSERT_TRUE(PackageBuilder().Deflated("content.xml", content).WriteTo(package));
    const QString folder = tmp.Path("w");
    ASSERT_EQ(platform::CreateFolder(folder), 0);
    Extracted out;
    ScanAndExtract(package, folder, &out);
    EXPECT_EQ(ReadAll(folder + "/content.xml"), content);
}

// With records asked for, every local header the scan met and every file the
// extraction left in the folder are recorded, the file with the length and
// CRC-32 of the bytes it holds.
TEST(ExtractEntries, RecordsWhatItWroteWithItsLengthAndCrc) {
    PrivateTempDir tmp;
    const QString package = tmp.Path("plan.odp");
    const QByteArray broken = BrokenHalfway(kSlides);
    PackageBuilder b;
    b.Stored("mimetype", "application/vnd.oasis.opendocument.presentation")
        .Deflated("content.xml", "<short/>")  // the built-in document takes its place
        .Folder("Pictures/")
        .Deflated("Pictures/1000.png", kNoise.left(3000))
        .Member(BrokenHeader("broken.xml", broken), broken)
        .DeflatedWithDescriptor("styles.xml", kSlides)
        .Stored("twice.xml", "first")
        .Deflated("twice.xml", kSlides.left(900))
        .Stored("cut.bin", kNoise.left(500));
    const QByteArray bytes = b.Bytes();
    WriteBytes(package, bytes.left(bytes.size() - 200));  // cut.bin keeps 300 bytes
    const QString folder = tmp.Path("w");
    ASSERT_EQ(platform::CreateFolder(folder), 0);

    Extracted out;
    MemberRecords records;
    ScanAndExtract(package, folder, &out, &records);
    ASSERT_EQ(out.result, 1);

    std::vector<int64_t> headers;
    for (const LocalHeaderRecord& r : records.headers) headers.push_back(r.headerOffset);
    std::vector<int64_t> placed;
    for (const auto& m : b.Members()) placed.push_back(m.headerOffset);
    EXPECT_EQ(headers, placed);

    EXPECT_EQ(ReadAll(folder + "/twice.xml"), kSlides.left(900));
    EXPECT_EQ(ReadAll(folder + "/cut.bin"), kNoise.left(300));
    QStringList recorded = records.written.keys();
    recorded.sort();
    EXPECT_EQ(recorded,
              QStringList({"Pictures/1000.png", "cut.bin", "mimetype", "styles.xml", "twice.xml"}));
    for (const QString& name : recorded) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray file = ReadAll(folder + '/' + name);
        EXPECT_EQ(records.written[name].length, uint64_t(file.size()));
        EXPECT_EQ(records.written[name].crc, PackageBuilder::Crc32(file));
    }
}

// --- Stops and the disk reserve while members are written. ------------------

constexpr int64_t kMiB = int64_t(1) << 20;

// Bytes this process holds in files at or below `folder`: the files there and
// the ones still being written (which have no name yet), the way a file
// system's free count sees them.
int64_t BytesHeldBelow(const QString& folder) {
    int64_t bytes = 0;
    for (const QString& name : Tree(folder))
        if (!name.endsWith('/')) bytes += QFileInfo(folder + '/' + name).size();
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    DIR* fds = ::opendir("/proc/self/fd");
    while (struct dirent* e = fds ? ::readdir(fds) : nullptr) {
        const QString link = QFileInfo("/proc/self/fd/" + QString(e->d_name)).symLinkTarget();
        if (link.startsWith(canonical + '/') && link.endsWith(" (deleted)"))
            bytes += QFileInfo("/proc/self/fd/" + QString(e->d_name)).size();
    }
    if (fds) ::closedir(fds);
    return bytes;
}

// A package of a small member, a large one that inflates to `bigBytes` and
// another small one.
PackageBuilder SmallBigSmall(int64_t bigBytes) {
    return PackageBuilder()
        .Deflated("a.xml", kSlides)
        .Deflated("Pictures/big.bin", QByteArray(int(bigBytes), 'z'))
        .Deflated("z.xml", kSlides);
}

// A package of a small, a big and a small member, and the empty folder it
// is extracted into.
struct GuardedFiles {
    PrivateTempDir tmp;
    QString package = tmp.Path("p.odp");
    QString folder = tmp.Path("w");
    bool Make(int64_t bigBytes) {
        return SmallBigSmall(bigBytes).WriteTo(package) && platform::CreateFolder(folder) == 0;
    }
};

struct GuardedRun {
    Extracted out;
    JobControl control;
    int looks = 0;
};

void ExtractGuarded(const QString& package, const QString& folder, GuardedRun* run,
                    DiskSpaceQuery query) {
    run->control.SetProcessRunning(1);
    JobParams params{&run->control, &run->out.view};
    params.diskSpace = [run, query](const QString& f) {
        ++run->looks;
        return query(f);
    };
    ASSERT_EQ(ScanPackage(package, &params), 1);
    run->out.result = ExtractEntries(folder, package, &params);
    EXPECT_EQ(params.extractionCutShort, run->control.IsProcessRunning() == 0);
}

TEST(ExtractEntries, LooksAtTheDiskAtLeastOncePerMiBWritten) {
    GuardedFiles files;
    ASSERT_TRUE(files.Make(6 * kMiB));
    const QString &package = files.package, &folder = files.folder;
    GuardedRun run;
    ExtractGuarded(package, folder, &run, [](const QString&) {
        return std::optional<platform::DiskSpace>({uint64_t(1) << 40, uint64_t(1) << 41});
    });
    EXPECT_GE(run.looks, 6);
    EXPECT_EQ(QFileInfo(folder + "/Pictures/big.bin").size(), 6 * kMiB);
}

TEST(ExtractEntries, AStopWhileAMemberIsWrittenLeavesNoFileOfIt) {
    GuardedFiles files;
    ASSERT_TRUE(files.Make(8 * kMiB));
    const QString &package = files.package, &folder = files.folder;
    GuardedRun run;
    // The stop comes once the large member is half way out.
    ExtractGuarded(package, folder, &run, [&](const QString&) {
        if (BytesHeldBelow(folder) >= 4 * kMiB) run.control.SetProcessRunning(0);
        return std::optional<platform::DiskSpace>({uint64_t(1) << 40, uint64_t(1) << 41});
    });
    EXPECT_EQ(run.control.IsProcessRunning(), 0);
    EXPECT_EQ(run.out.result, 1);
    // The member cut short and the ones after it are not there; no part of
    // any file is left, named or hidden.
    EXPECT_EQ(Tree(folder), QStringList({"a.xml", "content.xml", "Pictures/"}));
    EXPECT_EQ(ReadAll(folder + "/a.xml"), kSlides);
    EXPECT_EQ(BytesHeldBelow(folder), int64_t(kSlides.size() + DefaultContentDocument().size()));
}

TEST(ExtractEntries, AMemberThatWouldFillTheDiskIsDroppedWithARedLine) {
    GuardedFiles files;
    ASSERT_TRUE(files.Make(8 * kMiB));
    const QString &package = files.package, &folder = files.folder;
    GuardedRun run;
    // A disk of 100 MiB keeps 5 MiB in reserve; 3 MiB above it are free.
    const int64_t total = 100 * kMiB, freeAtStart = 8 * kMiB;
    ExtractGuarded(package, folder, &run, [&](const QString& f) {
        EXPECT_EQ(f, folder + '/');
        return std::optional<platform::DiskSpace>(
            {uint64_t(freeAtStart - BytesHeldBelow(folder)), uint64_t(total)});
    });
    EXPECT_EQ(run.out.result, 1);
    EXPECT_EQ(Tree(folder), QStringList({"a.xml", "content.xml", "Pictures/", "z.xml"}));
    EXPECT_EQ(ReadAll(folder + "/z.xml"), kSlides);
    EXPECT_EQ(BytesHeldBelow(folder),
              int64_t(2 * kSlides.size() + DefaultContentDocument().size()));
    std::vector<QString> red;
    for (const auto& line : run.out.view.log)
        if (line.color == kLogRed) red.push_back(line.text);
    ASSERT_EQ(red.size(), 1u);
    EXPECT_EQ(red[0], package +
                          " Pictures/big.bin left out: writing it would leave less than 5 "
                          "MiB free on the disk of the working folder....\r\n");
}

struct ReserveCase {
    uint64_t total;
    uint64_t available;
    int64_t count;
    WriteVerdict verdict;
    uint64_t reserve;
};

TEST(WriteGuard, KeepsOneGiBOrFivePercentWhicheverIsLess) {
    const uint64_t GiB = uint64_t(1) << 30;
    const std::vector<ReserveCase> cases = {
        {100 * kMiB, 10 * kMiB, 5 * kMiB, WriteVerdict::Go, 5 * kMiB},
        {100 * kMiB, 10 * kMiB, 5 * kMiB + 1, WriteVerdict::NoRoom, 5 * kMiB},
        {100 * GiB, 2 * GiB, int64_t(GiB), WriteVerdict::Go, GiB},
        {100 * GiB, 2 * GiB, int64_t(GiB) + 1, WriteVerdict::NoRoom, GiB},
        {100 * kMiB, 4 * kMiB, 1, WriteVerdict::NoRoom, 5 * kMiB},  // below the reserve already
    };
    for (const ReserveCase& c : cases) {
        std::atomic<int> running{1};
        WriteGuard guard("/w/", &running, [&](const QString&) {
            return std::optional<platform::DiskSpace>({c.available, c.total});
        });
        EXPECT_EQ(guard.Check(c.count), c.verdict) << c.total << " " << c.count;
        EXPECT_EQ(guard.Reserve(), c.reserve);
    }
    // A file system that cannot be asked holds nothing back; a stop always does.
    std::atomic<int> running{1};
    WriteGuard blind("/w/", &running, [](const QString&) { return std::nullopt; });
    EXPECT_EQ(blind.Check(int64_t(GiB)), WriteVerdict::Go);
    running = 0;
    EXPECT_EQ(blind.Check(1), WriteVerdict::Stopped);
}

}  // namespace

// A member name near the file system's limit is written under it; one past it
// is written under a shortened name that keeps its extension, with a log line.
TEST(ExtractEntries, NamesTooLongForTheFileSystemAreShortenedNotLost) {
    PrivateTempDir tmp;
    const QString package = tmp.Path("plan.odp");
    const QByteArray fits = QByteArray(251, 'f') + ".xml";     // 255 bytes
    const QByteArray tooLong = QByteArray(296, 'l') + ".png";  // 300 bytes
    ASSERT_TRUE(PackageBuilder()
                    .Stored(fits, "fits")
                    .Stored("Pictures/" + tooLong, "long")
                    .WriteTo(package));
    const QString folder = tmp.Path("w");
    ASSERT_EQ(platform::CreateFolder(folder), 0);
    Extracted out;
    ScanAndExtract(package, folder, &out);
    EXPECT_EQ(ReadAll(folder + '/' + fits), "fits");
    const QStringList pictures = QDir(folder + "/Pictures").entryList(QDir::Files);
    ASSERT_EQ(pictures.size(), 1);
    EXPECT_LE(pictures[0].toUtf8().size(), 255);
    EXPECT_TRUE(pictures[0].startsWith("llll") && pictures[0].endsWith(".png"));
    EXPECT_EQ(ReadAll(folder + "/Pictures/" + pictures[0]), "long");
    bool logged = false;
    for (const RecordingJobView::LogLine& line : out.view.log)
        logged = logged || line.text == package + " member Pictures/" + tooLong +
                                            " has a name too long for the file system; it is "
                                            "kept as Pictures/" +
                                            pictures[0] + "....\r\n";
    EXPECT_TRUE(logged);
    // No temporary file is left beside them (the built-in content.xml joins them).
    EXPECT_EQ(Tree(folder),
              QStringList({"content.xml", QString(fits), "Pictures/", "Pictures/" + pictures[0]}));
}
