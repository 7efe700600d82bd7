#include "packaging/zip_records.h"

namespace zip {

namespace {

constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint16_t kVersionMadeBy = 0x0B17;
constexpr uint16_t kVersionNeeded = 20;

constexpr int kLocalHeaderSize = 30;
constexpr int kLocalExtraSize = 17;
constexpr int kEndRecordSize = 22;
constexpr uint16_t kExtendedTimestampId = 0x5455;  // "UT"
constexpr uint8_t kAllThreeTimes = 0x07;

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

}  // namespace

QByteArray LocalHeader(const MemberRecord& m) {
    Bytes b;
    b.U32(kLocalSignature);
    b.U16(kVersionNeeded);
    PutMemberFields(&b, m);
    b.U16(m.plain ? 0 : kLocalExtraSize);
    b.Append(m.name);
    if (m.plain) return b.Data();
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
    b.U16(m.plain ? 0 : kCentralExtraSize);
    b.U16(0);  // comment length
    b.U16(0);  // disk number start
    b.U16(0);  // internal attributes
    b.U32(m.externalAttributes);
    b.U32(m.offset);
    b.Append(m.name);
    if (m.plain) return b.Data();
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

}  // namespace zip
