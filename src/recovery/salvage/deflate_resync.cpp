#include "recovery/salvage/deflate_resync.h"

#include <algorithm>
#include <array>
#include <utility>

#include "recovery/salvage/deflate_bits.h"
#include "recovery/salvage/gap_alignment.h"

using salvage::BitInflater;
using salvage::BlockCodes;
using salvage::BlockKind;
using salvage::CheckBlockHeader;
using salvage::kUnknownByte;
using salvage::ReadStoredHeader;
using salvage::TextCheck;

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kChunk = 64 * 1024;
constexpr int64_t kWindowBytes = 32768;
// Deflate never gives more than about this many bytes per input byte.
constexpr int64_t kMaxRatio = 1032;
// A restart is believed once it has decoded this many known text bytes with no
// error; garbage read as Deflate shows a byte that is not text long before.
constexpr int64_t kKnownToAccept = 1024;
// Fewer are enough when the stream ends or the input runs out first.
constexpr int64_t kKnownToAcceptAtEnd = 128;
// Bytes that may follow the end of a member's stream (its data descriptor).
constexpr uInt kEndSlack = 24;
// The search reads the stop request and the clock every so many bits.
constexpr int64_t kBitsBetweenChecks = 4096;
// This many zero bytes in a row are no Deflate data but a zeroed stretch.
constexpr int64_t kMinZeroRun = 8;
// One symbol with its extra bits and distance takes at most this many bits,
// so decoding from this many bits in a row starts at least once in step.
constexpr int kMaxSymbolBits = 48;
// Decoding from different bits must fall into step within this many symbols.
constexpr int kSymbolsToFallInStep = 4096;

class Resync {
public:
    Resync(const QByteArray& compressed, const ResyncLimits& limits,
           const std::function<bool()>& keepRunning, int64_t recordedSize)
        : m_data(reinterpret_cast<const unsigned char*>(compressed.constData())),
          m_size(size_t(compressed.size())),
          m_keepRunning(keepRunning),
          m_recordedSize(recordedSize),
          m_deadline(Clock::now() + limits.timeBudget),
          m_maxOutput(std::min(limits.maxOutputBytes, kMaxRatio * int64_t(m_size) + 65536)),
          m_chunk(kChunk) {
        FindZeroRuns();
    }

    ResyncResult Run(int64_t damagedOutput) {
        if (!m_z.Ready() || m_size == 0) return std::move(m_result);
        Damage damage = FindDamage(damagedOutput);
        while (damage.kind != Damage::None && !m_result.stopped) {
            if (damage.kind == Damage::Located) {
                Damage later;
                if (PickUpStored(damage.blockBit, damage.resumeByte, &later) ||
                    PickUpInsideBlock(damage.blockBit, damage.resumeByte * 8, &later)) {
                    damage = later;
                    continue;
                }
            }
            damage = SearchAndDecode(SearchStart(damage.blockBit));
        }
        // One zeroed stretch, crossed once, right to the end of the stream:
        // the recorded length tells how much the stretch gave.
        if (m_recordedSize >= 0 && m_lostFrom >= 0 && m_result.restarts == 1 &&
            m_restart.reachedEnd && !m_result.stopped)
            DecodeAligned();
        return std::move(m_result);
    }

private:
    // Where decoding stopped being right: in the block that starts at
    // `blockBit`, either at a place known to end before byte `resumeByte` (a
    // zeroed stretch, or a fault inside a stored block), or somewhere not known.
    struct Damage {
        enum Kind { None, Located, Broken } kind = None;
        int64_t blockBit = 0;
        int64_t resumeByte = 0;
    };
    enum class Probe { Rejected, Believed };
    // Where decoding was taken up again: inside the damaged block at `bit`
    // (its header at `blockBit`), at a block header at `bit`, or in a stored
    // block.
    struct Restart {
        enum Kind { None, InsideBlock, AtHeader, Stored } kind = None;
        int64_t blockBit = 0;
        int64_t bit = 0;
        bool reachedEnd = false;  // decoded from there to the end of the stream
    };

    // True once the stop request came or the time is up.
    bool Interrupted() {
        if (!m_result.stopped && (!m_keepRunning() || Clock::now() >= m_deadline))
            m_result.stopped = true;
        return m_result.stopped;
    }
    bool Full() const { return m_output >= m_maxOutput; }

    void FindZeroRuns() {
        for (int64_t i = 0; i < int64_t(m_size); ++i) {
            if (m_data[i] != 0) continue;
            int64_t j = i;
            while (j < int64_t(m_size) && m_data[j] == 0) ++j;
            if (j - i >= kMinZeroRun) m_zeroRuns.emplace_back(i, j);
            i = j;
        }
    }

    // The first zeroed stretch that ends after byte `at`.
    const std::pair<int64_t, int64_t>* ZeroRunAfter(int64_t at) const {
        for (const auto& run : m_zeroRuns)
            if (run.second > at) return &run;
        return nullptr;
    }

    // Where to look for the next block header after a damage in the block at
    // `blockBit`: past a stored block whole, since every bit of its header's
    // byte would find the same block again.
    int64_t SearchStart(int64_t blockBit) const {
        int64_t dataByte = 0, length = 0;
        if (ReadStoredHeader(m_data, m_size, blockBit, &dataByte, &length))
            return (dataByte + length) * 8;
        return blockBit + 1;
    }

    // Decodes from the start, the history known, to output byte
    // `damagedOutput`, or to the first zeroed stretch if that comes first:
    // the damage is in the block that was being decoded there.
    Damage FindDamage(int64_t damagedOutput) {
        Damage damage;
        damage.kind = Damage::Broken;
        int64_t blockOutput = 0;
        m_tail.clear();
        const auto* zeros = ZeroRunAfter(0);
        const size_t end = zeros ? size_t(zeros->first) : m_size;
        if (!m_z.Start(m_data, end, 0, false)) return damage;
        z_stream& z = m_z.Stream();
        while (m_keepRunning()) {
            z.next_out = m_chunk.data();
            const int64_t wanted = damagedOutput + 1 - int64_t(z.total_out);
            z.avail_out = uInt(std::clamp<int64_t>(wanted, 1, int64_t(m_chunk.size())));
            const int result = inflate(&z, Z_BLOCK);
            KeepTail(m_chunk.data(), size_t(z.next_out - m_chunk.data()));
            if (int64_t(z.total_out) > damagedOutput) {
                // Inside a stored block the bytes after the fault are the
                // file's own: decoding can take up right there.
                int64_t dataByte = 0, length = 0;
                // The byte at the fault is itself suspect.
                if (ReadStoredHeader(m_data, m_size, damage.blockBit, &dataByte, &length) &&
                    damagedOutput + 1 - blockOutput < length) {
                    damage.kind = Damage::Located;
                    damage.resumeByte = dataByte + (damagedOutput + 1 - blockOutput);
                    m_result.damageOutput = damagedOutput;
                }
                break;
            }
            if (result == Z_BUF_ERROR && zeros) {
                // Everything before the zeroed stretch decoded: it is the damage.
                damage.kind = Damage::Located;
                damage.resumeByte = zeros->second;
                m_result.damageOutput = int64_t(z.total_out);
                m_lostFrom = zeros->first;
                break;
            }
            if (result != Z_OK) break;
            if (z.data_type & 128) {
                damage.blockBit = m_z.BitPosition();
                blockOutput = int64_t(z.total_out);
            }
        }
        return damage;
    }

    // Picks decoding up again inside the block that starts at `blockBit`,
    // from the first bit of `from` on where the true symbols can be told,
    // decodes to the end of the block and goes on with the blocks that
    // follow. False when that cannot be done (the damage took the header, or
    // what comes out does not hold up), with nothing emitted.
    // With `aligned` (a whole window of history, unknown where not known) and
    // `inStep`, decoding takes up at that bit with that history.
    bool PickUpInsideBlock(int64_t blockBit, int64_t from, Damage* later,
                           const std::vector<unsigned char>* aligned = nullptr,
                           int64_t inStepBit = -1) {
        BlockCodes codes;
        int64_t dataBit = 0;
        if (!codes.Read(m_data, m_size, blockBit, &dataBit) || dataBit > from) return false;
        const int64_t inStep = inStepBit >= 0 ? inStepBit : FallInStep(codes, from);
        if (inStep < 0) return false;

        // Decode the rest of the block into a window whose history is unknown
        // (or as far as known, once lined up).
        std::vector<unsigned char> window =
            aligned ? *aligned : std::vector<unsigned char>(size_t(kWindowBytes), kUnknownByte);
        QByteArray out;
        TextCheck check;
        int64_t known = 0;
        int64_t bit = inStep;
        int64_t produced = 0;
        const auto* zeros = ZeroRunAfter(from / 8);
        const int64_t endBit = (zeros ? zeros->first : int64_t(m_size)) * 8;
        for (int count = 0;; ++count) {
            if ((count & 4095) == 0 && Interrupted()) return false;
            int length = 0, distance = 0;
            const int symbol = codes.Next(m_data, m_size, &bit, &length, &distance);
            if (symbol < 0 || bit > endBit) return false;
            if (symbol == 256) break;
            if (symbol < 256) {
                window[size_t(produced % kWindowBytes)] = (unsigned char)symbol;
                out.append(char(symbol));
                ++produced;
            } else {
                for (int k = 0; k < length; ++k) {
                    const unsigned char c =
                        window[size_t((produced - distance + kWindowBytes) % kWindowBytes)];
                    window[size_t(produced % kWindowBytes)] = c;
                    out.append(char(c));
                    ++produced;
                }
            }
            if (m_output + out.size() >= m_maxOutput) return false;
        }
        if (!check.Feed(reinterpret_cast<const unsigned char*>(out.constData()), size_t(out.size()),
                        &known))
            return false;

        const Restart restart{Restart::InsideBlock, blockBit, inStep, false};
        const bool streamEnds = codes.Last() || bit + 8 >= int64_t(m_size) * 8;
        if (streamEnds) {
            if (known < kKnownToAcceptAtEnd) return false;
            ++m_result.restarts;
            m_restart = restart;
            m_restart.reachedEnd = codes.Last();
            m_runOpen = false;
            Emit(out);
            later->kind = Damage::None;
            return true;
        }
        // What follows the end of the block must decode as well before any
        // of it is believed.
        if (CheckBlockHeader(m_data, m_size, bit) == BlockKind::None) return false;
        // The last window of bytes, oldest first.
        std::vector<unsigned char> history(static_cast<size_t>(kWindowBytes));
        for (size_t i = 0; i < history.size(); ++i)
            history[i] = window[size_t((produced + int64_t(i)) % kWindowBytes)];
        m_pending = restart;
        return Decode(bit, &history, out, known, later) == Probe::Believed;
    }

    // Takes up again inside the stored block at `blockBit` from byte `from`:
    // its bytes are the file's own, so they are kept as they are (when they
    // are text) and become the known history of the blocks that follow.
    bool PickUpStored(int64_t blockBit, int64_t from, Damage* later) {
        int64_t dataByte = 0, length = 0;
        if (!ReadStoredHeader(m_data, m_size, blockBit, &dataByte, &length)) return false;
        const int64_t end = std::min<int64_t>(dataByte + length, int64_t(m_size));
        if (from < dataByte || from >= end) return false;
        const auto* zeros = ZeroRunAfter(from);
        const int64_t stop = zeros && zeros->first < end ? zeros->first : end;
        const QByteArray kept(reinterpret_cast<const char*>(m_data + from), int(stop - from));
        TextCheck check;
        int64_t known = 0;
        if (!check.Feed(m_data + from, size_t(stop - from), &known)) return false;
        ++m_result.restarts;
        m_restart = {Restart::Stored, blockBit, from * 8, false};
        m_runOpen = false;
        if (stop < end) {
            // A zeroed stretch further on in the same block.
            Emit(kept);
            later->kind = Damage::Located;
            later->blockBit = blockBit;
            later->resumeByte = zeros->second;
            return true;
        }
        if (end * 8 + 8 >= int64_t(m_size) * 8) {
            Emit(kept);
            later->kind = Damage::None;
            return true;
        }
        const int64_t keep = std::min<int64_t>(kept.size(), kWindowBytes);
        const std::vector<unsigned char> history(m_data + end - keep, m_data + end);
        Emit(kept);
        m_pending = m_restart;
        if (Decode(end * 8, &history, QByteArray(), kKnownToAccept, later) != Probe::Believed)
            later->kind = Damage::None;
        return true;
    }

    // Decodes symbols from every bit of [from, from + kMaxSymbolBits) and
    // returns the first bit from which all of them are in step: the true
    // symbols start there, whichever start was the true one. -1 when they do
    // not fall into step.
    int64_t FallInStep(const BlockCodes& codes, int64_t from) const {
        std::vector<int64_t> first;  // where the symbols decoded from `from` start
        int64_t bit = from;
        for (int i = 0; i < kSymbolsToFallInStep; ++i) {
            first.push_back(bit);
            int length = 0, distance = 0;
            const int symbol = codes.Next(m_data, m_size, &bit, &length, &distance);
            if (symbol < 0 || symbol == 256) break;
        }
        int64_t inStep = from;
        for (int64_t start = from + 1; start < from + kMaxSymbolBits; ++start) {
            int64_t at = start;
            bool met = false;
            bool breaks = false;
            for (int i = 0; i < kSymbolsToFallInStep && !met && !breaks; ++i) {
                met = std::binary_search(first.begin(), first.end(), at);
                int length = 0, distance = 0;
                if (!met) breaks = codes.Next(m_data, m_size, &at, &length, &distance) < 0;
            }
            // A start whose symbols break cannot be the true one; one that
            // never meets the others leaves the true start unknown.
            if (breaks) continue;
            if (!met) return -1;
            inStep = std::max(inStep, at);
        }
        return inStep;
    }

    // Looks for the next bit at or after `from` where decoding can start
    // again and decodes from there.
    Damage SearchAndDecode(int64_t from) {
        const int64_t lastBit = int64_t(m_size) * 8 - 3;
        for (int64_t bit = from; bit < lastBit; ++bit) {
            if ((bit - from) % kBitsBetweenChecks == 0 && (Interrupted() || Full())) break;
            if (CheckBlockHeader(m_data, m_size, bit) == BlockKind::None) continue;
            Damage later;
            if (Decode(bit, nullptr, QByteArray(), 0, &later) == Probe::Believed) return later;
        }
        return Damage();
    }

    // Decodes from `bit` with an unknown history, or with `history` when
    // given, after `held` (bytes already decoded, `known` of them known).
    // Nothing is emitted until the restart is believed; from then on every
    // block that ends is handed to the runs. Decoding stops at the next
    // zeroed stretch, whose block is then picked up again after it; a block in
    // which decoding breaks is dropped, since its earlier bytes may already be
    // wrong. `*later` tells which of the two ended it, if any.
    Probe Decode(int64_t bit, const std::vector<unsigned char>* history, QByteArray held,
                 int64_t known, Damage* later) {
        Restart restart{Restart::AtHeader, bit, bit, false};
        if (m_pending.kind != Restart::None) restart = std::exchange(m_pending, Restart());
        const auto* zeros = ZeroRunAfter(bit / 8);
        const size_t end = zeros && zeros->first > bit / 8 ? size_t(zeros->first) : m_size;
        const bool started =
            history ? m_z.Start(m_data, end, bit, true, history->data(), history->size())
                    : m_z.Start(m_data, end, bit, true);
        if (!started) return Probe::Rejected;
        z_stream& z = m_z.Stream();
        QByteArray block;  // the block being decoded
        TextCheck check;
        bool believed = false;
        int64_t blockStart = bit;
        later->kind = Damage::None;
        for (;;) {
            if (Interrupted() || m_output + held.size() + block.size() >= m_maxOutput) {
                if (believed) Emit(block);
                return believed ? Probe::Believed : Probe::Rejected;
            }
            z.next_out = m_chunk.data();
            z.avail_out = uInt(m_chunk.size());
            const int result = inflate(&z, Z_BLOCK);
            const size_t got = m_chunk.size() - z.avail_out;
            const bool text = check.Feed(m_chunk.data(), got, &known);
            if (!text || (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)) {
                if (!believed) return Probe::Rejected;
                later->kind = Damage::Broken;
                later->blockBit = blockStart;
                return Probe::Believed;
            }
            block.append(reinterpret_cast<const char*>(m_chunk.data()), int(got));

            const bool ended = result == Z_STREAM_END;
            // With room for output, no progress means the input is used up.
            const bool inputGone = result == Z_BUF_ERROR;
            const bool zeroed = inputGone && end < m_size;
            if (!believed) {
                // An early end of the stream is no evidence: garbage read as
                // Deflate often ends soon.
                const bool atEnd = (inputGone && !zeroed) || (ended && z.avail_in <= kEndSlack);
                if (known >= kKnownToAccept || (atEnd && known >= kKnownToAcceptAtEnd)) {
                    believed = true;
                    ++m_result.restarts;
                    m_restart = restart;
                    m_runOpen = false;
                    Emit(held);
                    held.clear();
                }
            }
            if (ended || inputGone) {
                // A cut leaves the last block unfinished but not wrong, and so
                // does a zeroed stretch: all before it decoded.
                if (!believed) return Probe::Rejected;
                Emit(block);
                m_restart.reachedEnd = ended && z.avail_in <= kEndSlack;
                if (zeroed) {
                    later->kind = Damage::Located;
                    later->blockBit = blockStart;
                    later->resumeByte = zeros->second;
                }
                return Probe::Believed;
            }
            if (z.data_type & 128) {
                if (believed) {
                    Emit(block);
                } else {
                    held.append(block);
                }
                block.clear();
                blockStart = m_z.BitPosition();
            }
        }
    }

    // Keeps the last window of bytes decoded before the damage.
    void KeepTail(const unsigned char* bytes, size_t count) {
        m_tail.insert(m_tail.end(), bytes, bytes + count);
        if (m_tail.size() > size_t(2 * kWindowBytes))
            m_tail.erase(m_tail.begin(), m_tail.end() - kWindowBytes);
    }

    // Decodes once more from the one restart past a zeroed stretch, now
    // knowing how many bytes the stretch gave: the recorded length less the
    // bytes before it and the bytes from the restart to the end. Copies that
    // reach past the stretch then land in known bytes. Done only when the
    // copies bear that count out and the decoding comes to the same end;
    // otherwise the runs stay as they were.
    void DecodeAligned() {
        const int64_t after = m_output;
        const int64_t lost = m_recordedSize - m_result.damageOutput - after;
        if (m_tail.size() > size_t(kWindowBytes))
            m_tail.erase(m_tail.begin(), m_tail.end() - kWindowBytes);
        // No more than Deflate can give from the bits that were lost, and
        // something before the stretch for the copies to land in.
        const int64_t lostBytes = (m_restart.bit + kMaxSymbolBits) / 8 - m_lostFrom + 1;
        if (lost < 0 || lost > kMaxRatio * lostBytes || lost >= kWindowBytes || m_tail.empty())
            return;

        BlockCodes codes;
        int64_t dataBit = 0;
        const bool inside = m_restart.kind == Restart::InsideBlock;
        if (inside && !codes.Read(m_data, m_size, m_restart.blockBit, &dataBit)) return;
        if (!inside && m_restart.kind != Restart::AtHeader) return;
        const salvage::SymbolRun symbols = salvage::SymbolsFrom(
            m_data, m_size, inside ? &codes : nullptr, m_restart.bit, 2 * kWindowBytes);
        if (!salvage::AlignmentHoldsUp(symbols, m_tail.data(), m_tail.size(), lost,
                                       [this] { return !Interrupted(); }))
            return;

        // The window as it stood at the restart: the bytes before the
        // stretch, then the stretch's bytes, unknown.
        std::vector<unsigned char> window(size_t(kWindowBytes), kUnknownByte);
        const size_t known = std::min(m_tail.size(), size_t(kWindowBytes - lost));
        std::copy(m_tail.end() - known, m_tail.end(), window.end() - lost - known);

        ResyncResult before = m_result;
        const Restart restart = m_restart;
        const bool wasOpen = m_runOpen;
        m_result.laterRuns.clear();
        m_result.restarts = 0;
        m_output = 0;
        m_runOpen = false;
        Damage later;
        const bool decoded =
            inside ? PickUpInsideBlock(restart.blockBit, restart.bit, &later, &window, restart.bit)
                   : Decode(restart.bit, &window, QByteArray(), 0, &later) == Probe::Believed;
        if (decoded && later.kind == Damage::None && m_restart.reachedEnd && m_output == after &&
            !m_result.stopped) {
            m_result.lostOutput = lost;
            return;
        }
        m_result = std::move(before);
        m_restart = restart;
        m_output = after;
        m_runOpen = wasOpen;
    }

    // Appends decoded bytes to the runs: an unknown byte closes a run.
    void Emit(const QByteArray& bytes) {
        m_output += bytes.size();
        const char* p = bytes.constData();
        const char* end = p + bytes.size();
        while (p < end) {
            if ((unsigned char)*p == kUnknownByte) {
                m_runOpen = false;
                ++p;
                continue;
            }
            const char* stop = std::find(p, end, char(kUnknownByte));
            if (!m_runOpen) {
                m_result.laterRuns.emplace_back();
                m_runOpen = true;
            }
            m_result.laterRuns.back().append(p, int(stop - p));
            p = stop;
        }
    }

    const unsigned char* m_data;
    const size_t m_size;
    const std::function<bool()>& m_keepRunning;
    const int64_t m_recordedSize;  // -1 when not recorded
    const Clock::time_point m_deadline;
    const int64_t m_maxOutput;
    std::vector<unsigned char> m_chunk;
    BitInflater m_z;
    ResyncResult m_result;
    std::vector<std::pair<int64_t, int64_t>> m_zeroRuns;  // zeroed stretches, [first, end)
    int64_t m_output = 0;
    bool m_runOpen = false;
    std::vector<unsigned char> m_tail;  // the last bytes decoded before the damage
    int64_t m_lostFrom = -1;            // the first byte of the zeroed stretch decoding stopped at
    Restart m_restart;                  // the last restart
    Restart m_pending;                  // the restart a Decode call goes on from
};

}  // namespace

ResyncResult ResyncAfterDamage(const QByteArray& compressed, int64_t damagedOutput,
                               const ResyncLimits& limits, const std::function<bool()>& keepRunning,
                               int64_t recordedSize) {
    Resync resync(compressed, limits, keepRunning, recordedSize);
    return resync.Run(std::max<int64_t>(damagedOutput, 0));
}
