#include "packaging/package_writer.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include "packaging/private_temp_test.h"
#include "packaging/zip_layout_reader.h"

using ziptest::U16;
using ziptest::U32;

namespace {

class PackageWriterTest : public PrivateTempTest {
protected:
    // Writes an archive of the given (member name, source path) pairs and
    // returns its bytes; every add must succeed.
    QByteArray Pack(const std::vector<std::pair<QString, QString>>& members) {
        const QString archive = Path("out.zip");
        PackageWriter* writer = CreatePackage(archive);
        EXPECT_NE(writer, nullptr);
        for (const auto& [name, source] : members)
            EXPECT_EQ(AddPackageFile(writer, name, source), kZipOk) << name.toStdString();
        EXPECT_EQ(ClosePackage(writer), kZipOk);
        return ReadBytes(archive);
    }
};

uint32_t Crc(const QByteArray& data) {
    return static_cast<uint32_t>(
        crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(data.constData()), data.size()));
}

TEST_F(PackageWriterTest, ArchiveWithoutMembersIsTheBareEndRecord) {
    const QByteArray bytes = Pack({});
    const QByteArray expected("PK\x05\x06\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 22);
    EXPECT_EQ(bytes, expected);
}

// Two members, one deflated across several buffers and one stored, checked
// field by field against the layout.
TEST_F(PackageWriterTest, HeadersFollowTheLayoutFieldByField) {
    const QByteArray text = TextBytes(70000);       // several 16 KiB chunks
    const QByteArray noise = NoiseBytes(40000, 7);  // stored: read in three chunks
    WriteBytes(Path("src/content.xml"), text);
    WriteBytes(Path("src/backup.ZIP"), noise);
    const QByteArray b = Pack({{"Pictures\\content.xml", Path("src/content.xml")},
                               {"backup.ZIP", Path("src/backup.ZIP")}});

    const ziptest::Archive a = ziptest::Parse(b);
    ASSERT_TRUE(a.error.isEmpty()) << a.error.toStdString();
    ASSERT_EQ(a.locals.size(), 2u);
    ASSERT_EQ(a.centrals.size(), 2u);

    const ziptest::LocalHeader& deflated = a.locals[0];
    EXPECT_EQ(deflated.offset, 0);
    EXPECT_EQ(deflated.versionNeeded, 20);
    EXPECT_EQ(deflated.flags, 0x0002);
    EXPECT_EQ(deflated.method, 8);
    EXPECT_EQ(deflated.name, QByteArray("Pictures/content.xml"));
    EXPECT_EQ(deflated.extra.size(), 17);
    EXPECT_EQ(deflated.dataOffset, 30 + 20 + 17);
    EXPECT_EQ(deflated.crc, Crc(text));
    EXPECT_EQ(deflated.uncompressedSize, uint32_t(text.size()));
    EXPECT_LT(deflated.compressedSize, uint32_t(text.size()) / 4);
    bool ok = false;
    EXPECT_EQ(ziptest::MemberData(b, deflated, &ok), text);
    EXPECT_TRUE(ok);

    const ziptest::LocalHeader& stored = a.locals[1];
    EXPECT_EQ(stored.offset, deflated.dataOffset + deflated.compressedSize);
    EXPECT_EQ(stored.flags, 0x0000);
    EXPECT_EQ(stored.method, 0);
    EXPECT_EQ(stored.compressedSize, uint32_t(noise.size()));
    EXPECT_EQ(stored.uncompressedSize, uint32_t(noise.size()));
    EXPECT_EQ(stored.crc, Crc(noise));
    EXPECT_EQ(ziptest::MemberData(b, stored, &ok), noise);

    // The local extra field: "UT", 13 data bytes, all three times.
    for (const ziptest::LocalHeader& l : a.locals) {
        EXPECT_EQ(U16(l.extra, 0), 0x5455);
        EXPECT_EQ(U16(l.extra, 2), 13);
        EXPECT_EQ(uint8_t(l.extra[4]), 0x07);
    }

    for (size_t i = 0; i < 2; ++i) {
        const ziptest::LocalHeader& l = a.locals[i];
        const ziptest::CentralHeader& c = a.centrals[i];
        EXPECT_EQ(uint8_t(b.at(c.offset + 4)), 0x17);
        EXPECT_EQ(uint8_t(b.at(c.offset + 5)), 0x0B);
        EXPECT_EQ(c.versionNeeded, 20);
        EXPECT_EQ(c.flags, l.flags);
        EXPECT_EQ(c.method, l.method);
        EXPECT_EQ(c.dosTime, l.dosTime);
        EXPECT_EQ(c.dosDate, l.dosDate);
        EXPECT_EQ(c.crc, l.crc);
        EXPECT_EQ(c.compressedSize, l.compressedSize);
        EXPECT_EQ(c.uncompressedSize, l.uncompressedSize);
        EXPECT_EQ(c.name, l.name);
        EXPECT_EQ(c.commentLength, 0);
        EXPECT_EQ(c.diskStart, 0);
        EXPECT_EQ(c.internalAttributes, 0);
        EXPECT_EQ(c.externalAttributes, 0x81800020u);
        EXPECT_EQ(c.localOffset, uint32_t(l.offset));
        // The central extra field: "UT", 5 data bytes, flags 7, the modification time.
        ASSERT_EQ(c.extra.size(), 9);
        EXPECT_EQ(U16(c.extra, 0), 0x5455);
        EXPECT_EQ(U16(c.extra, 2), 5);
        EXPECT_EQ(uint8_t(c.extra[4]), 0x07);
        EXPECT_EQ(U32(c.extra, 5), U32(l.extra, 5));
    }

    EXPECT_EQ(a.end.entriesOnDisk, 2);
    EXPECT_EQ(a.end.totalEntries, 2);
    EXPECT_EQ(a.end.directorySize, uint32_t(46 + 20 + 9 + 46 + 10 + 9));
    EXPECT_EQ(a.end.directoryOffset, uint32_t(stored.dataOffset + stored.compressedSize));
    EXPECT_EQ(a.end.disk, 0);
    EXPECT_EQ(a.end.directoryDisk, 0);
    EXPECT_EQ(a.end.commentLength, 0);
}

TEST_F(PackageWriterTest, EmptySourceIsTheDeflateEncodingOfNothing) {
    WriteBytes(Path("src/empty"), QByteArray());
    const QByteArray b = Pack({{"empty", Path("src/empty")}});
    const ziptest::Archive a = ziptest::Parse(b);
    ASSERT_TRUE(a.error.isEmpty()) << a.error.toStdString();
    ASSERT_EQ(a.locals.size(), 1u);
    EXPECT_EQ(a.locals[0].method, 8);
    EXPECT_EQ(a.locals[0].crc, 0u);
    EXPECT_EQ(a.locals[0].uncompressedSize, 0u);
    EXPECT_EQ(b.mid(a.locals[0].dataOffset, a.locals[0].compressedSize), QByteArray("\x03\x00", 2));
}

struct MethodCase {
    const char* name;
    uint16_t method;
    uint16_t flags;
};

class MethodByNameTest : public PackageWriterTest,
                         public ::testing::WithParamInterface<MethodCase> {};

// The text from the last dot to the end of the whole name decides.
TEST_P(MethodByNameTest, LastExtensionChoosesStoredOrDeflated) {
    WriteBytes(Path("src/data"), TextBytes(3000));
    const QByteArray b = Pack({{GetParam().name, Path("src/data")}});
    const ziptest::Archive a = ziptest::Parse(b);
    ASSERT_TRUE(a.error.isEmpty()) << a.error.toStdString();
    ASSERT_EQ(a.locals.size(), 1u);
    EXPECT_EQ(a.locals[0].method, GetParam().method);
    EXPECT_EQ(a.locals[0].flags, GetParam().flags);
    EXPECT_EQ(a.centrals[0].flags, GetParam().flags);
    bool ok = false;
    EXPECT_EQ(ziptest::MemberData(b, a.locals[0], &ok), TextBytes(3000));
    EXPECT_TRUE(ok);
}

INSTANTIATE_TEST_SUITE_P(
    Names, MethodByNameTest,
    ::testing::Values(MethodCase{"backup.ZIP", 0, 0}, MethodCase{"x.tgz", 0, 0},
                      MethodCase{"a.z", 0, 0}, MethodCase{"b.Z", 0, 0}, MethodCase{"c.zoo", 0, 0},
                      MethodCase{"d.ARC", 0, 0}, MethodCase{"e.lzh", 0, 0},
                      MethodCase{"f.arj", 0, 0}, MethodCase{"g.Gz", 0, 0},
                      MethodCase{"data.zip.xml", 8, 2}, MethodCase{"old.zip/readme", 8, 2},
                      MethodCase{"old.zip\\readme", 8, 2}, MethodCase{"mimetype", 8, 2},
                      MethodCase{"h.gzip", 8, 2}, MethodCase{"i.zi", 8, 2}));

struct AttributeCase {
    const char* label;
    const char* fileName;
    QByteArray bytes;
    bool readOnly;
    uint32_t expected;
};

// A file that passes the writer's executable test: 0x54AD first, then at the
// offset stored at 36 one of the accepted signatures, with room behind it.
QByteArray ExecutableLooking(uint16_t magic, uint32_t signature, int size, uint32_t at = 64) {
    QByteArray b(size, '\0');
    b[0] = char(magic & 0xFF);
    b[1] = char(magic >> 8);
    for (int i = 0; i < 4; ++i) b[36 + i] = char((at >> (8 * i)) & 0xFF);
    for (int i = 0; i < 4 && int(at) + i < size; ++i)
        b[at + i] = char((signature >> (8 * i)) & 0xFF);
    return b;
}

class AttributeTest : public PackageWriterTest,
                      public ::testing::WithParamInterface<AttributeCase> {};

TEST_P(AttributeTest, ExternalAttributeWord) {
    const AttributeCase& c = GetParam();
    const QString source = Path(QString("src/") + c.fileName);
    WriteBytes(source, c.bytes);
    if (c.readOnly) {
        // Root can still read it; only the missing write permission counts.
        ASSERT_TRUE(
            QFile::setPermissions(source, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    }
    const QByteArray b = Pack({{"member", source}});
    const ziptest::Archive a = ziptest::Parse(b);
    ASSERT_EQ(a.centrals.size(), 1u);
    EXPECT_EQ(a.centrals[0].externalAttributes, c.expected)
        << std::hex << a.centrals[0].externalAttributes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, AttributeTest,
    ::testing::Values(AttributeCase{"Ordinary", "plain.txt", "hello", false, 0x81800020u},
                      AttributeCase{"ReadOnly", "locked.txt", "hello", true, 0x81000021u},
                      AttributeCase{"Hidden", ".hidden", "hello", false, 0x81800022u},
                      AttributeCase{"HiddenReadOnly", ".locked", "hello", true, 0x81000023u},
                      AttributeCase{"ExecutablePE", "tool", ExecutableLooking(0x54AD, 0x4550, 200),
                                    false, 0x81C00020u},
                      AttributeCase{"ExecutableMZ", "tool", ExecutableLooking(0x54AD, 0x5A4D, 200),
                                    false, 0x81C00020u},
                      AttributeCase{"ExecutableNE", "tool", ExecutableLooking(0x54AD, 0x454E, 200),
                                    false, 0x81C00020u},
                      AttributeCase{"ExecutableLE", "tool", ExecutableLooking(0x54AD, 0x454C, 200),
                                    false, 0x81C00020u},
                      // Real executables start with 0x5A4D; the test looks for 0x54AD.
                      AttributeCase{"WindowsStart", "tool", ExecutableLooking(0x5A4D, 0x4550, 200),
                                    false, 0x81800020u},
                      AttributeCase{"OtherSignature", "tool",
                                    ExecutableLooking(0x54AD, 0x1234, 200), false, 0x81800020u},
                      // The offset plus 52 must lie before the end of the file.
                      AttributeCase{"NoRoomBehind", "tool", ExecutableLooking(0x54AD, 0x4550, 116),
                                    false, 0x81800020u},
                      AttributeCase{"JustRoomBehind", "tool",
                                    ExecutableLooking(0x54AD, 0x4550, 117), false, 0x81C00020u},
                      AttributeCase{"FortyBytesIsTooShort", "tool",
                                    ExecutableLooking(0x54AD, 0x4550, 40, 0), false, 0x81800020u}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(PackageWriterTest, NamesAreLatin1Bytes) {
    WriteBytes(Path("src/a"), "x");
    const QByteArray b = Pack({{QString::fromUtf8("Pictures\\caf\xc3\xa9.png"), Path("src/a")}});
    const ziptest::Archive a = ziptest::Parse(b);
    ASSERT_EQ(a.locals.size(), 1u);
    EXPECT_EQ(a.locals[0].name, QByteArray("Pictures/caf\xe9.png"));
    EXPECT_EQ(a.centrals[0].name, QByteArray("Pictures/caf\xe9.png"));
}

struct RefusedNameCase {
    const char* label;
    QString name;
    ZipResult expected;
};

class RefusedNameTest : public PackageWriterTest,
                        public ::testing::WithParamInterface<RefusedNameCase> {};

// A refused member leaves no trace, and later members are still added.
TEST_P(RefusedNameTest, RefusedBeforeAnythingIsWritten) {
    WriteBytes(Path("src/a"), "x");
    PackageWriter* writer = CreatePackage(Path("out.zip"));
    ASSERT_NE(writer, nullptr);
    QString why;
    EXPECT_EQ(AddPackageFile(writer, GetParam().name, Path("src/a"), &why), GetParam().expected);
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(AddPackageFile(writer, "after", Path("src/a")), kZipOk);
    EXPECT_EQ(ClosePackage(writer), kZipOk);
    const QByteArray b = ReadBytes(Path("out.zip"));
    const ziptest::Archive a = ziptest::Parse(b);
    ASSERT_TRUE(a.error.isEmpty()) << a.error.toStdString();
    ASSERT_EQ(a.locals.size(), 1u);
    EXPECT_EQ(a.locals[0].offset, 0);
    EXPECT_EQ(a.locals[0].name, QByteArray("after"));
}

INSTANTIATE_TEST_SUITE_P(
    Names, RefusedNameTest,
    ::testing::Values(
        RefusedNameCase{"Empty", QString(), kZipBadArguments},
        RefusedNameCase{"BeyondLatin1", QString::fromUtf8("\xc4\x80.png"), kZipBadArguments},
        RefusedNameCase{"Emoji", QString::fromUtf8("a\xf0\x9f\x98\x80"), kZipBadArguments},
        RefusedNameCase{"Bytes260", QString(260, 'n'), kZipBadArguments}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(PackageWriterTest, NameOf259BytesIsAccepted) {
    WriteBytes(Path("src/a"), "x");
    const QString name = "Pictures/" + QString(250, 'n');
    ASSERT_EQ(name.size(), 259);
    const ziptest::Archive a = ziptest::Parse(Pack({{name, Path("src/a")}}));
    ASSERT_EQ(a.locals.size(), 1u);
    EXPECT_EQ(a.locals[0].name.size(), 259);
}

TEST_F(PackageWriterTest, MissingSourceCannotOpenAndLeavesTheArchiveAlone) {
    WriteBytes(Path("src/a"), "x");
    PackageWriter* writer = CreatePackage(Path("out.zip"));
    ASSERT_NE(writer, nullptr);
    QString why;
    EXPECT_EQ(AddPackageFile(writer, "gone", Path("src/gone"), &why), kZipCannotOpen);
    EXPECT_TRUE(why.contains(Path("src/gone"))) << why.toStdString();
    EXPECT_EQ(AddPackageFile(writer, "folder", Path("src"), &why), kZipCannotOpen);
    EXPECT_EQ(AddPackageFile(writer, "a", Path("src/a")), kZipOk);
    EXPECT_EQ(ClosePackage(writer), kZipOk);
    const ziptest::Archive a = ziptest::Parse(ReadBytes(Path("out.zip")));
    ASSERT_TRUE(a.error.isEmpty()) << a.error.toStdString();
    ASSERT_EQ(a.centrals.size(), 1u);
    EXPECT_EQ(a.centrals[0].localOffset, 0u);
}

TEST_F(PackageWriterTest, NoWriterMeansBadArguments) {
    EXPECT_EQ(CreatePackage(Path("no/such/folder/out.zip")), nullptr);
    QString why;
    EXPECT_EQ(CreatePackage(Path("no/such/folder/out.zip"), &why), nullptr);
    EXPECT_TRUE(why.contains("no/such/folder/out.zip")) << why.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path("no/such/folder/out.zip")));
    EXPECT_EQ(AddPackageFile(nullptr, "a", Path("a")), kZipBadArguments);
    EXPECT_EQ(ClosePackage(nullptr), kZipBadArguments);
}

TEST_F(PackageWriterTest, CreateReplacesAnExistingFile) {
    WriteBytes(Path("out.zip"), NoiseBytes(5000, 3));
    EXPECT_EQ(Pack({}).size(), 22);
}

// A device that is always full: every write of member data or directory fails.
TEST_F(PackageWriterTest, ShortWritesFail) {
    if (!QFileInfo::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    WriteBytes(Path("src/a"), TextBytes(1000));
    PackageWriter* writer = CreatePackage("/dev/full");
    ASSERT_NE(writer, nullptr);
    QString why;
    EXPECT_EQ(AddPackageFile(writer, "a", Path("src/a"), &why), kZipWriteFailed);
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(ClosePackage(writer, &why), kZipWriteFailed);
}

// A source that opens but cannot be read: the provisional header stays in the
// archive, the member does not reach the directory, and later members follow it.
TEST_F(PackageWriterTest, UnreadableSourceLeavesOnlyItsProvisionalHeader) {
    char probe;
    QFile mem("/proc/self/mem");
    if (!mem.open(QIODevice::ReadOnly) || mem.read(&probe, 1) != -1)
        GTEST_SKIP() << "/proc/self/mem does not fail at offset 0 here";
    mem.close();
    WriteBytes(Path("src/a"), "abc");
    PackageWriter* writer = CreatePackage(Path("out.zip"));
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(AddPackageFile(writer, "m", "/proc/self/mem"), kZipWriteFailed);
    EXPECT_EQ(AddPackageFile(writer, "a", Path("src/a")), kZipOk);
    EXPECT_EQ(ClosePackage(writer), kZipOk);

    const QByteArray b = ReadBytes(Path("out.zip"));
    EXPECT_EQ(U32(b, 0), 0x04034B50u);
    EXPECT_EQ(U16(b, 6), 0x000A);  // sizes-follow bit still set, level-8 bit
    EXPECT_EQ(U32(b, 14), 0u);
    EXPECT_EQ(U32(b, 18), 0u);
    EXPECT_EQ(U16(b, 26), 1);
    const int64_t second = 30 + 1 + 17;
    EXPECT_EQ(U32(b, second), 0x04034B50u);
    EXPECT_EQ(U16(b, second + 6), 0x0002);
    const uint32_t directory = U32(b, b.size() - 6);
    EXPECT_EQ(U16(b, b.size() - 12), 1);  // one member in the directory
    EXPECT_EQ(U32(b, directory + 42), uint32_t(second));
}

TEST_F(PackageWriterTest, SourcesOf4GiBAreRefused) {
    QFile big(Path("src/big"));
    MakeFolder(Path("src"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    if (!big.resize(qint64(1) << 32)) GTEST_SKIP() << "no sparse files here";
    big.close();
    PackageWriter* writer = CreatePackage(Path("out.zip"));
    EXPECT_EQ(AddPackageFile(writer, "big", Path("src/big")), kZipBadArguments);
    EXPECT_EQ(ClosePackage(writer), kZipOk);
    EXPECT_EQ(QFileInfo(Path("out.zip")).size(), 22);
}

// Time fields under a fixed zone: DOS time and date in wall-clock time by
// today's offset, Unix seconds from the standard-time conversion.
struct TimeCase {
    const char* label;
    const char* zone;
    int64_t modified;  // seconds since 1970 UTC
    uint16_t dosDate, dosTime;
    uint32_t unixTime;
};

class TimeTest : public PackageWriterTest, public ::testing::WithParamInterface<TimeCase> {
protected:
    void SetUp() override {
        PackageWriterTest::SetUp();
        m_hadZone = qEnvironmentVariableIsSet("TZ");
        m_oldZone = qgetenv("TZ");
    }
    void TearDown() override {
        if (m_hadZone)
            qputenv("TZ", m_oldZone);
        else
            qunsetenv("TZ");
        tzset();
        PackageWriterTest::TearDown();
    }
    bool m_hadZone = false;
    QByteArray m_oldZone;
};

constexpr uint16_t Date(int y, int m, int d) {
    return uint16_t(((y - 1980) << 9) | (m << 5) | d);
}
constexpr uint16_t Time(int h, int m, int s) {
    return uint16_t((h << 11) | (m << 5) | (s / 2));
}

TEST_P(TimeTest, DosAndUnixTimes) {
    const TimeCase& c = GetParam();
    qputenv("TZ", c.zone);
    const QString source = Path("src/a");
    WriteBytes(source, "x");
    QFile file(source);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QDateTime when = QDateTime::fromSecsSinceEpoch(c.modified, Qt::UTC);
    ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
    ASSERT_TRUE(file.setFileTime(when.addSecs(60), QFileDevice::FileAccessTime));
    file.close();

    const ziptest::Archive a = ziptest::Parse(Pack({{"a", source}}));
    ASSERT_EQ(a.locals.size(), 1u);
    EXPECT_EQ(a.locals[0].dosDate, c.dosDate);
    EXPECT_EQ(a.locals[0].dosTime, c.dosTime);
    EXPECT_EQ(U32(a.locals[0].extra, 5), c.unixTime);
    EXPECT_EQ(U32(a.centrals[0].extra, 5), c.unixTime);
    // The access time is a minute later and goes through the same conversion.
    EXPECT_EQ(U32(a.locals[0].extra, 9), c.unixTime + 60);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, TimeTest,
    ::testing::Values(
        // 2021-06-15 13:45:31 UTC; DOS keeps two-second steps.
        TimeCase{"Utc", "UTC0", 1623764731, Date(2021, 6, 15), Time(13, 45, 30), 1623764731u},
        TimeCase{"FiveHoursWest", "EST5", 1623764731, Date(2021, 6, 15), Time(8, 45, 30),
                 1623764731u},
        // Daylight saving all year: wall clock by today's offset (-4 h), but the
        // conversion back takes the wall clock as standard time (-5 h).
        TimeCase{"AlwaysDaylight", "EST5EDT,0/0,J365/25", 1623764731, Date(2021, 6, 15),
                 Time(9, 45, 30), 1623764731u + 3600},
        // 1965-03-02 10:20:30 UTC: the Unix time is pinned to 1 January 1970,
        // time of day kept; DOS dates start in 1980.
        TimeCase{"Before1970", "UTC0", -152545170, Date(1980, 1, 1), Time(0, 0, 0), 37230u},
        // 2040-05-05 01:02:03 UTC becomes 2037-12-31 01:02:03.
        TimeCase{"After2037", "UTC0", 2219792523, Date(2040, 5, 5), Time(1, 2, 2), 2145834123u},
        // 2110-01-01 00:00:00 UTC: beyond what DOS dates hold.
        TimeCase{"After2107", "UTC0", 4417977600, Date(2107, 12, 31), Time(23, 59, 58),
                 2145830400u}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(PackageWriterTest, CreationTimeIsBirthTimeOrStatusChange) {
    const QByteArray oldZone = qgetenv("TZ");
    const bool hadZone = qEnvironmentVariableIsSet("TZ");
    qputenv("TZ", "UTC0");
    const QString source = Path("src/a");
    WriteBytes(source, "x");
    const QFileInfo info(source);
    const QDateTime created =
        info.birthTime().isValid() ? info.birthTime() : info.metadataChangeTime();
    const ziptest::Archive a = ziptest::Parse(Pack({{"a", source}}));
    if (hadZone)
        qputenv("TZ", oldZone);
    else
        qunsetenv("TZ");
    tzset();
    ASSERT_EQ(a.locals.size(), 1u);
    EXPECT_EQ(U32(a.locals[0].extra, 13), uint32_t(created.toSecsSinceEpoch()));
}

}  // namespace
