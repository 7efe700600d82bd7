#include "recovery/salvage/orphan_search.h"

#include <zlib.h>

#include <QByteArray>
#include <algorithm>
#include <vector>

#include "platform/files.h"
#include "recovery/crc32.h"
#include "recovery/salvage/deflate_bits.h"

namespace {

constexpr int64_t kBlock = int64_t(1) << 20;
// Bytes read past a block so that a header and its name, or the start of a
// stream, can be looked at whole from any position inside the block.
constexpr int64_t kOverlap = 64 * 1024;
constexpr int kHeaderBytes = 30;
constexpr int kMaxNameBytes = 1023;
constexpr int kMaxExtraBytes = 4096;
constexpr uint16_t kAllowedFlags = 0x080E;  // descriptor, Deflate options, UTF-8 names
// Deflate never gives more than about this many bytes per input byte.
constexpr int64_t kMaxRatio = 1032;
// The decoded bytes looked at to name a stream by its document element.
constexpr int kHeadBytes = 1024;
constexpr size_t kChunk = 64 * 1024;

uint16_t Le16(const unsigned char* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
uint32_t Le32(const unsigned char* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// The first element's name in the decoded start of a document, past a byte
// order mark, the XML declaration, comments and a document type.
QByteArray RootElementOf(const QByteArray& head) {
    qsizetype i = head.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    for (;;) {
        while (i < head.size() &&
               (head[i] == ' ' || head[i] == '\t' || head[i] == '\n' || head[i] == '\r'))
            ++i;
        const QByteArray rest = head.mid(i, 9);
        qsizetype close = -1;
        if (rest.startsWith("<?"))
            close = head.indexOf("?>", i) + 2;
        else if (rest.startsWith("<!--"))
            close = head.indexOf("-->", i) + 3;
        else if (rest.startsWith("<!"))
            close = head.indexOf('>', i) + 1;
        else
            break;
        if (close <= i) return {};
        i = close;
    }
    if (i >= head.size() || head[i] != '<') return {};
    qsizetype end = i + 1;
    while (end < head.size() && head[end] != ' ' && head[end] != '>' && head[end] != '/' &&
           head[end] != '\t' && head[end] != '\n' && head[end] != '\r')
        ++end;
    if (end >= head.size()) return {};
    return head.mid(i + 1, end - i - 1);
}

// How far a Deflate stream from `offset` goes, read from the file in chunks.
struct StreamExtent {
    bool ended = false;
    int64_t consumed = 0;
    uint64_t produced = 0;
    uint32_t crc = 0;
};

StreamExtent MeasureStream(const platform::ReadOnlyFile& file, int64_t offset, int64_t end,
                           const std::function<bool()>& keepRunning) {
    StreamExtent extent;
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return extent;
    std::vector<unsigned char> in(kChunk), out(kChunk);
    const uint64_t maxOutput = uint64_t(std::max<int64_t>(end - offset, 0)) * kMaxRatio;
    int64_t fed = 0;
    for (;;) {
        if (!keepRunning()) break;
        if (z.avail_in == 0 && offset + fed < end) {
            const int64_t n = file.ReadAt(offset + fed, in.data(),
                                          std::min<int64_t>(int64_t(kChunk), end - offset - fed));
            if (n <= 0) break;
            z.next_in = in.data();
            z.avail_in = uInt(n);
            fed += n;
        }
        z.next_out = out.data();
        z.avail_out = uInt(out.size());
        const int r = inflate(&z, Z_NO_FLUSH);
        const size_t got = out.size() - z.avail_out;
        extent.crc = Crc32(extent.crc, out.data(), size_t(got));
        extent.produced += got;
        if (r == Z_STREAM_END) {
            extent.ended = true;
            break;
        }
        if (r != Z_OK || extent.produced > maxOutput) break;
    }
    extent.consumed = fed - int64_t(z.avail_in);
    inflateEnd(&z);
    return extent;
}

class OrphanSearch {
public:
    OrphanSearch(const platform::ReadOnlyFile& file, const QStringList& wholeNames,
                 const std::function<bool()>& keepRunning)
        : m_file(file),
          m_length(file.Size()),
          m_wholeNames(wholeNames),
          m_keepRunning(keepRunning) {}

    void Search(const ByteRange& range) {
        const int64_t end = std::min(range.end, m_length);
        if (end - range.begin < kHeaderBytes) return;  // room for no member worth having
        int64_t q = std::max<int64_t>(range.begin, 0);
        while (q < end) {
            if (!Load(q, end) || !m_keepRunning()) return;
            const int64_t blockEnd = std::min(end, m_blockStart + kBlock);
            for (; q < blockEnd; ++q) {
                if (((q - m_blockStart) & 4095) == 0 && !m_keepRunning()) return;
                int64_t next = 0;
                if (SkipRecord(q, end, &next) || TryHeader(q, end, &next) ||
                    TryStream(q, end, &next)) {
                    q = next;
                    break;
                }
            }
        }
    }

    std::vector<OrphanMember> Found() { return std::move(m_found); }

private:
    // Reads the block that holds position `from` (with its overlap).
    bool Load(int64_t from, int64_t end) {
        const int64_t want = std::min(end, from + kBlock + kOverlap) - from;
        m_block.resize(size_t(std::max<int64_t>(want, 0)));
        const int64_t got = want > 0 ? m_file.ReadAt(from, m_block.data(), want) : 0;
        if (got <= 0) return false;
        m_block.resize(size_t(got));
        m_blockStart = from;
        return true;
    }

    const unsigned char* At(int64_t position) const {
        return m_block.data() + (position - m_blockStart);
    }
    int64_t Available(int64_t position) const {
        return m_blockStart + int64_t(m_block.size()) - position;
    }

    bool Keep(OrphanMember member, int64_t* next) {
        *next = std::max(member.dataEnd, member.dataOffset + 1);
        if (m_wholeNames.contains(member.name)) return true;  // never replaces a whole member
        m_found.push_back(std::move(member));
        return true;
    }

    // The central directory, its end record and data descriptors lie in the
    // bytes no member claims in every package: a whole record is passed over
    // at once, so an intact package costs next to nothing.
    bool SkipRecord(int64_t q, int64_t end, int64_t* next) {
        const int64_t available = std::min(Available(q), end - q);
        if (available < 16) return false;
        const unsigned char* p = At(q);
        if (p[0] != 'P' || p[1] != 'K') return false;
        int64_t length = 0;
        if (p[2] == 1 && p[3] == 2 && available >= 46) {
            length = 46 + int64_t(Le16(p + 28)) + Le16(p + 30) + Le16(p + 32);
        } else if (p[2] == 5 && p[3] == 6 && available >= 22) {
            length = 22 + int64_t(Le16(p + 20));
        } else if (p[2] == 7 && p[3] == 8) {
            length = 16;
        } else {
            return false;
        }
        if (length > end - q) return false;
        *next = q + length;
        return true;
    }

    // A local header whose signature has one byte wrong (or none: one the
    // scan jumped over) and whose fields all make sense.
    bool TryHeader(int64_t q, int64_t end, int64_t* next) {
        if (Available(q) < kHeaderBytes) return false;
        const unsigned char* h = At(q);
        static const unsigned char kSignature[4] = {'P', 'K', 3, 4};
        int wrong = 0;
        for (int i = 0; i < 4; ++i) wrong += h[i] != kSignature[i];
        if (wrong > 1) return false;

        const uint16_t version = Le16(h + 4);
        const uint16_t flags = Le16(h + 6);
        const uint16_t method = Le16(h + 8);
        const uint32_t crc = Le32(h + 14);
        const uint32_t compressed = Le32(h + 18);
        const uint32_t size = Le32(h + 22);
        const uint16_t nameLength = Le16(h + 26);
        const uint16_t extraLength = Le16(h + 28);
        if (version > 63 || (flags & ~kAllowedFlags) != 0 || (method != 0 && method != 8))
            return false;
        if (nameLength == 0 || nameLength > kMaxNameBytes || extraLength > kMaxExtraBytes)
            return false;
        if (Available(q) < kHeaderBytes + nameLength) return false;
        const unsigned char* name = h + kHeaderBytes;
        for (int i = 0; i < nameLength; ++i)
            if (name[i] < 0x20 || name[i] == 0x7F || name[i] == '\\') return false;
        if (name[0] == '/' || name[nameLength - 1] == '/') return false;  // folders hold nothing

        OrphanMember member;
        member.found = OrphanMember::Found::DamagedHeader;
        member.name = QString::fromLatin1(reinterpret_cast<const char*>(name), nameLength);
        member.method = method;
        member.headerOffset = q;
        member.dataOffset = q + kHeaderBytes + nameLength + extraLength;
        if (member.dataOffset > m_length) return false;
        const bool sizesLater = (flags & 0x0008) != 0 && compressed == 0 && size == 0;
        if (!sizesLater) {
            // The sizes must fit what the file still holds.
            if (compressed == 0 && size != 0) return false;
            if (member.dataOffset + int64_t(compressed) > m_length) return false;
            if (method == 0 && compressed != size) return false;
            if (method == 8 && uint64_t(size) > uint64_t(compressed) * kMaxRatio) return false;
            member.recorded = {true, size, true, crc};
            member.dataEnd = member.dataOffset + compressed;
            if (method == 8) {
                const StreamExtent extent =
                    MeasureStream(m_file, member.dataOffset, member.dataEnd, m_keepRunning);
                member.streamEnded = extent.ended;
            }
            return Keep(std::move(member), next);
        }
        if (method != 8) return false;  // a stored member cannot do without its sizes
        const StreamExtent extent = MeasureStream(m_file, member.dataOffset, end, m_keepRunning);
        if (extent.consumed == 0) return false;
        member.dataEnd = member.dataOffset + extent.consumed;
        member.streamEnded = extent.ended;
        ReadDescriptor(&member, extent);
        return Keep(std::move(member), next);
    }

    // A Deflate stream starting at `q` that decodes to one of the documents
    // of a package; such a document starts with "<".
    bool TryStream(int64_t q, int64_t end, int64_t* next) {
        const int64_t available = std::min(Available(q), end - q);
        if (available < 8) return false;
        if (salvage::CheckBlockHeader(At(q), size_t(available), 0, 8, '<') ==
            salvage::BlockKind::None)
            return false;
        if (!m_inflater.Start(At(q), size_t(available), 0, false)) return false;
        z_stream& z = m_inflater.Stream();
        unsigned char head[kHeadBytes];
        z.next_out = head;
        z.avail_out = sizeof head;
        int r = Z_OK;
        while (r == Z_OK && z.avail_out > 0) r = inflate(&z, Z_NO_FLUSH);
        if (r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR) return false;
        const QByteArray start(reinterpret_cast<const char*>(head), int(sizeof head - z.avail_out));
        const QString name = MemberNamedByRoot(RootElementOf(start));
        if (name.isEmpty()) return false;

        const StreamExtent extent = MeasureStream(m_file, q, end, m_keepRunning);
        OrphanMember member;
        member.found = OrphanMember::Found::HeaderGone;
        member.name = name;
        member.method = 8;
        member.dataOffset = q;
        member.dataEnd = q + std::max<int64_t>(extent.consumed, 1);
        member.streamEnded = extent.ended;
        ReadDescriptor(&member, extent);
        return Keep(std::move(member), next);
    }

    // A data descriptor right after a stream that ended gives the member's
    // recorded length and CRC-32, if it agrees with what the stream gave.
    void ReadDescriptor(OrphanMember* member, const StreamExtent& extent) {
        if (!extent.ended) return;
        unsigned char d[16] = {};
        if (m_file.ReadAt(member->dataEnd, d, sizeof d) != int64_t(sizeof d)) return;
        if (d[0] != 'P' || d[1] != 'K' || d[2] != 7 || d[3] != 8) return;
        if (Le32(d + 8) != uint32_t(extent.consumed)) return;
        member->recorded = {true, Le32(d + 12), true, Le32(d + 4)};
    }

    const platform::ReadOnlyFile& m_file;
    const int64_t m_length;
    const QStringList& m_wholeNames;
    const std::function<bool()>& m_keepRunning;
    std::vector<unsigned char> m_block;
    int64_t m_blockStart = 0;
    salvage::BitInflater m_inflater;
    std::vector<OrphanMember> m_found;
};

}  // namespace

QString MemberNamedByRoot(const QByteArray& rootElement) {
    if (rootElement == "office:document-content") return "content.xml";
    if (rootElement == "office:document-styles") return "styles.xml";
    if (rootElement == "office:document-meta") return "meta.xml";
    if (rootElement == "office:document-settings") return "settings.xml";
    if (rootElement == "manifest:manifest") return "META-INF/manifest.xml";
    return {};
}

std::vector<OrphanMember> FindOrphanMembers(const platform::ReadOnlyFile& file,
                                            const std::vector<ByteRange>& unclaimed,
                                            const QStringList& wholeNames,
                                            const std::function<bool()>& keepRunning) {
    OrphanSearch search(file, wholeNames, keepRunning);
    for (const ByteRange& range : unclaimed) {
        if (!keepRunning()) break;
        search.Search(range);
    }
    return search.Found();
}
