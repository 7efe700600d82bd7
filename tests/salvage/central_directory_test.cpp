#include "recovery/salvage/central_directory.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/files.h"
#include "support/package_builder.h"
#include "support/private_temp_dir.h"
#include "support/test_files.h"

namespace {

void PutLe(QByteArray& bytes, int at, uint64_t value, int count) {
    for (int i = 0; i < count; ++i) bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

// Three members and their central directory; `directoryStart` is where it begins.
QByteArray Package(int64_t* directoryStart) {
    PackageBuilder b;
    b.Stored("mimetype", "application/vnd.oasis.opendocument.presentation")
        .Deflated("content.xml", QByteArray("<x/>").repeated(50))
        .Stored("a.bin", "bytes");
    *directoryStart = b.Bytes().size();
    b.CentralDirectory();
    return b.Bytes();
}

// The zip64 end record and its locator, put before the end record, which
// then holds the markers in place of its count and size.
QByteArray WithZip64End(QByteArray bytes, int64_t directoryStart) {
    const int end = bytes.lastIndexOf(QByteArray("PK\x05\x06", 4));
    const uint64_t count = uint8_t(bytes[end + 10]);
    const uint64_t size = uint64_t(end - directoryStart);
    QByteArray zip64(56, '\0');
    zip64.replace(0, 4, QByteArray("PK\x06\x06", 4));
    PutLe(zip64, 4, 44, 8);
    PutLe(zip64, 24, count, 8);
    PutLe(zip64, 32, count, 8);
    PutLe(zip64, 40, size, 8);
    PutLe(zip64, 48, uint64_t(directoryStart), 8);
    QByteArray locator(20, '\0');
    locator.replace(0, 4, QByteArray("PK\x06\x07", 4));
    PutLe(locator, 8, uint64_t(end), 8);
    bytes.insert(end, zip64 + locator);
    const int moved = end + zip64.size() + locator.size();
    PutLe(bytes, moved + 10, 0xFFFF, 2);
    PutLe(bytes, moved + 12, 0xFFFFFFFF, 4);
    return bytes;
}

struct DirectoryCase {
    const char* name;
    std::function<QByteArray(const QByteArray&, int64_t)> change;
    int64_t beginShift;  // added to where the tested bytes begin
    bool whole;
};

class CentralDirectory : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(CentralDirectory, IsTakenForOneOnlyWhenWhole) {
    int64_t start = 0;
    const QByteArray package = Package(&start);
    const QByteArray bytes = GetParam().change(package, start);
    PrivateTempDir tmp;
    WriteBytes(tmp.Path("p.zip"), bytes);
    platform::ReadOnlyFile file;
    ASSERT_EQ(file.Open(tmp.Path("p.zip")), 0);
    EXPECT_EQ(IsWholeCentralDirectory(file, start + GetParam().beginShift, bytes.size()),
              GetParam().whole);
}

const auto kAsItIs = [](const QByteArray& b, int64_t) { return b; };

INSTANTIATE_TEST_SUITE_P(
    Salvage, CentralDirectory,
    ::testing::Values(
        DirectoryCase{"AsWritten", kAsItIs, 0, true},
        DirectoryCase{"WithZip64EndRecords", WithZip64End, 0, true},
        DirectoryCase{"ACommentAtTheEnd",
                      [](QByteArray b, int64_t) {
                          PutLe(b, b.size() - 2, 3, 2);
                          return b + "abc";
                      },
                      0, true},
        DirectoryCase{"BytesAfterTheEndRecord",
                      [](const QByteArray& b, int64_t) { return b + "PK\x03\x04 more"; }, 0, false},
        DirectoryCase{"CutInsideTheEndRecord",
                      [](const QByteArray& b, int64_t) { return b.left(b.size() - 5); }, 0, false},
        DirectoryCase{"AHeaderFewerThanCounted",
                      [](QByteArray b, int64_t) {
                          const int end = b.lastIndexOf(QByteArray("PK\x05\x06", 4));
                          PutLe(b, end + 10, 4, 2);
                          return b;
                      },
                      0, false},
        DirectoryCase{"ASizeThatDisagrees",
                      [](QByteArray b, int64_t) {
                          const int end = b.lastIndexOf(QByteArray("PK\x05\x06", 4));
                          PutLe(b, end + 12, 7, 4);
                          return b;
                      },
                      0, false},
        // A member whose header was hurt lies just before the directory.
        DirectoryCase{"MemberBytesBeforeIt", kAsItIs, -5, false},
        DirectoryCase{"ADamagedHeaderSignature",
                      [](QByteArray b, int64_t start) {
                          b[int(start) + 2] = 9;
                          return b;
                      },
                      0, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
