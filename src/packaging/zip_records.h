#pragma once

// The records of the zip layout packages are written in: one member's
// header fields and the bytes of its local header, its central directory
// header and the end record.

#include <QByteArray>
#include <cstdint>

namespace zip {

constexpr int kMaxNameBytes = 259;
constexpr uint64_t kMaxArchiveBytes = 0xFFFFFFFFull;  // offsets and sizes are 32-bit
constexpr uint16_t kFlagSizesFollow = 0x0008;         // set only in the provisional local header
constexpr uint16_t kFlagMaxCompression = 0x0002;      // deflate at level 8
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
constexpr int kCentralHeaderSize = 46;
constexpr int kCentralExtraSize = 9;

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
    bool plain = false;  // no extra field in either header
};

QByteArray LocalHeader(const MemberRecord& m);
QByteArray CentralHeader(const MemberRecord& m);
QByteArray EndRecord(uint32_t count, uint32_t directorySize, uint32_t directoryOffset);

}  // namespace zip
