#include "recovery/salvage/bit_repair.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "recovery/crc32.h"
#include "recovery/salvage/crc_locate.h"

namespace {

using Clock = std::chrono::steady_clock;
using Outcome = BitRepairResult::Outcome;

constexpr size_t kChunk = 64 * 1024;
constexpr int64_t kWindowBytes = 32768;
// Saved inflate states: at most this many, and no closer than this.
constexpr int64_t kMaxCheckpoints = 256;
constexpr int64_t kMinCheckpointGap = 256;
// The CRC-32 points at flipped bits in members up to this size (its table
// takes 32 bytes a byte of output).
constexpr int64_t kMaxLocatedOutput = int64_t(2) << 20;

// A raw inflate stream that ends itself.
struct Inflater {
    z_stream z{};
    bool live = false;

    Inflater() = default;
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    ~Inflater() { End(); }

    bool Init() {
        End();
        live = inflateInit2(&z, -MAX_WBITS) == Z_OK;
        return live;
    }
    bool CopyFrom(Inflater& from) {
        End();
        live = inflateCopy(&z, &from.z) == Z_OK;
        return live;
    }
    void End() {
        if (live) inflateEnd(&z);
        live = false;
    }
};

// The state of the first, damaged decoding at a byte of the input: a try
// that flips a later bit starts from here instead of from the beginning.
struct Checkpoint {
    std::unique_ptr<Inflater> stream;
    int64_t input = 0;   // bytes consumed
    int64_t output = 0;  // bytes produced
    uint32_t crc = 0;    // of the output so far
    int dataType = 0;
    long mark = 0;
    // The CRC-32 and length of the rest of the first decoding's output.
    uint32_t restCrc = 0;
    int64_t restLength = 0;
};

uint32_t Crc(uint32_t crc, const unsigned char* data, int64_t count) {
    return Crc32(crc, data, size_t(count));
}

class BitRepair {
public:
    BitRepair(const QByteArray& compressed, uint32_t expectedSize, uint32_t expectedCrc,
              int64_t failedOutput, const BitRepairLimits& limits,
              const std::function<bool()>& keepRunning)
        : m_data(compressed),
          m_size(compressed.size()),
          m_expectedSize(expectedSize),
          m_expectedCrc(expectedCrc),
          m_failedOutput(failedOutput),
          m_limits(limits),
          m_keepRunning(keepRunning),
          m_chunk(kChunk) {
        m_data.detach();
    }

    BitRepairResult Run() {
        BitRepairResult result;
        if (m_size > m_limits.maxCompressedBytes ||
            int64_t(m_expectedSize) > m_limits.maxUncompressedBytes) {
            result.outcome = Outcome::TooLarge;
            return result;
        }
        const Clock::time_point deadline = Clock::now() + m_limits.timeBudget;
        if (m_size == 0 || !FirstDecoding()) return result;
        if (m_whole) {
            result.outcome = Outcome::AlreadyWhole;
            result.content = std::move(m_reference);
            return result;
        }

        auto* bytes = reinterpret_cast<unsigned char*>(m_data.data());
        // A stream still in step gives the recorded length with the wrong
        // CRC-32: the CRC itself points at the few bits worth trying first.
        if (m_referenceUsable && m_reference.size() == int64_t(m_expectedSize)) {
            for (const int64_t bit : salvage::BitsThatGiveTheCrc(
                     m_data, m_reference, m_expectedCrc, kMaxLocatedOutput, m_keepRunning)) {
                ++result.tried;
                const unsigned char mask = (unsigned char)(1u << (bit & 7));
                bytes[bit >> 3] ^= mask;
                if (AcceptIfWhole(bit, &result)) return result;
                bytes[bit >> 3] ^= mask;
            }
        }
        size_t checkpoint = m_checkpoints.size() - 1;
        for (int64_t bit = std::min(m_failedInput * 8 + 7, m_size * 8 - 1); bit >= 0; --bit) {
            if (!m_keepRunning()) {
                result.outcome = Outcome::Stopped;
                return result;
            }
            if (Clock::now() >= deadline) {
                result.outcome = Outcome::OutOfTime;
                return result;
            }
            const int64_t byte = bit >> 3;
            while (m_checkpoints[checkpoint].input > byte) --checkpoint;
            ++result.tried;
            const unsigned char mask = (unsigned char)(1u << (bit & 7));
            bytes[byte] ^= mask;
            if (TryFrom(checkpoint, byte) && AcceptIfWhole(bit, &result)) return result;
            bytes[byte] ^= mask;
        }
        return result;
    }

private:
    // With `bit` flipped, the member is put right only when all of it then
    // inflates to the recorded length and CRC-32.
    bool AcceptIfWhole(int64_t bit, BitRepairResult* result) {
        QByteArray content;
        if (!InflateWhole(&content)) return false;
        result->outcome = Outcome::Repaired;
        result->bit = bit;
        result->content = std::move(content);
        return true;
    }

    const unsigned char* Data() const {
        return reinterpret_cast<const unsigned char*>(m_data.constData());
    }

    // Decodes the member as it is, keeping its output and a checkpoint every
    // so many input bytes, and finds the input byte at which it first failed.
    // False when zlib cannot be set up.
    bool FirstDecoding() {
        Inflater z;
        if (!z.Init()) return false;
        const int64_t gap =
            std::max(kMinCheckpointGap, (m_size + kMaxCheckpoints - 1) / kMaxCheckpoints);
        m_reference.reserve(int(std::min<int64_t>(m_expectedSize, m_limits.maxUncompressedBytes)));
        uint32_t crc = 0;
        int64_t hintInput = -1;
        bool failed = false, ended = false;
        AddCheckpoint(z, 0, 0, crc);

        for (int64_t at = 0; at < m_size && !failed && !ended;) {
            const int64_t sliceEnd = std::min(at + gap, m_size);
            z.z.next_in = const_cast<Bytef*>(Data() + at);
            z.z.avail_in = uInt(sliceEnd - at);
            for (;;) {
                const int64_t room = int64_t(m_expectedSize) + 1 - m_reference.size();
                z.z.next_out = m_chunk.data();
                z.z.avail_out =
                    uInt(std::min<int64_t>(int64_t(m_chunk.size()), std::max<int64_t>(room, 1)));
                const uInt roomBefore = z.z.avail_out;
                const int r = inflate(&z.z, Z_NO_FLUSH);
                const int64_t got = int64_t(roomBefore - z.z.avail_out);
                m_reference.append(reinterpret_cast<const char*>(m_chunk.data()), int(got));
                crc = Crc(crc, m_chunk.data(), got);
                if (m_failedOutput >= 0 && hintInput < 0 && m_reference.size() > m_failedOutput)
                    hintInput = int64_t(z.z.total_in);
                if (m_reference.size() == int64_t(m_expectedSize) && crc == m_expectedCrc &&
                    r != Z_DATA_ERROR) {
                    m_whole = true;
                    return true;
                }
                if (m_reference.size() > int64_t(m_expectedSize) ||
                    (r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR)) {
                    failed = true;
                    m_failedInput = int64_t(z.z.total_in);
                    break;
                }
                if (r == Z_STREAM_END) {
                    ended = true;
                    break;
                }
                if (r == Z_BUF_ERROR || (z.z.avail_in == 0 && z.z.avail_out > 0)) break;
            }
            at = sliceEnd;
            if (!failed && !ended && at < m_size) AddCheckpoint(z, at, m_reference.size(), crc);
        }

        // A decoding that went to its end with no error but the wrong bytes:
        // later tries that come back in step with it share its rest.
        m_referenceUsable = !failed;
        if (!failed) m_failedInput = ended ? int64_t(z.z.total_in) : m_size;
        if (hintInput >= 0) m_failedInput = std::min(m_failedInput, hintInput);
        int64_t restEnd = m_reference.size();
        uint32_t rest = 0;
        for (size_t k = m_checkpoints.size(); k-- > 0;) {
            Checkpoint& cp = m_checkpoints[k];
            const int64_t length = restEnd - cp.output;
            const uint32_t segment =
                Crc(0, reinterpret_cast<const unsigned char*>(m_reference.constData()) + cp.output,
                    length);
            rest = uint32_t(crc32_combine(
                segment, rest,
                z_off_t(k + 1 < m_checkpoints.size() ? m_checkpoints[k + 1].restLength : 0)));
            cp.restCrc = rest;
            cp.restLength = m_reference.size() - cp.output;
            restEnd = cp.output;
        }
        return true;
    }

    void AddCheckpoint(Inflater& z, int64_t input, int64_t output, uint32_t crc) {
        Checkpoint cp;
        cp.stream = std::make_unique<Inflater>();
        if (!cp.stream->CopyFrom(z)) return;
        cp.input = input;
        cp.output = output;
        cp.crc = crc;
        cp.dataType = z.z.data_type;
        cp.mark = inflateMark(&z.z);
        m_checkpoints.push_back(std::move(cp));
    }

    // Decodes the flipped input from checkpoint `from` on. True when the
    // member then gives the recorded length and CRC-32 (to be confirmed).
    bool TryFrom(size_t from, int64_t flippedByte) {
        const Checkpoint& start = m_checkpoints[from];
        if (!m_work.CopyFrom(*start.stream)) return false;
        z_stream& z = m_work.z;
        int64_t produced = start.output;
        uint32_t crc = start.crc;
        int64_t sameSince = 0;  // output from here on equals the first decoding's
        const auto* reference = reinterpret_cast<const unsigned char*>(m_reference.constData());
        const int64_t referenceSize = m_reference.size();

        int64_t at = start.input;
        for (size_t k = from + 1;; ++k) {
            const int64_t sliceEnd = k < m_checkpoints.size() ? m_checkpoints[k].input : m_size;
            z.next_in = const_cast<Bytef*>(Data() + at);
            z.avail_in = uInt(sliceEnd - at);
            at = sliceEnd;
            for (;;) {
                const int64_t room = int64_t(m_expectedSize) + 1 - produced;
                z.next_out = m_chunk.data();
                z.avail_out =
                    uInt(std::min<int64_t>(int64_t(m_chunk.size()), std::max<int64_t>(room, 1)));
                const uInt roomBefore = z.avail_out;
                const int r = inflate(&z, Z_NO_FLUSH);
                const int64_t got = int64_t(roomBefore - z.avail_out);
                if (got > 0) {
                    crc = Crc(crc, m_chunk.data(), got);
                    // Where this output last differs from the first decoding's.
                    const int64_t common = std::clamp<int64_t>(referenceSize - produced, 0, got);
                    if (common < got) {
                        sameSince = produced + got;
                    } else if (std::memcmp(m_chunk.data(), reference + produced, size_t(got)) !=
                               0) {
                        int64_t i = got;
                        while (i > 0 && m_chunk[size_t(i - 1)] == reference[produced + i - 1]) --i;
                        sameSince = produced + i;
                    }
                    produced += got;
                }
                if (produced > int64_t(m_expectedSize)) return false;
                if (r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR) return false;
                if (produced == int64_t(m_expectedSize)) return crc == m_expectedCrc;
                if (r == Z_STREAM_END) return false;  // too short
                if (r == Z_BUF_ERROR || (z.avail_in == 0 && z.avail_out > 0)) break;
            }
            if (k >= m_checkpoints.size()) return false;  // the input ran out first

            // Back in step with the first decoding: same place, same state, the
            // same window of output. The rest would be its rest.
            const Checkpoint& here = m_checkpoints[k];
            if (here.input > flippedByte && produced == here.output &&
                z.data_type == here.dataType && inflateMark(&z) == here.mark &&
                produced - sameSince >= kWindowBytes) {
                if (!m_referenceUsable) return false;
                if (produced + here.restLength != int64_t(m_expectedSize)) return false;
                return uint32_t(crc32_combine(crc, here.restCrc, z_off_t(here.restLength))) ==
                       m_expectedCrc;
            }
        }
    }

    // Inflates the corrected member from the start and checks it for real.
    bool InflateWhole(QByteArray* content) {
        Inflater z;
        if (!z.Init()) return false;
        content->resize(int(m_expectedSize));
        z.z.next_in = const_cast<Bytef*>(Data());
        z.z.avail_in = uInt(m_size);
        z.z.next_out = reinterpret_cast<Bytef*>(content->data());
        z.z.avail_out = uInt(m_expectedSize);
        int r = Z_OK;
        while (z.z.avail_out > 0 && r == Z_OK) r = inflate(&z.z, Z_NO_FLUSH);
        if (z.z.avail_out != 0 || (r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR))
            return false;
        return Crc(0, reinterpret_cast<const unsigned char*>(content->constData()),
                   content->size()) == m_expectedCrc;
    }

    QByteArray m_data;  // a copy, flipped in place while a bit is tried
    const int64_t m_size;
    const uint32_t m_expectedSize;
    const uint32_t m_expectedCrc;
    const int64_t m_failedOutput;
    const BitRepairLimits m_limits;
    const std::function<bool()>& m_keepRunning;
    std::vector<unsigned char> m_chunk;
    QByteArray m_reference;  // what the damaged member decodes to, up to one byte too many
    std::vector<Checkpoint> m_checkpoints;
    Inflater m_work;
    int64_t m_failedInput = 0;
    bool m_whole = false;
    bool m_referenceUsable = false;
};

}  // namespace

BitRepairResult RepairFlippedBit(const QByteArray& compressed, uint32_t expectedSize,
                                 uint32_t expectedCrc, int64_t failedOutput,
                                 const BitRepairLimits& limits,
                                 const std::function<bool()>& keepRunning) {
    BitRepair repair(compressed, expectedSize, expectedCrc, failedOutput, limits, keepRunning);
    return repair.Run();
}
