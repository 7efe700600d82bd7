#include "recovery/salvage/orphan_search.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "platform/files.h"
#include "recovery/entry_scanner.h"
#include "support/deck_xml.h"
#include "support/package_builder.h"
#include "support/private_temp_dir.h"
#include "support/qt_printers.h"

namespace {

const auto kRun = [] { return true; };

const QByteArray kStyles =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-styles "
    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\"><office:styles/>"
    "</office:document-styles>";
const QByteArray kMeta =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- written by hand -->\n<office:document-meta "
    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\"/>";
const QByteArray kManifest =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<manifest:manifest "
    "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\"><manifest:file-entry "
    "manifest:full-path=\"/\"/></manifest:manifest>";

// The bytes of `bytes` the scanner does not claim: everything outside the
// local header and data of every member it finds.
std::vector<ByteRange> Unclaimed(const QString& path) {
    platform::ReadOnlyFile file;
    EXPECT_EQ(file.Open(path), 0);
    std::vector<ByteRange> free;
    int64_t at = 0;
    WalkEntries(file, kRun, [&](const EntryInfo& entry) {
        const int64_t header = int64_t(entry.dataOffset) - 30 - entry.name.size();
        if (header > at) free.push_back({at, header});
        at = std::max<int64_t>(at, int64_t(entry.dataOffset) + entry.compressedSize);
    });
    if (at < file.Size()) free.push_back({at, file.Size()});
    return free;
}

QByteArray Inflate(const QByteArray& packed) {
    z_stream z{};
    inflateInit2(&z, -15);
    QByteArray out(int(packed.size()) * 20 + 1024, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.constData()));
    z.avail_in = uInt(packed.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    inflate(&z, Z_FINISH);
    out.resize(int(z.total_out));
    inflateEnd(&z);
    return out;
}

enum class Hurt { SignatureByte0, SignatureByte1, SignatureByte2, SignatureByte3, Zeroed };

struct OrphanCase {
    const char* label;
    QByteArray name;
    QByteArray content;
    bool descriptor;
    Hurt hurt;
    QString expectedName;  // empty: nothing may be found
};

class LostHeader : public ::testing::TestWithParam<OrphanCase> {};

TEST_P(LostHeader, TheMemberIsFoundAndNamed) {
    const OrphanCase& c = GetParam();
    PackageBuilder package;
    package.Stored("mimetype", "application/vnd.oasis.opendocument.presentation");
    if (c.descriptor) {
        package.DeflatedWithDescriptor(c.name, c.content);
    } else {
        package.Deflated(c.name, c.content);
    }
    package.Deflated("Pictures/1.png", PackageBuilder::Incompressible(3000));
    package.CentralDirectory();
    const PackageBuilder::Placed hurt = package.Members()[1];
    QByteArray bytes = package.Bytes();
    if (c.hurt == Hurt::Zeroed) {
        for (int64_t i = hurt.headerOffset; i < hurt.dataOffset; ++i) bytes[int(i)] = '\0';
    } else {
        bytes[int(hurt.headerOffset) + int(c.hurt)] = 'Z';
    }

    PrivateTempDir tmp;
    const QString path = tmp.Path("hurt.odp");
    ASSERT_TRUE(PackageBuilder().Raw(bytes).WriteTo(path));
    platform::ReadOnlyFile file;
    ASSERT_EQ(file.Open(path), 0);
    const std::vector<OrphanMember> found = FindOrphanMembers(file, Unclaimed(path), {}, kRun);

    if (c.expectedName.isEmpty()) {
        EXPECT_TRUE(found.empty()) << found.front().name.toStdString();
        return;
    }
    ASSERT_EQ(found.size(), 1u);
    const OrphanMember& m = found.front();
    EXPECT_EQ(m.name, c.expectedName);
    EXPECT_EQ(m.found, c.hurt == Hurt::Zeroed ? OrphanMember::Found::HeaderGone
                                              : OrphanMember::Found::DamagedHeader);
    EXPECT_EQ(m.headerOffset, c.hurt == Hurt::Zeroed ? -1 : hurt.headerOffset);
    EXPECT_EQ(m.dataOffset, hurt.dataOffset);
    EXPECT_EQ(m.method, 8);
    EXPECT_TRUE(m.streamEnded);
    EXPECT_EQ(m.dataEnd, hurt.dataOffset + hurt.compressedSize);
    // The header (or the descriptor after the data) still tells its length and CRC-32.
    const bool recorded = c.hurt != Hurt::Zeroed || c.descriptor;
    EXPECT_EQ(m.recorded.sizeKnown, recorded);
    EXPECT_EQ(m.recorded.crcKnown, recorded);
    if (recorded) {
        EXPECT_EQ(m.recorded.size, uint64_t(c.content.size()));
        EXPECT_EQ(m.recorded.crc, PackageBuilder::Crc32(c.content));
    }
    EXPECT_EQ(Inflate(bytes.mid(int(m.dataOffset), int(m.dataEnd - m.dataOffset))), c.content);
}

const QByteArray kContent = DeckContentXml(12);

INSTANTIATE_TEST_SUITE_P(
    Orphans, LostHeader,
    ::testing::Values(
        OrphanCase{"FirstSignatureByte", "content.xml", kContent, false, Hurt::SignatureByte0,
                   "content.xml"},
        OrphanCase{"SecondSignatureByte", "content.xml", kContent, false, Hurt::SignatureByte1,
                   "content.xml"},
        OrphanCase{"ThirdSignatureByte", "styles.xml", kStyles, false, Hurt::SignatureByte2,
                   "styles.xml"},
        OrphanCase{"FourthSignatureByteWithDescriptor", "content.xml", kContent, true,
                   Hurt::SignatureByte3, "content.xml"},
        OrphanCase{"AnyMemberByItsStoredName", "Pictures/2.svg", kStyles, false,
                   Hurt::SignatureByte0, "Pictures/2.svg"},
        OrphanCase{"ZeroedContent", "content.xml", kContent, false, Hurt::Zeroed, "content.xml"},
        OrphanCase{"ZeroedContentWithDescriptor", "content.xml", kContent, true, Hurt::Zeroed,
                   "content.xml"},
        OrphanCase{"ZeroedStylesNamedByTheirRoot", "s.xml", kStyles, false, Hurt::Zeroed,
                   "styles.xml"},
        OrphanCase{"ZeroedMetaPastAComment", "meta.xml", kMeta, true, Hurt::Zeroed, "meta.xml"},
        OrphanCase{"ZeroedManifest", "META-INF/manifest.xml", kManifest, true, Hurt::Zeroed,
                   "META-INF/manifest.xml"},
        OrphanCase{"ZeroedUnknownDocument", "x.xml", "<?xml version=\"1.0\"?><other/>", false,
                   Hurt::Zeroed, ""},
        OrphanCase{"ZeroedPicture", "Pictures/3.png", PackageBuilder::Incompressible(5000, 3),
                   false, Hurt::Zeroed, ""}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Orphans, ANameRecoveredWholeIsNeverReplaced) {
    PackageBuilder package;
    package.Deflated("content.xml", kContent);
    package.Deflated("content.xml", DeckContentXml(3, 9));
    const PackageBuilder::Placed second = package.Members()[1];
    QByteArray bytes = package.Bytes();
    bytes[int(second.headerOffset)] = 'Q';
    PrivateTempDir tmp;
    const QString path = tmp.Path("p.odp");
    ASSERT_TRUE(PackageBuilder().Raw(bytes).WriteTo(path));
    platform::ReadOnlyFile file;
    ASSERT_EQ(file.Open(path), 0);
    EXPECT_TRUE(FindOrphanMembers(file, Unclaimed(path), {"content.xml"}, kRun).empty());
    EXPECT_EQ(FindOrphanMembers(file, Unclaimed(path), {"styles.xml"}, kRun).size(), 1u);
}

struct FakeHeaderCase {
    const char* label;
    LocalHeader header;
};

class ImplausibleHeader : public ::testing::TestWithParam<FakeHeaderCase> {};

// Bytes that look a little like a local header are no member.
TEST_P(ImplausibleHeader, IsNotTakenForAMember) {
    PackageBuilder package;
    package.Header(GetParam().header).Garbage(400);
    QByteArray bytes = package.Bytes();
    bytes[1] = 'X';  // one signature byte wrong
    PrivateTempDir tmp;
    const QString path = tmp.Path("p.odp");
    ASSERT_TRUE(PackageBuilder().Raw(bytes).WriteTo(path));
    platform::ReadOnlyFile file;
    ASSERT_EQ(file.Open(path), 0);
    EXPECT_TRUE(FindOrphanMembers(file, {{0, file.Size()}}, {}, kRun).empty());
}

LocalHeader Plausible() {
    LocalHeader h;
    h.method = 8;
    h.name = "content.xml";
    h.compressedSize = 200;
    h.uncompressedSize = 900;
    return h;
}

LocalHeader With(void (*change)(LocalHeader&)) {
    LocalHeader h = Plausible();
    change(h);
    return h;
}

INSTANTIATE_TEST_SUITE_P(
    Orphans, ImplausibleHeader,
    ::testing::Values(
        FakeHeaderCase{"UnknownMethod", With([](LocalHeader& h) { h.method = 99; })},
        FakeHeaderCase{"Encrypted", With([](LocalHeader& h) { h.flags = 1; })},
        FakeHeaderCase{"HugeVersion", With([](LocalHeader& h) { h.version = 0x0314; })},
        FakeHeaderCase{"NoName", With([](LocalHeader& h) { h.name.clear(); })},
        FakeHeaderCase{"ControlCharacterInTheName",
                       With([](LocalHeader& h) { h.name = "a\x01.xml"; })},
        FakeHeaderCase{"MoreDataThanTheFileHolds",
                       With([](LocalHeader& h) { h.compressedSize = 100000; })},
        FakeHeaderCase{"StoredWithUnequalSizes", With([](LocalHeader& h) { h.method = 0; })},
        FakeHeaderCase{"AFolder", With([](LocalHeader& h) { h.name = "Pictures/"; })}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Orphans, AStopRequestEndsTheSearch) {
    PackageBuilder package;
    package.Garbage(3 << 20);
    PrivateTempDir tmp;
    const QString path = tmp.Path("p.odp");
    ASSERT_TRUE(package.WriteTo(path));
    platform::ReadOnlyFile file;
    ASSERT_EQ(file.Open(path), 0);
    int asked = 0;
    FindOrphanMembers(file, {{0, file.Size()}}, {}, [&asked] { return ++asked < 5; });
    EXPECT_LE(asked, 6);
}

TEST(Orphans, AnIntactPackageHasNone) {
    PackageBuilder package;
    package.Stored("mimetype", "application/vnd.oasis.opendocument.presentation");
    package.DeflatedWithDescriptor("content.xml", kContent);
    package.Deflated("styles.xml", kStyles);
    package.DeflatedWithDescriptor("META-INF/manifest.xml", kManifest);
    package.CentralDirectory();
    PrivateTempDir tmp;
    const QString path = tmp.Path("p.odp");
    ASSERT_TRUE(package.WriteTo(path));
    platform::ReadOnlyFile file;
    ASSERT_EQ(file.Open(path), 0);
    const std::vector<ByteRange> free = Unclaimed(path);
    EXPECT_FALSE(free.empty());  // descriptors and the central directory
    EXPECT_TRUE(FindOrphanMembers(file, free, {}, kRun).empty());
}

}  // namespace
