#include "recovery/entry_scanner.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/errors.h"
#include "platform/files.h"
#include "recovery/job_view.h"
#include "recovery/member_records.h"

namespace {

constexpr int kWindowBytes = 4;
constexpr int kHeaderFieldBytes = 26;      // version .. extra field length
constexpr int kDescriptorFieldBytes = 12;  // CRC-32, compressed and uncompressed size
constexpr int kMaxNameChars = 1023;        // what fits the record with its terminating zero
constexpr uint16_t kMethodDeflate = 8;
constexpr uint32_t kZip64Marker = 0xFFFFFFFF;  // "the size is in the zip64 extra field"
constexpr uint16_t kZip64ExtraId = 0x0001;

uint16_t Le16(const unsigned char* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
uint32_t Le32(const unsigned char* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Reads up to `count` bytes at `offset`, never past `length`, into `buffer`,
// which the caller has zeroed: a field cut short by the end of the file keeps
// the bytes that were there and zero for the rest. Returns the bytes the file
// position moves by, which is what a sequential reader would have consumed.
int64_t ReadField(const platform::ReadOnlyFile& file, int64_t length, int64_t offset, void* buffer,
                  int64_t count) {
    const int64_t n = std::clamp<int64_t>(length - offset, 0, count);
    if (n > 0) file.ReadAt(offset, buffer, n);
    return n;
}

enum class Found { Header, Descriptor, Nothing, Stopped };

// Finds the next four-byte window holding a signature. A window starts at
// every byte position whose four bytes lie within the file, in turn; the
// block keeps the last three bytes of the previous one so no window is lost
// at a block boundary.
class SignatureFinder {
public:
    SignatureFinder(const platform::ReadOnlyFile& file, int64_t length, size_t blockSize,
                    const std::function<bool()>& keepRunning)
        : m_file(file),
          m_length(length),
          m_blockSize(std::max<int64_t>(int64_t(blockSize), kWindowBytes)),
          m_keepRunning(keepRunning) {}

    // The first window at `from` or later that is a local header, or also a
    // data descriptor when `descriptorsToo` is set.
    Found Next(int64_t from, bool descriptorsToo, int64_t* at) {
        for (;;) {
            if (!m_keepRunning()) return Found::Stopped;
            if (from + kWindowBytes > m_length) return Found::Nothing;
            if (from < m_blockStart || from + kWindowBytes > m_blockStart + m_blockBytes) {
                if (!Load(from)) return Found::Nothing;
            }
            const unsigned char* base = m_block.data();
            const int64_t last = m_blockBytes - kWindowBytes;  // last window inside the block
            int64_t i = from - m_blockStart;
            while (i <= last) {
                const void* p = std::memchr(base + i, 'P', size_t(last - i + 1));
                if (!p) break;
                i = static_cast<const unsigned char*>(p) - base;
                if (base[i + 1] == 'K') {
                    if (base[i + 2] == 3 && base[i + 3] == 4) {
                        *at = m_blockStart + i;
                        return Found::Header;
                    }
                    if (descriptorsToo && base[i + 2] == 7 && base[i + 3] == 8) {
                        *at = m_blockStart + i;
                        return Found::Descriptor;
                    }
                }
                ++i;
            }
            from = m_blockStart + last + 1;
        }
    }

private:
    bool Load(int64_t from) {
        const int64_t want = std::min(m_blockSize, m_length - from);
        if (int64_t(m_block.size()) < want) m_block.resize(size_t(want));
        const int64_t got = m_file.ReadAt(from, m_block.data(), want);
        m_blockStart = from;
        m_blockBytes = std::max<int64_t>(got, 0);
        return m_blockBytes >= kWindowBytes;
    }

    const platform::ReadOnlyFile& m_file;
    const int64_t m_length;
    const int64_t m_blockSize;
    const std::function<bool()>& m_keepRunning;
    std::vector<unsigned char> m_block;
    int64_t m_blockStart = 0;
    int64_t m_blockBytes = 0;
};

// A member written with zip64 sizes keeps 0xFFFFFFFF in its header and the
// real sizes in the zip64 extra field: first the uncompressed size, then the
// compressed size, each present only when its header field holds the marker.
// Returns false when the extra field has no such record.
bool ReadZip64Sizes(const platform::ReadOnlyFile& file, int64_t length, int64_t extraStart,
                    uint16_t extraLength, bool wantUncompressed, bool wantCompressed,
                    uint64_t* uncompressed, uint64_t* compressed) {
    std::vector<unsigned char> extra(extraLength);
    const int64_t got = ReadField(file, length, extraStart, extra.data(), extraLength);
    for (int64_t at = 0; at + 4 <= got;) {
        const uint16_t id = Le16(extra.data() + at);
        const uint16_t size = Le16(extra.data() + at + 2);
        at += 4;
        if (id == kZip64ExtraId) {
            const int need = (wantUncompressed ? 8 : 0) + (wantCompressed ? 8 : 0);
            if (size < need || at + need > got) return false;
            const auto le64 = [&](int64_t p) {
                return uint64_t(Le32(extra.data() + p)) |
                       (uint64_t(Le32(extra.data() + p + 4)) << 32);
            };
            if (wantUncompressed) {
                *uncompressed = le64(at);
                at += 8;
            }
            if (wantCompressed) *compressed = le64(at);
            return true;
        }
        at += size;
    }
    return false;
}

// The stored name, one character per byte up to the first zero byte, with
// "/" turned into "\" as the entry table keeps it.
QString ConvertName(const unsigned char* bytes, int64_t count) {
    const auto* end = static_cast<const unsigned char*>(std::memchr(bytes, 0, size_t(count)));
    const int64_t used = end ? end - bytes : count;
    QString name = QString::fromLatin1(reinterpret_cast<const char*>(bytes), int(used));
    name.replace('/', '\\');
    return name;
}

}  // namespace

bool WalkLocalHeaders(const platform::ReadOnlyFile& file, const std::function<bool()>& keepRunning,
                      const std::function<void(const LocalHeaderRecord&)>& onHeader,
                      size_t blockSize) {
    const int64_t length = file.Size();
    SignatureFinder finder(file, length, blockSize, keepRunning);
    // `position` is where a reader that moves byte by byte would stand: each
    // window is read starting three bytes before it, so the windows examined
    // are `position` - 3, `position` - 2, ... (from 0 at the very start).
    int64_t position = 0;
    while (position < length) {
        const int64_t from = position >= 3 ? position - 3 : position;
        int64_t header = 0;
        const Found found = finder.Next(from, false, &header);
        if (found == Found::Stopped) return false;
        if (found != Found::Header) break;

        LocalHeaderRecord record;
        record.headerOffset = header;
        unsigned char fields[kHeaderFieldBytes] = {};
        position = header + kWindowBytes;
        position += ReadField(file, length, position, fields, kHeaderFieldBytes);
        const uint16_t method = Le16(fields + 4);
        record.flags = Le16(fields + 2);
        record.method = method;
        record.headerCrc = Le32(fields + 10);
        uint32_t compressedSize = Le32(fields + 14);
        uint32_t uncompressedSize = Le32(fields + 18);
        const uint16_t nameLength = Le16(fields + 22);
        const uint16_t extraLength = Le16(fields + 24);

        // Only the first characters that fit the record are kept; the reader
        // still moves over the whole name.
        unsigned char nameBytes[kMaxNameChars] = {};
        const int64_t nameRead = ReadField(file, length, position, nameBytes,
                                           std::min<int64_t>(nameLength, kMaxNameChars));
        const QString name = ConvertName(nameBytes, nameRead);
        const int64_t extraStart = std::min<int64_t>(position + nameLength, length);

        // Without this, the marker would be taken for a 4 GiB member that
        // swallows the rest of the file and every member after it.
        uint64_t dataBytes = compressedSize;
        bool tooLarge = false;
        if (compressedSize == kZip64Marker || uncompressedSize == kZip64Marker) {
            uint64_t uncompressed64 = uncompressedSize, compressed64 = compressedSize;
            if (ReadZip64Sizes(file, length, extraStart, extraLength,
                               uncompressedSize == kZip64Marker, compressedSize == kZip64Marker,
                               &uncompressed64, &compressed64)) {
                dataBytes = compressed64;
                // A member of 4 GiB or more does not fit the record: it is
                // stepped over, so the members after it are still found.
                tooLarge = compressed64 > 0xFFFFFFFFull || uncompressed64 > 0xFFFFFFFFull;
                compressedSize = uint32_t(compressed64);
                uncompressedSize = uint32_t(uncompressed64);
            }
        }

        // A Deflate member written with a data descriptor has its sizes after
        // its data; another local header first means there is none.
        if (compressedSize == 0 && uncompressedSize == 0 && method == kMethodDeflate) {
            int64_t descriptor = 0;
            const Found search = finder.Next(extraStart - 3, true, &descriptor);
            if (search == Found::Stopped) return false;
            if (search == Found::Descriptor) {
                unsigned char sizes[kDescriptorFieldBytes] = {};
                ReadField(file, length, descriptor + kWindowBytes, sizes, kDescriptorFieldBytes);
                record.descriptorFound = true;
                record.descriptorOffset = descriptor;
                record.descriptorCrc = Le32(sizes);
                compressedSize = Le32(sizes + 4);
                uncompressedSize = Le32(sizes + 8);
                dataBytes = compressedSize;
            }
        }

        EntryInfo& entry = record.entry;
        entry.compressedSize = compressedSize;
        entry.uncompressedSize = uncompressedSize;
        entry.name = name;
        entry.dataOffset = uint64_t(extraStart + extraLength);
        // Folder entries, empty members and Deflate members without sizes are left out.
        record.kept =
            (compressedSize != 0 || uncompressedSize != 0) && !name.isEmpty() && !tooLarge;
        onHeader(record);

        // Skip the member's data so that headers inside stored data are not
        // taken for members; the move may pass the end of the file.
        if (dataBytes >= uint64_t(length)) break;
        position = int64_t(entry.dataOffset) + int64_t(dataBytes);
    }
    return true;
}

bool WalkEntries(const platform::ReadOnlyFile& file, const std::function<bool()>& keepRunning,
                 const std::function<void(const EntryInfo&)>& onEntry, size_t blockSize) {
    return WalkLocalHeaders(
        file, keepRunning,
        [&onEntry](const LocalHeaderRecord& record) {
            if (record.kept) onEntry(record.entry);
        },
        blockSize);
}

int ScanPackage(const QString& packagePath, JobParams* params) {
    JobView* view = params->view;
    platform::ReadOnlyFile file;
    params->scanCutShort = false;
    if (const int error = file.Open(packagePath); error != 0) {
        view->ShowFileError(packagePath, error);
        return 0;
    }
    view->AppendLog(packagePath + " file is open....\r\n", kLogBlack);

    const std::atomic<int>& running = params->mainWnd->RunningFlag();
    MemberRecords* records = params->memberRecords;
    if (records) records->headers.clear();
    params->scanCutShort = !WalkLocalHeaders(
        file, [&running] { return running.load(std::memory_order_relaxed) != 0; },
        [view, records](const LocalHeaderRecord& record) {
            if (records) records->headers.push_back(record);
            if (record.kept) view->AppendEntry(record.entry);
        });

    view->AppendLog(packagePath + " file is extracted....\r\n", kLogBlack);
    file.Close();
    view->AppendLog(packagePath + " file is closed....\r\n", kLogBlack);
    return 1;
}
