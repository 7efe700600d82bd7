#include "packaging/member_source.h"

#include <zlib.h>

#include <array>
#include <atomic>

#include "platform/errors.h"
#include "platform/file_stat.h"
#include "recovery/crc32.h"

namespace {

constexpr int kBufferSize = 16384;
constexpr int kDeflateLevel = 8;

// External attribute words: the file type and the owner's permissions sit in
// the high word, the Windows attribute bits in the low byte.
constexpr uint32_t kTypeFolder = 0x40000000;
constexpr uint32_t kTypeFile = 0x80000000;
constexpr uint32_t kOwnerRead = 0x01000000;
constexpr uint32_t kOwnerWrite = 0x00800000;
constexpr uint32_t kOwnerExecute = 0x00400000;
// Member names whose last extension says they are compressed already are stored.
const char* const kStoredExtensions[] = {".Z",   ".zip", ".zoo", ".arc",
                                         ".lzh", ".arj", ".gz",  ".tgz"};

constexpr uint32_t kKeptAttributeBits = platform::kAttrReadOnly | platform::kAttrHidden |
                                        platform::kAttrSystem | platform::kAttrDirectory |
                                        platform::kAttrArchive;

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
uint32_t UnixTimeUncached(platform::CalendarTime t) {
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

// The local-time conversion looks at the zone's file on every call, and a
// member asks for three times that are mostly the same second: the last
// answers are kept, per thread, until the zone is reloaded.
std::atomic<int> g_zoneGeneration{0};

uint32_t UnixTime(int64_t wallClock) {
    struct Kept {
        int generation = -1;
        int64_t wallClock = 0;
        uint32_t seconds = 0;
    };
    thread_local std::array<Kept, 4> kept;
    thread_local size_t next = 0;
    const int generation = g_zoneGeneration.load(std::memory_order_relaxed);
    for (const Kept& k : kept)
        if (k.generation == generation && k.wallClock == wallClock) return k.seconds;
    const uint32_t seconds = UnixTimeUncached(platform::BreakDown(wallClock));
    kept[next] = {generation, wallClock, seconds};
    next = (next + 1) % kept.size();
    return seconds;
}

}  // namespace

void NoteZoneReloaded() {
    g_zoneGeneration.fetch_add(1, std::memory_order_relaxed);
}

ZipResult FailWith(ZipResult code, QString* errorText, const QString& text) {
    if (errorText) *errorText = text;
    return code;
}

ZipResult OpenMemberSource(const QString& memberName, const QString& sourcePath,
                           platform::ReadOnlyFile* source, zip::MemberRecord* m,
                           QString* errorText) {
    QByteArray name;
    name.reserve(memberName.size());
    for (const QChar c : memberName) {
        if (c.unicode() > 0xFF)
            return FailWith(
                kZipBadArguments, errorText,
                "the name " + memberName + " has characters a package name cannot hold");
        name.append(static_cast<char>(c.unicode()));
    }
    if (name.isEmpty()) return FailWith(kZipBadArguments, errorText, "a member has an empty name");
    if (name.size() > zip::kMaxNameBytes)
        return FailWith(kZipBadArguments, errorText,
                        "the name " + memberName + " is longer than " +
                            QString::number(zip::kMaxNameBytes) + " bytes");
    name.replace('\\', '/');

    m->name = name;
    m->method = IsStoredName(name) ? zip::kMethodStored : zip::kMethodDeflated;

    if (const int error = source->Open(sourcePath))
        return FailWith(kZipCannotOpen, errorText,
                        "cannot open " + sourcePath + ": " + platform::ErrorText(error));
    platform::FileStat st;
    if (const int error = platform::StatFile(sourcePath, &st))
        return FailWith(
            kZipCannotOpen, errorText,
            "cannot read the attributes of " + sourcePath + ": " + platform::ErrorText(error));
    if (static_cast<uint64_t>(st.size) > zip::kMaxArchiveBytes)
        return FailWith(kZipBadArguments, errorText,
                        sourcePath + " is 4 GiB or larger, more than a package member can hold");

    // Today's offset turns every file time into local wall-clock time.
    const int64_t offset = platform::LocalTimeOffsetNow();
    DosDateTime(st.modificationTime + offset, &m->dosDate, &m->dosTime);
    m->modificationTime = UnixTime(st.modificationTime + offset);
    m->accessTime = UnixTime(st.accessTime + offset);
    m->creationTime = UnixTime(st.creationTime + offset);
    m->externalAttributes = ExternalAttributes(st.attributes, LooksExecutable(*source, st.size));

    // The provisional header: sizes and CRC follow once the data is written.
    const uint32_t size = static_cast<uint32_t>(st.size);
    m->flags =
        zip::kFlagSizesFollow | (m->method == zip::kMethodDeflated ? zip::kFlagMaxCompression : 0);
    m->compressedSize = m->method == zip::kMethodStored ? size : 0;
    m->uncompressedSize = size;
    return kZipOk;
}

struct MemberCoder::State {
    ~State() {
        if (deflaterReady) deflateEnd(&deflater);
    }
    // Sources are read and compressed output is handed on through fixed
    // buffers, so memory does not grow with the size of a source.
    char input[kBufferSize];
    char output[kBufferSize];
    z_stream deflater{};
    bool deflaterReady = false;

    // Reads the next piece of `source` into the input buffer, moves
    // `position` past it and adds it to `crc`; negative when it cannot be read.
    int64_t ReadNext(const platform::ReadOnlyFile& source, int64_t* position, uLong* crc) {
        const int64_t n = source.ReadAt(*position, input, kBufferSize);
        if (n < 0) return n;
        *position += n;
        *crc = Crc32(uint32_t(*crc), input, size_t(n));
        return n;
    }
};

MemberCoder::MemberCoder() : m_state(new State) {}
MemberCoder::~MemberCoder() = default;

ZipResult MemberCoder::Code(const platform::ReadOnlyFile& source, zip::MemberRecord* m,
                            const MemberDataSink& sink, bool* sinkFailed, QString* errorText) {
    State& s = *m_state;
    *sinkFailed = false;
    const auto hand = [&](const char* data, int64_t count) {
        if (count == 0 || sink(data, count)) return true;
        *sinkFailed = true;
        return false;
    };
    uLong crc = 0;
    int64_t position = 0;

    if (m->method == zip::kMethodStored) {
        for (;;) {
            const int64_t n = s.ReadNext(source, &position, &crc);
            if (n < 0)
                return FailWith(kZipWriteFailed, errorText,
                                "cannot read: " + platform::ErrorText(errno));
            if (n == 0) break;
            if (!hand(s.input, n)) return kZipWriteFailed;
        }
        m->crc = static_cast<uint32_t>(crc);
        m->uncompressedSize = static_cast<uint32_t>(position);
        return kZipOk;
    }

    if (!s.deflaterReady) {
        // Raw deflate (no zlib header), a 32 KiB window; level 8 is zlib's
        // good length 32, lazy match 128, nice length 258, chain 1024. The
        // largest hash table (memory level 9, a fixed few hundred KiB) finds
        // matches faster on picture data than the default.
        if (deflateInit2(&s.deflater, kDeflateLevel, Z_DEFLATED, -MAX_WBITS, MAX_MEM_LEVEL,
                         Z_DEFAULT_STRATEGY) != Z_OK)
            return FailWith(kZipWriteFailed, errorText, "the compressor cannot be started");
        s.deflaterReady = true;
    } else if (deflateReset(&s.deflater) != Z_OK) {
        return FailWith(kZipWriteFailed, errorText, "the compressor cannot be restarted");
    }

    int status = Z_OK;
    for (;;) {
        const int64_t n = s.ReadNext(source, &position, &crc);
        if (n < 0)
            return FailWith(kZipWriteFailed, errorText,
                            "cannot read: " + platform::ErrorText(errno));
        const int flush = n == 0 ? Z_FINISH : Z_NO_FLUSH;
        s.deflater.next_in = reinterpret_cast<Bytef*>(s.input);
        s.deflater.avail_in = static_cast<uInt>(n);
        do {
            s.deflater.next_out = reinterpret_cast<Bytef*>(s.output);
            s.deflater.avail_out = kBufferSize;
            status = deflate(&s.deflater, flush);
            if (status == Z_STREAM_ERROR)
                return FailWith(kZipWriteFailed, errorText, "the compressor failed");
            if (!hand(s.output, kBufferSize - s.deflater.avail_out)) return kZipWriteFailed;
        } while (s.deflater.avail_out == 0);
        if (flush == Z_FINISH) break;
    }
    if (status != Z_STREAM_END)
        return FailWith(kZipWriteFailed, errorText, "the compressor failed");
    m->crc = static_cast<uint32_t>(crc);
    m->uncompressedSize = static_cast<uint32_t>(position);
    return kZipOk;
}
