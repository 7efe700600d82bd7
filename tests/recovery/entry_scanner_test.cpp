#include "recovery/entry_scanner.h"

#include <gtest/gtest.h>

#include <QFile>
#include <cerrno>
#include <cstring>
#include <random>

#include "platform/errors.h"
#include "platform/files.h"
#include "support/package_builder.h"
#include "support/private_temp_dir.h"
#include "support/qt_printers.h"
#include "support/recording_job_view.h"

// Found by argument lookup, so they live beside EntryInfo.
inline bool operator==(const EntryInfo& a, const EntryInfo& b) {
    return a.compressedSize == b.compressedSize && a.uncompressedSize == b.uncompressedSize &&
           a.name == b.name && a.dataOffset == b.dataOffset;
}

inline std::ostream& operator<<(std::ostream& os, const EntryInfo& e) {
    return os << "{" << e.compressedSize << ", " << e.uncompressedSize << ", \""
              << e.name.toStdString() << "\", " << e.dataOffset << "}";
}

namespace {

// The walk as a reader that moves one byte at a time over the whole file
// would do it: a file position that reads move forward and that never passes
// the end, every window read three bytes before the position. The scanner
// must find exactly what this finds, however it buffers.
std::vector<EntryInfo> ReferenceWalk(const QByteArray& package) {
    const std::vector<char> bytes(package.begin(), package.end());
    const int64_t length = int64_t(bytes.size());
    int64_t pos = 0;
    const auto read = [&](void* out, int64_t count) {
        std::memset(out, 0, size_t(count));
        const int64_t got = std::clamp<int64_t>(length - pos, 0, count);
        if (got > 0) std::memcpy(out, bytes.data() + pos, size_t(got));
        pos += got;
        return got;
    };
    const auto is = [](const unsigned char* w, int a, int b) {
        return w[0] == 'P' && w[1] == 'K' && w[2] == a && w[3] == b;
    };
    std::vector<EntryInfo> entries;
    while (pos < length) {
        if (pos >= 3) pos -= 3;
        unsigned char window[4];
        if (read(window, 4) < 4 || !is(window, 3, 4)) continue;
        uint16_t version, flags, method, time, date, nameLength, extraLength;
        uint32_t crc, compressedSize, uncompressedSize;
        read(&version, 2);
        read(&flags, 2);
        read(&method, 2);
        read(&time, 2);
        read(&date, 2);
        read(&crc, 4);
        read(&compressedSize, 4);
        read(&uncompressedSize, 4);
        read(&nameLength, 2);
        read(&extraLength, 2);
        std::vector<unsigned char> name(nameLength + 1);
        read(name.data(), nameLength);
        if (compressedSize == 0 && uncompressedSize == 0 && method == 8) {
            const int64_t mark = pos;
            while (pos < length) {
                pos -= 3;
                read(window, 4);
                if (is(window, 3, 4)) break;
                if (is(window, 7, 8)) {
                    read(&crc, 4);
                    read(&compressedSize, 4);
                    read(&uncompressedSize, 4);
                    break;
                }
            }
            pos = mark;
        }
        EntryInfo entry;
        entry.compressedSize = compressedSize;
        entry.uncompressedSize = uncompressedSize;
        for (int i = 0; i < nameLength && name[i] != 0 && entry.name.size() < 1023; ++i)
            entry.name += QChar(name[i] == '/' ? '\\' : name[i]);
        if (extraLength != 0) pos += extraLength;
        entry.dataOffset = uint64_t(pos);
        if ((compressedSize != 0 || uncompressedSize != 0) && !entry.name.isEmpty())
            entries.push_back(entry);
        if (compressedSize != 0) pos += compressedSize;
    }
    return entries;
}

std::vector<EntryInfo> Walk(
    const QString& path, size_t blockSize = kScanBlockSize,
    const std::function<bool()>& keepRunning = [] { return true; }) {
    platform::ReadOnlyFile file;
    EXPECT_EQ(file.Open(path), 0);
    std::vector<EntryInfo> found;
    WalkEntries(
        file, keepRunning, [&](const EntryInfo& e) { found.push_back(e); }, blockSize);
    return found;
}

EntryInfo Entry(uint32_t compressed, uint32_t uncompressed, const QString& name, uint64_t offset) {
    EntryInfo e;
    e.compressedSize = compressed;
    e.uncompressedSize = uncompressed;
    e.name = name;
    e.dataOffset = offset;
    return e;
}

// --- Crafted packages: what is found, with sizes and offsets. -------------

struct Crafted {
    const char* label;
    std::function<PackageBuilder()> build;
    // Expected entries, given the builder's record of where members went.
    std::function<std::vector<EntryInfo>(const PackageBuilder&)> expected;
};

EntryInfo AsPlaced(const PackageBuilder::Placed& m, const QString& name) {
    return Entry(m.compressedSize, m.uncompressedSize, name, uint64_t(m.dataOffset));
}

const QByteArray kText = QByteArray("Slides and notes, slides and notes. ").repeated(40);

std::vector<Crafted> CraftedCases() {
    return {
        {"FirstHeaderAtZero",
         [] {
             return PackageBuilder()
                 .Stored("mimetype", "application/x")
                 .Deflated("content.xml", kText);
         },
         [](const PackageBuilder& b) {
             return std::vector<EntryInfo>{AsPlaced(b.Members()[0], "mimetype"),
                                           AsPlaced(b.Members()[1], "content.xml")};
         }},
        {"OneGarbageByte", [] { return PackageBuilder().Raw("\x01").Stored("a", "xyz"); },
         [](const PackageBuilder& b) {
             return std::vector<EntryInfo>{AsPlaced(b.Members()[0], "a")};
         }},
        {"TwoGarbageBytes", [] { return PackageBuilder().Raw("PK").Stored("a", "xyz"); },
         [](const PackageBuilder& b) {
             return std::vector<EntryInfo>{AsPlaced(b.Members()[0], "a")};
         }},
        {"ThreeGarbageBytes", [] { return PackageBuilder().Raw("PK\x03").Stored("a", "xyz"); },
         [](const PackageBuilder& b) {
             return std::vector<EntryInfo>{AsPlaced(b.Members()[0], "a")};
         }},
        {"ManyGarbageBytesAndBetweenMembers",
         [] {
             return PackageBuilder()
                 .Garbage(5000)
                 .Stored("a", "xyz")
                 .Garbage(77, 3)
                 .Deflated("b", kText);
         },
         [](const PackageBuilder& b) {
             return std::vector<EntryInfo>{AsPlaced(b.Members()[0], "a"),
                                           AsPlaced(b.Members()[1], "b")};
         }},
        {"DescriptorGivesTheSizes",
         [] {
             return PackageBuilder().DeflatedWithDescriptor("content.xml", kText).Stored("z", "1");
         },
         [](const PackageBuilder& b) {
             return std::vector<EntryInfo>{AsPlaced(b.Members()[0], "content.xml"),
                                           AsPlaced(b.Members()[1], "z")};
         }},
        {"DescriptorMissingBeforeTheNextHeader",
         [] {
             return PackageBuilder()
                 .DeflatedWithDescriptor("lost.xml", kText, false)
                 .Stored("next", "12345");
         },
         [](const PackageBuilder& b) {
             return std::vector<EntryInfo>{AsPlaced(b.Members()[1], "next")};
         }},
        {"StoredWithZeroSizesIsNotSearched",
         [] {
             LocalHeader h;
             h.name = "stored";
             return PackageBuilder().Member(h, "data").Descriptor(0, 4, 4).Stored("n", "x");
         },
         [](const PackageBuilder& b) {
             return std::vector<EntryInfo>{AsPlaced(b.Members()[1], "n")};
         }},
        {"FolderEntryIsDropped",
         [] { return PackageBuilder().Folder("Pictures/").Stored("Pictures/1000.png", "\x89PNG"); },
         [](const PackageBuilder& b) {
             return std::vector<EntryInfo>{AsPlaced(b.Members()[1], "Pictures\\1000.png")};
         }},
        {"BytesAbove127KeepTheirCodes",
         [] { return PackageBuilder().Stored("caf\xC3\xA9.xml", "x"); },
         [](const PackageBuilder& b) {
             return std::vector<EntryInfo>{
                 AsPlaced(b.Members()[0], QString("caf") + QChar(0xC3) + QChar(0xA9) + ".xml")};
         }},
        {"NameEndsAtAZeroByte",
         [] { return PackageBuilder().Stored(QByteArray("abc\0def", 7), "x"); },
         [](const PackageBuilder& b) {
             return std::vector<EntryInfo>{AsPlaced(b.Members()[0], "abc")};
         }},
        {"NameStartingWithZeroIsDropped",
         [] { return PackageBuilder().Stored(QByteArray("\0x", 2), "x").Stored("y", "y"); },
         [](const PackageBuilder& b) {
             return std::vector<EntryInfo>{AsPlaced(b.Members()[1], "y")};
         }},
        {"LongNameIsShortened",
         [] { return PackageBuilder().Stored(QByteArray(2000, 'n'), "x").Stored("after", "y"); },
         [](const PackageBuilder& b) {
             return std::vector<EntryInfo>{AsPlaced(b.Members()[0], QString(1023, 'n')),
                                           AsPlaced(b.Members()[1], "after")};
         }},
        {"ExtraFieldIsSkipped",
         [] {
             LocalHeader h;
             h.name = "e";
             h.extra = QByteArray("PK\x03\x04 inside the extra field");
             h.compressedSize = h.uncompressedSize = 3;
             return PackageBuilder().Member(h, "abc");
         },
         [](const PackageBuilder& b) {
             return std::vector<EntryInfo>{AsPlaced(b.Members()[0], "e")};
         }},
        {"HeaderInsideStoredDataIsSkipped",
         [] {
             const QByteArray inner = PackageBuilder().Stored("inner", "hidden").Bytes();
             return PackageBuilder().Stored("outer", inner).Stored("last", "z");
         },
         [](const PackageBuilder& b) {
             return std::vector<EntryInfo>{AsPlaced(b.Members()[0], "outer"),
                                           AsPlaced(b.Members()[1], "last")};
         }},
        {"HeaderInsideDataWithoutDescriptorIsTaken",
         [] {
             LocalHeader h;
             h.name = "nosizes";
             h.method = 8;
             const QByteArray inner = PackageBuilder().Stored("inner", "found").Bytes();
             return PackageBuilder().Member(h, "junk" + inner);
         },
         [](const PackageBuilder& b) {
             const int64_t inner = b.Members()[0].dataOffset + 4;
             return std::vector<EntryInfo>{Entry(5, 5, "inner", uint64_t(inner + 30 + 5))};
         }},
        {"TruncatedLastMemberKeepsItsHeaderSizes",
         [] {
             return PackageBuilder()
                 .Stored("a", "abc")
                 .Stored("big", PackageBuilder::Incompressible(500))
                 .Cut(100);
         },
         [](const PackageBuilder& b) {
             return std::vector<EntryInfo>{AsPlaced(b.Members()[0], "a"),
                                           AsPlaced(b.Members()[1], "big")};
         }},
        {"HeaderCutInsideItsFields",
         [] {
             return PackageBuilder()
                 .Stored("a", "abc")
                 .Raw(QByteArray("PK\x03\x04\x14\x00\x00", 7));
         },
         [](const PackageBuilder& b) {
             return std::vector<EntryInfo>{AsPlaced(b.Members()[0], "a")};
         }},
        {"CentralDirectoryIsCrossed",
         [] {
             return PackageBuilder()
                 .Stored("mimetype", "m")
                 .Deflated("content.xml", kText)
                 .CentralDirectory();
         },
         [](const PackageBuilder& b) {
             return std::vector<EntryInfo>{AsPlaced(b.Members()[0], "mimetype"),
                                           AsPlaced(b.Members()[1], "content.xml")};
         }},
        {"EmptyFile", [] { return PackageBuilder(); },
         [](const PackageBuilder&) { return std::vector<EntryInfo>{}; }},
        {"ThreeBytes", [] { return PackageBuilder().Raw("PK\x03"); },
         [](const PackageBuilder&) { return std::vector<EntryInfo>{}; }},
        {"SignatureInTheLastFourBytes",
         [] { return PackageBuilder().Garbage(10).Raw("PK\x03\x04"); },
         [](const PackageBuilder&) { return std::vector<EntryInfo>{}; }},
    };
}

class CraftedPackage : public ::testing::TestWithParam<Crafted> {};

TEST_P(CraftedPackage, YieldsItsMembersInFileOrder) {
    PrivateTempDir tmp;
    const PackageBuilder package = GetParam().build();
    ASSERT_TRUE(package.WriteTo(tmp.Path("p.odp")));
    const std::vector<EntryInfo> expected = GetParam().expected(package);
    EXPECT_EQ(ReferenceWalk(package.Bytes()), expected) << "the reference walk disagrees";
    for (size_t block : {size_t(4), size_t(5), size_t(64), kScanBlockSize})
        EXPECT_EQ(Walk(tmp.Path("p.odp"), block), expected) << "block size " << block;
}

INSTANTIATE_TEST_SUITE_P(Scanner, CraftedPackage, ::testing::ValuesIn(CraftedCases()),
                         [](const auto& info) { return std::string(info.param.label); });

// --- Random packages against the byte-by-byte walk. -----------------------

// Random bytes sown with signatures, plausible headers with random fields,
// descriptors and overlapping near-signatures.
QByteArray RandomPackage(std::mt19937& random, int pieces) {
    const auto pick = [&](uint32_t n) { return uint32_t(random() % n); };
    PackageBuilder b;
    for (int i = 0; i < pieces; ++i) {
        switch (pick(8)) {
            case 0:
                b.Raw(PackageBuilder::Incompressible(int(pick(300)), random()));
                break;
            case 1:
                b.Raw(pick(2) ? "PK\x07\x08" : "PPK\x03PK\x03\x04");
                break;
            case 2:
                b.Raw(pick(2) ? "PK\x01\x02" : "PKPK");
                break;
            default: {
                LocalHeader h;
                const uint16_t methods[] = {0, 8, 8, 12};
                h.method = methods[pick(4)];
                const uint32_t sizes[] = {0, 0, 1, 5, 17, 200, 5000, 0xFFFFFFFFu};
                h.compressedSize = sizes[pick(8)];
                h.uncompressedSize = pick(3) ? h.compressedSize : sizes[pick(8)];
                const int nameLength = int(pick(12));
                for (int k = 0; k < nameLength; ++k) {
                    const char choices[] = {'a', '/', '\\', ':', '\0', char(0xE9), 'P', 'K'};
                    h.name.append(choices[pick(8)]);
                }
                if (pick(4) == 0) h.extra = PackageBuilder::Incompressible(int(pick(20)), random());
                if (pick(8) == 0) h.nameLength = uint16_t(pick(40));
                b.Header(h);
                b.Raw(PackageBuilder::Incompressible(int(pick(60)), random()));
                if (pick(3) == 0) b.Descriptor(random(), pick(3) ? pick(50) : 0, pick(100));
            }
        }
    }
    QByteArray bytes = b.Bytes();
    if (pick(3) == 0) bytes.chop(int(pick(uint32_t(bytes.size()) + 1)));
    return bytes;
}

TEST(ScannerWalk, MatchesTheByteByByteWalkOnRandomPackages) {
    PrivateTempDir tmp;
    std::mt19937 random(20240611);
    int withEntries = 0;
    for (int round = 0; round < 300; ++round) {
        const QByteArray bytes = RandomPackage(random, 1 + int(random() % 30));
        ASSERT_TRUE(PackageBuilder().Raw(bytes).WriteTo(tmp.Path("r.odp")));
        const std::vector<EntryInfo> expected = ReferenceWalk(bytes);
        withEntries += expected.empty() ? 0 : 1;
        for (size_t block : {size_t(7), size_t(61), kScanBlockSize})
            ASSERT_EQ(Walk(tmp.Path("r.odp"), block), expected)
                << "round " << round << " block " << block;
    }
    EXPECT_GT(withEntries, 100);  // the generator does sow findable members
}

TEST(ScannerWalk, FindsMembersAcrossBlockBoundaries) {
    // A member whose signature, header, data or descriptor straddles the end
    // of the scanner's own block, at every offset around it: every offset with
    // a small block, a few with the real one.
    PrivateTempDir tmp;
    const int memberSize =
        int(PackageBuilder().DeflatedWithDescriptor("content.xml", kText).Size());
    const QByteArray garbage = PackageBuilder().Garbage(int(kScanBlockSize) + 8).Bytes();
    std::vector<std::pair<size_t, int>> cases;
    for (int shift = -memberSize - 4; shift <= 4; ++shift) cases.push_back({4096, shift});
    for (int shift : {-memberSize, -20, -3, -2, -1, 0}) cases.push_back({kScanBlockSize, shift});
    for (const auto& [block, shift] : cases) {
        PackageBuilder b;
        b.Raw(garbage.left(int(block) + shift)).DeflatedWithDescriptor("content.xml", kText);
        b.Raw(garbage.left(int(block) - 200)).Stored("second", "xyz");
        ASSERT_TRUE(b.WriteTo(tmp.Path("b.odp")));
        ASSERT_EQ(Walk(tmp.Path("b.odp"), block),
                  (std::vector<EntryInfo>{AsPlaced(b.Members()[0], "content.xml"),
                                          AsPlaced(b.Members()[1], "second")}))
            << "block " << block << " shift " << shift;
    }
}

// --- Stopping. --------------------------------------------------------------

TEST(ScannerWalk, StopsInsideTheDescriptorSearch) {
    // "lost" has no sizes and its descriptor lies many blocks away; a stop
    // while the search runs must end it without the member.
    PrivateTempDir tmp;
    LocalHeader lost;
    lost.name = "lost";
    lost.method = 8;
    PackageBuilder b;
    b.Stored("first", "abc").Member(lost, {}).Garbage(2000).Descriptor(0, 10, 20).Stored("z", "z");
    ASSERT_TRUE(b.WriteTo(tmp.Path("s.odp")));
    const std::vector<EntryInfo> full = Walk(tmp.Path("s.odp"), 16);
    ASSERT_EQ(full.size(), 3u);

    int stoppedWithFirstOnly = 0;
    for (int allowed = 0;; ++allowed) {
        int asked = 0;
        const std::vector<EntryInfo> found =
            Walk(tmp.Path("s.odp"), 16, [&] { return asked++ < allowed; });
        // What a stopped walk found is always the start of what a full one finds.
        ASSERT_LE(found.size(), full.size());
        for (size_t i = 0; i < found.size(); ++i) ASSERT_EQ(found[i], full[i]);
        if (found.size() == 1) ++stoppedWithFirstOnly;
        if (asked <= allowed) break;  // never stopped: the walk is complete
        ASSERT_LT(allowed, 10000);
    }
    // Some 150 blocks lie between "lost" and its descriptor; a stop in any of
    // them leaves "first" alone.
    EXPECT_GT(stoppedWithFirstOnly, 100);
}

TEST(ScanPackage, LogsThreeLinesAndFillsTheEntryTable) {
    PrivateTempDir tmp;
    const QString path = tmp.Path("plan.odp");
    ASSERT_TRUE(PackageBuilder()
                    .Garbage(3)
                    .Stored("mimetype", "m")
                    .Deflated("content.xml", kText)
                    .WriteTo(path));
    JobControl control;
    control.SetProcessRunning(1);
    RecordingJobView view;
    JobParams params{&control, &view};

    EXPECT_EQ(ScanPackage(path, &params), 1);
    using L = RecordingJobView::LogLine;
    EXPECT_EQ(view.log, (std::vector<L>{{path + " file is open....\r\n", kLogBlack},
                                        {path + " file is extracted....\r\n", kLogBlack},
                                        {path + " file is closed....\r\n", kLogBlack}}));
    ASSERT_EQ(view.entries.size(), 2u);
    EXPECT_EQ(view.entries[0].name, "mimetype");
    EXPECT_EQ(view.entries[1].name, "content.xml");
    EXPECT_TRUE(view.messages.empty());
}

TEST(ScanPackage, AStoppedJobStillOpensLogsAndCloses) {
    PrivateTempDir tmp;
    const QString path = tmp.Path("plan.odp");
    ASSERT_TRUE(PackageBuilder().Stored("mimetype", "m").WriteTo(path));
    JobControl control;  // flag 0: stopped before the scan
    RecordingJobView view;
    JobParams params{&control, &view};
    EXPECT_EQ(ScanPackage(path, &params), 1);
    EXPECT_EQ(view.log.size(), 3u);
    EXPECT_TRUE(view.entries.empty());
}

TEST(ScanPackage, StopsAfterTheMemberDuringWhichTheFlagWasCleared) {
    PrivateTempDir tmp;
    const QString path = tmp.Path("plan.odp");
    ASSERT_TRUE(PackageBuilder().Stored("a", "1").Stored("b", "2").Stored("c", "3").WriteTo(path));
    JobControl control;
    control.SetProcessRunning(1);
    struct StopAtFirst : RecordingJobView {
        JobControl* control = nullptr;
        void AppendEntry(const EntryInfo& e) override {
            RecordingJobView::AppendEntry(e);
            control->SetProcessRunning(0);
        }
    } view;
    view.control = &control;
    JobParams params{&control, &view};
    EXPECT_EQ(ScanPackage(path, &params), 1);
    ASSERT_EQ(view.entries.size(), 1u);
    EXPECT_EQ(view.entries[0].name, "a");
    EXPECT_EQ(view.log.size(), 3u);
}

TEST(ScanPackage, APackageThatCannotBeOpenedShowsTheSystemsText) {
    PrivateTempDir tmp;
    JobControl control;
    control.SetProcessRunning(1);
    struct Case {
        QString path;
        int error;
    };
    for (const Case& c : {Case{tmp.Path("missing.odp"), ENOENT}, Case{tmp.Path(), EISDIR}}) {
        RecordingJobView view;
        JobParams params{&control, &view};
        EXPECT_EQ(ScanPackage(c.path, &params), 0);
        EXPECT_TRUE(view.log.empty());
        ASSERT_EQ(view.messages.size(), 1u);
        EXPECT_EQ(view.messages[0].text, platform::ErrorText(c.error));
        EXPECT_EQ(view.messages[0].style, kMsgInfo);
        EXPECT_FALSE(view.messages[0].ownedByView);
    }
}

}  // namespace

namespace {

QByteArray Zip64Extra(uint64_t uncompressed, uint64_t compressed) {
    QByteArray extra("\x01\x00\x10\x00", 4);
    for (uint64_t v : {uncompressed, compressed})
        for (int i = 0; i < 8; ++i) extra.append(char((v >> (8 * i)) & 0xFF));
    return extra;
}

// A member written with zip64 sizes keeps 0xFFFFFFFF in its header; taken at
// its word it would swallow every member after it.
TEST(Zip64Header, TakesItsSizesFromTheExtraField) {
    PrivateTempDir tmp;
    const QByteArray data = "zip64 member data";
    LocalHeader zip64;
    zip64.name = "content.xml";
    zip64.compressedSize = zip64.uncompressedSize = 0xFFFFFFFF;
    zip64.extra = Zip64Extra(data.size(), data.size());
    // An unrelated extra record first: the zip64 one is found among others.
    zip64.extra.prepend(QByteArray("\x55\x54\x05\x00\x01\x00\x00\x00\x00", 9));
    PackageBuilder b;
    b.Member(zip64, data).Stored("styles.xml", "after it");
    ASSERT_TRUE(b.WriteTo(tmp.Path("p.odp")));
    const std::vector<EntryInfo> expected{Entry(uint32_t(data.size()), uint32_t(data.size()),
                                                "content.xml", uint64_t(b.Members()[0].dataOffset)),
                                          AsPlaced(b.Members()[1], "styles.xml")};
    for (size_t block : {size_t(5), kScanBlockSize})
        EXPECT_EQ(Walk(tmp.Path("p.odp"), block), expected) << "block size " << block;
}

// A member of 4 GiB or more cannot be held; it is stepped over by its real
// size, here claiming the bytes up to the next member exactly.
TEST(Zip64Header, AMemberTooLargeToHoldIsSteppedOver) {
    PrivateTempDir tmp;
    LocalHeader huge;
    huge.name = "video.bin";
    huge.compressedSize = huge.uncompressedSize = 0xFFFFFFFF;
    huge.extra = Zip64Extra(uint64_t(5) << 30, 100);
    PackageBuilder b;
    b.Member(huge, QByteArray(100, 'v')).Stored("content.xml", "kept");
    ASSERT_TRUE(b.WriteTo(tmp.Path("p.odp")));
    EXPECT_EQ(Walk(tmp.Path("p.odp")),
              std::vector<EntryInfo>{AsPlaced(b.Members()[1], "content.xml")});
}

}  // namespace
