#include "packaging/zip_layout_reader.h"

#include <zlib.h>

namespace ziptest {

uint16_t U16(const QByteArray& b, int64_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b.at(at)) |
                                 (static_cast<uint8_t>(b.at(at + 1)) << 8));
}

uint32_t U32(const QByteArray& b, int64_t at) {
    return U16(b, at) | (uint32_t(U16(b, at + 2)) << 16);
}

Archive Parse(const QByteArray& b) {
    Archive a;
    const int64_t size = b.size();
    if (size < 22) {
        a.error = "shorter than an end record";
        return a;
    }
    EndRecord& e = a.end;
    e.offset = size - 22;
    e.signature = U32(b, e.offset);
    e.disk = U16(b, e.offset + 4);
    e.directoryDisk = U16(b, e.offset + 6);
    e.entriesOnDisk = U16(b, e.offset + 8);
    e.totalEntries = U16(b, e.offset + 10);
    e.directorySize = U32(b, e.offset + 12);
    e.directoryOffset = U32(b, e.offset + 16);
    e.commentLength = U16(b, e.offset + 20);
    if (e.signature != 0x06054B50) {
        a.error = "no end record in the last 22 bytes";
        return a;
    }
    if (int64_t(e.directoryOffset) + e.directorySize != e.offset) {
        a.error = "the central directory does not end at the end record";
        return a;
    }

    int64_t at = e.directoryOffset;
    while (at < e.offset) {
        if (at + 46 > e.offset) {
            a.error = "a central header runs into the end record";
            return a;
        }
        CentralHeader c;
        c.offset = at;
        c.signature = U32(b, at);
        c.versionMadeBy = U16(b, at + 4);
        c.versionNeeded = U16(b, at + 6);
        c.flags = U16(b, at + 8);
        c.method = U16(b, at + 10);
        c.dosTime = U16(b, at + 12);
        c.dosDate = U16(b, at + 14);
        c.crc = U32(b, at + 16);
        c.compressedSize = U32(b, at + 20);
        c.uncompressedSize = U32(b, at + 24);
        const uint16_t nameLength = U16(b, at + 28);
        const uint16_t extraLength = U16(b, at + 30);
        c.commentLength = U16(b, at + 32);
        c.diskStart = U16(b, at + 34);
        c.internalAttributes = U16(b, at + 36);
        c.externalAttributes = U32(b, at + 38);
        c.localOffset = U32(b, at + 42);
        c.name = b.mid(at + 46, nameLength);
        c.extra = b.mid(at + 46 + nameLength, extraLength);
        if (c.signature != 0x02014B50) {
            a.error = "bad central header signature";
            return a;
        }
        at += 46 + nameLength + extraLength + c.commentLength;
        a.centrals.push_back(c);
    }

    at = 0;
    while (at < e.directoryOffset) {
        if (at + 30 > e.directoryOffset) {
            a.error = "a local header runs into the central directory";
            return a;
        }
        LocalHeader l;
        l.offset = at;
        l.signature = U32(b, at);
        l.versionNeeded = U16(b, at + 4);
        l.flags = U16(b, at + 6);
        l.method = U16(b, at + 8);
        l.dosTime = U16(b, at + 10);
        l.dosDate = U16(b, at + 12);
        l.crc = U32(b, at + 14);
        l.compressedSize = U32(b, at + 18);
        l.uncompressedSize = U32(b, at + 22);
        const uint16_t nameLength = U16(b, at + 26);
        const uint16_t extraLength = U16(b, at + 28);
        l.name = b.mid(at + 30, nameLength);
        l.extra = b.mid(at + 30 + nameLength, extraLength);
        l.dataOffset = at + 30 + nameLength + extraLength;
        if (l.signature != 0x04034B50) {
            a.error = "bad local header signature";
            return a;
        }
        at = l.dataOffset + l.compressedSize;
        a.locals.push_back(l);
    }
    if (at != e.directoryOffset) a.error = "the last member overlaps the central directory";
    return a;
}

QByteArray MemberData(const QByteArray& bytes, const LocalHeader& local, bool* ok) {
    const QByteArray raw = bytes.mid(local.dataOffset, local.compressedSize);
    *ok = raw.size() == int64_t(local.compressedSize);
    if (local.method == 0 || !*ok) return raw;
    QByteArray out;
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) {
        *ok = false;
        return out;
    }
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.constData()));
    z.avail_in = static_cast<uInt>(raw.size());
    char chunk[65536];
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(chunk);
        z.avail_out = sizeof chunk;
        status = inflate(&z, Z_NO_FLUSH);
        out.append(chunk, int(sizeof chunk - z.avail_out));
        if (status == Z_BUF_ERROR && z.avail_in == 0) break;
    }
    *ok = status == Z_STREAM_END && z.avail_in == 0;
    inflateEnd(&z);
    return out;
}

}  // namespace ziptest
