#include "recovery/salvage/bit_repair.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "support/deck_xml.h"
#include "support/package_builder.h"
#include "support/qt_printers.h"

namespace {

using Outcome = BitRepairResult::Outcome;

const auto kRun = [] { return true; };

struct Inflated {
    bool error = false;
    QByteArray bytes;
};

// What a damaged stream inflates to, up to `limit` bytes.
Inflated InflateUpTo(const QByteArray& packed, int limit) {
    z_stream z{};
    inflateInit2(&z, -15);
    Inflated out;
    out.bytes.resize(limit);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.constData()));
    z.avail_in = uInt(packed.size());
    z.next_out = reinterpret_cast<Bytef*>(out.bytes.data());
    z.avail_out = uInt(limit);
    int r = Z_OK;
    while (r == Z_OK && z.avail_out > 0) r = inflate(&z, Z_NO_FLUSH);
    out.error = r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR;
    out.bytes.resize(int(z.total_out));
    inflateEnd(&z);
    return out;
}

QByteArray Flipped(QByteArray packed, int64_t bit) {
    packed[int(bit >> 3)] = char(packed[int(bit >> 3)] ^ (1 << (bit & 7)));
    return packed;
}

struct FlipCase {
    const char* label;
    double at;  // the flipped bit, as a share of the stream's bits
};

class OneFlippedBit : public ::testing::TestWithParam<FlipCase> {};

TEST_P(OneFlippedBit, IsPutRightWithTheExactBytes) {
    const QByteArray xml = DeckContentXml(60);
    const QByteArray packed = PackageBuilder::RawDeflate(xml);
    const uint32_t crc = PackageBuilder::Crc32(xml);
    const int64_t bit = int64_t(double(packed.size()) * 8 * GetParam().at);
    const QByteArray damaged = Flipped(packed, bit);
    const Inflated before = InflateUpTo(damaged, int(xml.size()) + 1);
    ASSERT_TRUE(before.error || before.bytes != xml) << "the flip must do harm";

    // Where the text first goes wrong, as an XML check would see it.
    int64_t wrong = 0;
    while (wrong < before.bytes.size() && wrong < xml.size() &&
           before.bytes[int(wrong)] == xml[int(wrong)])
        ++wrong;
    const BitRepairResult result =
        RepairFlippedBit(damaged, uint32_t(xml.size()), crc, before.error ? -1 : wrong, {}, kRun);
    ASSERT_EQ(result.outcome, Outcome::Repaired) << "tried " << result.tried;
    // Another bit may give the same bytes (a distance that copies the same
    // text); it lies close by, and the bytes are what counts.
    EXPECT_LT(std::abs(result.bit - bit), 256);
    EXPECT_EQ(result.content, xml);
    printf("tried %ld at %ld of %ld fail\n", long(result.tried), long(bit),
           long(packed.size() * 8));
    EXPECT_EQ(PackageBuilder::Crc32(result.content), crc);
}

INSTANTIATE_TEST_SUITE_P(BitRepair, OneFlippedBit,
                         ::testing::Values(FlipCase{"InTheFirstBlockHeader", 0.0005},
                                           FlipCase{"EarlyInTheData", 0.1},
                                           FlipCase{"InTheMiddle", 0.5},
                                           FlipCase{"NearTheEnd", 0.97},
                                           FlipCase{"InTheLastByte", 0.999}),
                         [](const auto& info) { return std::string(info.param.label); });

// The damage of the kind: the stream still inflates to its full
// length without an error, only its CRC-32 and its text are wrong.
TEST(BitRepair, AFlipThatStillInflatesToTheRightLengthIsFoundFromTheTextFault) {
    const QByteArray xml = DeckContentXml(60);
    const QByteArray packed = PackageBuilder::RawDeflate(xml);
    const uint32_t crc = PackageBuilder::Crc32(xml);
    int64_t bit = packed.size() * 4;
    Inflated before;
    for (;; ++bit) {
        before = InflateUpTo(Flipped(packed, bit), int(xml.size()) + 1);
        if (!before.error && before.bytes.size() == xml.size() && before.bytes != xml) break;
    }
    int64_t wrong = 0;
    while (before.bytes[int(wrong)] == xml[int(wrong)]) ++wrong;

    const BitRepairResult result =
        RepairFlippedBit(Flipped(packed, bit), uint32_t(xml.size()), crc, wrong, {}, kRun);
    ASSERT_EQ(result.outcome, Outcome::Repaired);
    EXPECT_EQ(result.bit, bit);
    EXPECT_EQ(result.content, xml);
}

// With no hint at all (the text stays well-formed, only a letter or a copied
// word is wrong), the CRC-32 itself points at the bit: it is the first tried.
TEST(BitRepair, WithNoHintTheCrcPointsAtAFlipThatKeepsTheLength) {
    const QByteArray xml = DeckContentXml(60);
    const QByteArray packed = PackageBuilder::RawDeflate(xml);
    const uint32_t crc = PackageBuilder::Crc32(xml);
    for (int part = 0; part < 12; ++part) {
        int64_t bit = packed.size() * 8 * part / 12;
        for (;; ++bit) {
            const Inflated before = InflateUpTo(Flipped(packed, bit), int(xml.size()) + 1);
            if (!before.error && before.bytes.size() == xml.size() && before.bytes != xml) break;
        }
        SCOPED_TRACE(bit);
        const BitRepairResult result =
            RepairFlippedBit(Flipped(packed, bit), uint32_t(xml.size()), crc, -1, {}, kRun);
        ASSERT_EQ(result.outcome, Outcome::Repaired);
        EXPECT_EQ(result.content, xml);
        EXPECT_LE(result.tried, 2) << "a search back from the end tries every bit after it";
    }
}

TEST(BitRepair, TwoFlippedBitsAreNotTakenForOne) {
    const QByteArray xml = DeckContentXml(20);
    const QByteArray packed = PackageBuilder::RawDeflate(xml);
    const QByteArray damaged = Flipped(Flipped(packed, packed.size() * 2), packed.size() * 6);
    BitRepairLimits limits;
    limits.timeBudget = std::chrono::seconds(20);
    const BitRepairResult result = RepairFlippedBit(damaged, uint32_t(xml.size()),
                                                    PackageBuilder::Crc32(xml), -1, limits, kRun);
    EXPECT_EQ(result.outcome, Outcome::NotFound);
    EXPECT_TRUE(result.content.isEmpty());
    EXPECT_GT(result.tried, 0);
}

TEST(BitRepair, AWholeMemberNeedsNothing) {
    const QByteArray xml = DeckContentXml(5);
    const BitRepairResult result =
        RepairFlippedBit(PackageBuilder::RawDeflate(xml), uint32_t(xml.size()),
                         PackageBuilder::Crc32(xml), -1, {}, kRun);
    EXPECT_EQ(result.outcome, Outcome::AlreadyWhole);
    EXPECT_EQ(result.content, xml);
}

TEST(BitRepair, AWrongRecordedCrcIsNeverMetByFlippingABit) {
    const QByteArray xml = DeckContentXml(5);
    const BitRepairResult result =
        RepairFlippedBit(PackageBuilder::RawDeflate(xml), uint32_t(xml.size()),
                         PackageBuilder::Crc32(xml) ^ 1, -1, {}, kRun);
    EXPECT_NE(result.outcome, Outcome::Repaired);
    EXPECT_NE(result.outcome, Outcome::AlreadyWhole);
}

TEST(BitRepair, AStopRequestEndsTheSearch) {
    const QByteArray xml = DeckContentXml(40);
    const QByteArray packed = PackageBuilder::RawDeflate(xml);
    int asked = 0;
    const BitRepairResult result =
        RepairFlippedBit(Flipped(Flipped(packed, 800), 9000), uint32_t(xml.size()),
                         PackageBuilder::Crc32(xml), -1, {}, [&asked] { return ++asked < 10; });
    EXPECT_EQ(result.outcome, Outcome::Stopped);
    EXPECT_LE(result.tried, 10);
}

TEST(BitRepair, TheTimeBudgetEndsTheSearch) {
    const QByteArray xml = DeckContentXml(300);
    const QByteArray packed = PackageBuilder::RawDeflate(xml);
    BitRepairLimits limits;
    limits.timeBudget = std::chrono::milliseconds(5);
    const QByteArray damaged = Flipped(Flipped(packed, packed.size() * 2), packed.size() * 7);
    const BitRepairResult result = RepairFlippedBit(damaged, uint32_t(xml.size()),
                                                    PackageBuilder::Crc32(xml), -1, limits, kRun);
    EXPECT_EQ(result.outcome, Outcome::OutOfTime);
}

TEST(BitRepair, MembersAboveTheLimitsAreNotTried) {
    BitRepairLimits limits;
    limits.maxCompressedBytes = 1000;
    const QByteArray packed = PackageBuilder::Incompressible(2000);
    EXPECT_EQ(RepairFlippedBit(packed, 5000, 0, -1, limits, kRun).outcome, Outcome::TooLarge);
    limits = {};
    limits.maxUncompressedBytes = 1000;
    EXPECT_EQ(RepairFlippedBit(packed, 5000, 0, -1, limits, kRun).outcome, Outcome::TooLarge);
}

}  // namespace
