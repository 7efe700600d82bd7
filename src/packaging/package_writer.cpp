#include "packaging/package_writer.h"

#include <zlib.h>

#include <vector>

#include "platform/errors.h"
#include "platform/file_stat.h"
#include "platform/files.h"

namespace {

constexpr int kBufferSize = 16384;
constexpr int kMaxNameBytes = 259;
constexpr uint64_t kMaxArchiveBytes = 0xFFFFFFFFull;  // offsets and sizes are 32-bit

constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint16_t kVersionMadeBy = 0x0B17;
constexpr uint16_t kVersionNeeded = 20;
constexpr uint16_t kFlagSizesFollow = 0x0008;     // set only in the provisional local header
constexpr uint16_t kFlagMaxCompression = 0x0002;  // deflate at level 8
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
constexpr int kDeflateLevel = 8;
constexpr int kLocalHeaderSize = 30;
constexpr int kLocalExtraSize = 17;
constexpr int kCentralHeaderSize = 46;
constexpr int kCentralExtraSize = 9;
constexpr int kEndRecordSize = 22;
constexpr uint16_t kExtendedTimestampId = 0x5455;  // "UT"
constexpr uint8_t kAllThreeTimes = 0x07;

// External attribute words: the file type and the owner's permissions sit in
// the high word, the Windows attribute bits in the low byte.
constexpr uint32_t kTypeFolder = 0x40000000;
constexpr uint32_t kTypeFile = 0x80000000;
constexpr uint32_t kOwnerRead = 0x01000000;
constexpr uint32_t kOwnerWrite = 0x00800000;
constexpr uint32_t kOwnerExecute = 0x00400000;
constexpr uint32_t kKeptAttributeBits = platform::kAttrReadOnly | platform::kAttrHidden |
                                        platform::kAttrSystem | platform::kAttrDirectory |
                                        platform::kAttrArchive;

// Member names whose last extension says they are compressed already are stored.
const char* const kStoredExtensions[] = {".Z",   ".zip", ".zoo", ".arc",
                                         ".lzh", ".arj", ".gz",  ".tgz"};

struct MemberRecord {
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t dosTime = 0;
    uint16_t dosDate = 0;
    uint32_t crc = 0;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    QByteArray name;
    uint32_t modificationTime = 0;  // the central extra field carries only this one
    uint32_t accessTime = 0;
    uint32_t creationTime = 0;
    uint32_t externalAttributes = 0;
    uint32_t offset = 0;
};

class Bytes {
public:
    void U8(uint8_t v) { m_data.append(static_cast<char>(v)); }
    void U16(uint16_t v) {
        U8(v & 0xFF);
        U8(v >> 8);
    }
    void U32(uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void Append(const QByteArray& bytes) { m_data.append(bytes); }
    const QByteArray& Data() const { return m_data; }

private:
    QByteArray m_data;
};

// The fields both headers share, from the flags to the name length.
void PutMemberFields(Bytes* b, const MemberRecord& m) {
    b->U16(m.flags);
    b->U16(m.method);
    b->U16(m.dosTime);
    b->U16(m.dosDate);
    b->U32(m.crc);
    b->U32(m.compressedSize);
    b->U32(m.uncompressedSize);
    b->U16(static_cast<uint16_t>(m.name.size()));
}

// The start of an extended timestamp extra field of `extraSize` bytes in all,
// up to and including the modification time.
void PutTimestampStart(Bytes* b, int extraSize, const MemberRecord& m) {
    b->U16(kExtendedTimestampId);
    b->U16(static_cast<uint16_t>(extraSize - 4));
    b->U8(kAllThreeTimes);
    b->U32(m.modificationTime);
}

QByteArray LocalHeader(const MemberRecord& m) {
    Bytes b;
    b.U32(kLocalSignature);
    b.U16(kVersionNeeded);
    PutMemberFields(&b, m);
    b.U16(kLocalExtraSize);
    b.Append(m.name);
    PutTimestampStart(&b, kLocalExtraSize, m);
    b.U32(m.accessTime);
    b.U32(m.creationTime);
    return b.Data();
}

QByteArray CentralHeader(const MemberRecord& m) {
    Bytes b;
    b.U32(kCentralSignature);
    b.U16(kVersionMadeBy);
    b.U16(kVersionNeeded);
    PutMemberFields(&b, m);
    b.U16(kCentralExtraSize);
    b.U16(0);  // comment length
    b.U16(0);  // disk number start
    b.U16(0);  // internal attributes
    b.U32(m.externalAttributes);
    b.U32(m.offset);
    b.Append(m.name);
    // The flags still announce all three times although only one follows.
    PutTimestampStart(&b, kCentralExtraSize, m);
    return b.Data();
}

QByteArray EndRecord(uint32_t count, uint32_t directorySize, uint32_t directoryOffset) {
    Bytes b;
    b.U32(kEndSignature);
    b.U16(0);
    b.U16(0);
    b.U16(static_cast<uint16_t>(count));
    b.U16(static_cast<uint16_t>(count));
    b.U32(directorySize);
    b.U32(directoryOffset);
    b.U16(0);
    return b.Data();
}

bool EqualsIgnoringAsciiCase(const char* a, const char* b, int length) {
    for (int i = 0; i < length; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

bool IsStoredName(const QByteArray& name) {
    const int dot = name.lastIndexOf('.');
    if (dot < 0) return false;
    const int length = static_cast<int>(name.size()) - dot;
    for (const char* extension : kStoredExtensions) {
        if (static_cast<int>(qstrlen(extension)) == length &&
            EqualsIgnoringAsciiCase(name.constData() + dot, extension, length))
            return true;
    }
    return false;
}

uint32_t ReadU32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// A source that looks like a Windows executable (by the writer's own test,
// which expects 0x54AD where executables start with 0x5A4D) is marked executable.
bool LooksExecutable(const platform::ReadOnlyFile& source, int64_t size) {
    if (size <= 40) return false;
    unsigned char magic[2], position[4], signature[4];
    if (source.ReadAt(0, magic, 2) != 2 || source.ReadAt(36, position, 4) != 4) return false;
    if ((magic[0] | (magic[1] << 8)) != 0x54AD) return false;
    const uint64_t v = ReadU32(position);
    if (v + 52 >= static_cast<uint64_t>(size)) return false;
    if (source.ReadAt(static_cast<int64_t>(v), signature, 4) != 4) return false;
    const uint32_t s = ReadU32(signature);
    return s == 0x5A4D || s == 0x454E || s == 0x454C || s == 0x4550;
}

uint32_t ExternalAttributes(uint32_t attributes, bool executable) {
    uint32_t word = attributes & kKeptAttributeBits;
    word |= (attributes & platform::kAttrDirectory) ? kTypeFolder : kTypeFile;
    word |= kOwnerRead;
    if (!(attributes & platform::kAttrReadOnly)) word |= kOwnerWrite;
    if (executable) word |= kOwnerExecute;
    return word;
}

// MS-DOS date and time of a wall-clock moment, two-second resolution. The
// encoding holds 1980 to 2107; moments outside are pinned to its ends.
void DosDateTime(int64_t wallClock, uint16_t* dosDate, uint16_t* dosTime) {
    platform::CalendarTime t = platform::BreakDown(wallClock);
    if (t.year < 1980) t = {1980, 1, 1, 0, 0, 0};
    if (t.year > 2107) t = {2107, 12, 31, 23, 59, 58};
    *dosDate = static_cast<uint16_t>(((t.year - 1980) << 9) | (t.month << 5) | t.day);
    *dosTime = static_cast<uint16_t>((t.hour << 11) | (t.minute << 5) | (t.second / 2));
}

// Seconds since 1970 as the local-time conversion gives them for a wall-clock
// moment, the year kept within 1970..2037 and the time of day kept as it is.
uint32_t UnixTime(int64_t wallClock) {
    platform::CalendarTime t = platform::BreakDown(wallClock);
    if (t.year < 1970) {
        t.year = 1970;
        t.month = 1;
        t.day = 1;
    } else if (t.year >= 2038) {
        t.year = 2037;
        t.month = 12;
        t.day = 31;
    }
    return static_cast<uint32_t>(platform::StandardLocalTimeToSeconds(t));
}

ZipResult Fail(ZipResult code, QString* errorText, const QString& text) {
    if (errorText) *errorText = text;
    return code;
}

}  // namespace

class PackageWriter {
public:
    ~PackageWriter() {
        if (m_deflaterReady) deflateEnd(&m_deflater);
    }

    int Create(const QString& path) {
        m_path = path;
        return m_file.Create(path);
    }
    ZipResult Add(const QString& memberName, const QString& sourcePath, QString* errorText);
    ZipResult Close(QString* errorText);

private:
    // Writes all of `data` at the end; false when it is not written completely.
    bool Append(const char* data, int64_t count) {
        const int64_t done = m_file.Write(data, count);
        m_written += static_cast<uint64_t>(done);
        if (done == count) return true;
        m_writeErrno = errno;
        return false;
    }
    bool Append(const QByteArray& bytes) { return Append(bytes.constData(), bytes.size()); }
    // Appends member data and counts in `dataBytes` what reached the file.
    bool AppendData(const char* data, int64_t count, uint64_t* dataBytes) {
        const uint64_t before = m_written;
        const bool complete = Append(data, count);
        *dataBytes += m_written - before;
        return complete;
    }
    // Reads the next piece of `source` into the input buffer, moves `position`
    // past it and adds it to `crc`; negative when it cannot be read.
    int64_t ReadNext(const platform::ReadOnlyFile& source, int64_t* position, uLong* crc) {
        const int64_t n = source.ReadAt(*position, m_input, kBufferSize);
        if (n < 0) return n;
        *position += n;
        *crc = crc32(*crc, reinterpret_cast<const Bytef*>(m_input), static_cast<uInt>(n));
        return n;
    }
    ZipResult CopyStored(const platform::ReadOnlyFile& source, MemberRecord* m, uint64_t* dataBytes,
                         QString* errorText);
    ZipResult CopyDeflated(const platform::ReadOnlyFile& source, MemberRecord* m,
                           uint64_t* dataBytes, QString* errorText);
    QString WriteError() const {
        return "cannot write " + m_path + ": " + platform::ErrorText(m_writeErrno);
    }

    QString m_path;
    platform::WriteFile m_file;
    uint64_t m_written = 0;  // every byte written to the archive so far
    int m_writeErrno = 0;
    std::vector<MemberRecord> m_members;
    // Sources are read and compressed output is flushed through fixed buffers,
    // so memory does not grow with the size of a source.
    char m_input[kBufferSize];
    char m_output[kBufferSize];
    z_stream m_deflater{};
    bool m_deflaterReady = false;
};

ZipResult PackageWriter::Add(const QString& memberName, const QString& sourcePath,
                             QString* errorText) {
    QByteArray name;
    name.reserve(memberName.size());
    for (const QChar c : memberName) {
        if (c.unicode() > 0xFF)
            return Fail(kZipBadArguments, errorText,
                        "the name " + memberName + " has characters a package name cannot hold");
        name.append(static_cast<char>(c.unicode()));
    }
    if (name.isEmpty()) return Fail(kZipBadArguments, errorText, "a member has an empty name");
    if (name.size() > kMaxNameBytes)
        return Fail(kZipBadArguments, errorText,
                    "the name " + memberName + " is longer than " + QString::number(kMaxNameBytes) +
                        " bytes");
    name.replace('\\', '/');

    MemberRecord m;
    m.name = name;
    m.method = IsStoredName(name) ? kMethodStored : kMethodDeflated;

    platform::ReadOnlyFile source;
    if (const int error = source.Open(sourcePath))
        return Fail(kZipCannotOpen, errorText,
                    "cannot open " + sourcePath + ": " + platform::ErrorText(error));
    platform::FileStat st;
    if (const int error = platform::StatFile(sourcePath, &st))
        return Fail(
            kZipCannotOpen, errorText,
            "cannot read the attributes of " + sourcePath + ": " + platform::ErrorText(error));
    if (static_cast<uint64_t>(st.size) > kMaxArchiveBytes)
        return Fail(kZipBadArguments, errorText,
                    sourcePath + " is 4 GiB or larger, more than a package member can hold");

    // Today's offset turns every file time into local wall-clock time.
    const int64_t offset = platform::LocalTimeOffsetNow();
    DosDateTime(st.modificationTime + offset, &m.dosDate, &m.dosTime);
    m.modificationTime = UnixTime(st.modificationTime + offset);
    m.accessTime = UnixTime(st.accessTime + offset);
    m.creationTime = UnixTime(st.creationTime + offset);
    m.externalAttributes = ExternalAttributes(st.attributes, LooksExecutable(source, st.size));

    // The provisional header: sizes and CRC follow once the data is written.
    const uint32_t size = static_cast<uint32_t>(st.size);
    m.flags = kFlagSizesFollow | (m.method == kMethodDeflated ? kFlagMaxCompression : 0);
    m.compressedSize = m.method == kMethodStored ? size : 0;
    m.uncompressedSize = size;
    m.offset = static_cast<uint32_t>(m_written);
    const uint64_t headerOffset = m_written;
    const QByteArray provisional = LocalHeader(m);
    if (!Append(provisional)) return Fail(kZipWriteFailed, errorText, WriteError());

    uint64_t dataBytes = 0;
    const ZipResult copied = m.method == kMethodStored
                                 ? CopyStored(source, &m, &dataBytes, errorText)
                                 : CopyDeflated(source, &m, &dataBytes, errorText);
    source.Close();
    if (copied != kZipOk) return copied;
    if (m_written > kMaxArchiveBytes)
        return Fail(kZipWriteFailed, errorText,
                    "the package would reach 4 GiB, more than a package can hold");

    m.flags &= ~kFlagSizesFollow;
    m.compressedSize = static_cast<uint32_t>(dataBytes);
    const QByteArray final = LocalHeader(m);
    if (m_file.WriteAt(static_cast<int64_t>(headerOffset), final.constData(), final.size()) !=
        final.size()) {
        m_writeErrno = errno;
        return Fail(kZipWriteFailed, errorText, WriteError());
    }
    m_members.push_back(std::move(m));
    return kZipOk;
}

ZipResult PackageWriter::CopyStored(const platform::ReadOnlyFile& source, MemberRecord* m,
                                    uint64_t* dataBytes, QString* errorText) {
    uLong crc = crc32(0, nullptr, 0);
    int64_t position = 0;
    for (;;) {
        const int64_t n = ReadNext(source, &position, &crc);
        if (n < 0)
            return Fail(kZipWriteFailed, errorText, "cannot read: " + platform::ErrorText(errno));
        if (n == 0) break;
        if (!AppendData(m_input, n, dataBytes))
            return Fail(kZipWriteFailed, errorText, WriteError());
    }
    m->crc = static_cast<uint32_t>(crc);
    m->uncompressedSize = static_cast<uint32_t>(position);
    return kZipOk;
}

ZipResult PackageWriter::CopyDeflated(const platform::ReadOnlyFile& source, MemberRecord* m,
                                      uint64_t* dataBytes, QString* errorText) {
    if (!m_deflaterReady) {
        // Raw deflate (no zlib header), a 32 KiB window; level 8 is zlib's
        // good length 32, lazy match 128, nice length 258, chain 1024. The
        // largest hash table (memory level 9, a fixed few hundred KiB) finds
        // matches faster on picture data than the default.
        if (deflateInit2(&m_deflater, kDeflateLevel, Z_DEFLATED, -MAX_WBITS, MAX_MEM_LEVEL,
                         Z_DEFAULT_STRATEGY) != Z_OK)
            return Fail(kZipWriteFailed, errorText, "the compressor cannot be started");
        m_deflaterReady = true;
    } else if (deflateReset(&m_deflater) != Z_OK) {
        return Fail(kZipWriteFailed, errorText, "the compressor cannot be restarted");
    }

    uLong crc = crc32(0, nullptr, 0);
    int64_t position = 0;
    int status = Z_OK;
    for (;;) {
        const int64_t n = ReadNext(source, &position, &crc);
        if (n < 0)
            return Fail(kZipWriteFailed, errorText, "cannot read: " + platform::ErrorText(errno));
        const int flush = n == 0 ? Z_FINISH : Z_NO_FLUSH;
        m_deflater.next_in = reinterpret_cast<Bytef*>(m_input);
        m_deflater.avail_in = static_cast<uInt>(n);
        do {
            m_deflater.next_out = reinterpret_cast<Bytef*>(m_output);
            m_deflater.avail_out = kBufferSize;
            status = deflate(&m_deflater, flush);
            if (status == Z_STREAM_ERROR)
                return Fail(kZipWriteFailed, errorText, "the compressor failed");
            const int64_t have = kBufferSize - m_deflater.avail_out;
            if (!AppendData(m_output, have, dataBytes))
                return Fail(kZipWriteFailed, errorText, WriteError());
        } while (m_deflater.avail_out == 0);
        if (flush == Z_FINISH) break;
    }
    if (status != Z_STREAM_END) return Fail(kZipWriteFailed, errorText, "the compressor failed");
    m->crc = static_cast<uint32_t>(crc);
    m->uncompressedSize = static_cast<uint32_t>(position);
    return kZipOk;
}

ZipResult PackageWriter::Close(QString* errorText) {
    const uint64_t directoryOffset = m_written;
    bool complete = true;
    uint64_t directorySize = 0;
    for (const MemberRecord& m : m_members) {
        directorySize += kCentralHeaderSize + m.name.size() + kCentralExtraSize;
        if (!complete) continue;
        complete = Append(CentralHeader(m));
    }
    QString reason;
    if (!complete) reason = WriteError();
    if (complete) {
        complete = Append(EndRecord(static_cast<uint32_t>(m_members.size()),
                                    static_cast<uint32_t>(directorySize),
                                    static_cast<uint32_t>(directoryOffset)));
        if (!complete) reason = WriteError();
    }
    if (complete && m_written > kMaxArchiveBytes) {
        complete = false;
        reason = "the package would reach 4 GiB, more than a package can hold";
    }
    m_file.Close();
    return complete ? kZipOk : Fail(kZipWriteFailed, errorText, reason);
}

PackageWriter* CreatePackage(const QString& path) {
    return CreatePackage(path, nullptr);
}

PackageWriter* CreatePackage(const QString& path, QString* errorText) {
    // The zone may have changed since the last package.
    platform::ReloadTimeZone();
    auto* writer = new PackageWriter;
    if (const int error = writer->Create(path)) {
        delete writer;
        Fail(kZipCannotOpen, errorText,
             "cannot create " + path + ": " + platform::ErrorText(error));
        return nullptr;
    }
    return writer;
}

ZipResult AddPackageFile(PackageWriter* writer, const QString& memberName,
                         const QString& sourcePath) {
    return AddPackageFile(writer, memberName, sourcePath, nullptr);
}

ZipResult AddPackageFile(PackageWriter* writer, const QString& memberName,
                         const QString& sourcePath, QString* errorText) {
    if (!writer) return Fail(kZipBadArguments, errorText, "no package is open");
    return writer->Add(memberName, sourcePath, errorText);
}

ZipResult ClosePackage(PackageWriter* writer) {
    return ClosePackage(writer, nullptr);
}

ZipResult ClosePackage(PackageWriter* writer, QString* errorText) {
    if (!writer) return Fail(kZipBadArguments, errorText, "no package is open");
    const ZipResult result = writer->Close(errorText);
    delete writer;
    return result;
}
