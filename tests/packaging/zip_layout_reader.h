#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

// An independent reader of the bytes a package holds, written from the zip
// layout alone, so that a writer bug cannot hide behind a shared parser.
namespace ziptest {

struct LocalHeader {
    int64_t offset = 0;
    uint32_t signature = 0;
    uint16_t versionNeeded = 0, flags = 0, method = 0, dosTime = 0, dosDate = 0;
    uint32_t crc = 0, compressedSize = 0, uncompressedSize = 0;
    QByteArray name, extra;
    int64_t dataOffset = 0;
};

struct CentralHeader {
    int64_t offset = 0;
    uint32_t signature = 0;
    uint16_t versionMadeBy = 0, versionNeeded = 0, flags = 0, method = 0, dosTime = 0, dosDate = 0;
    uint32_t crc = 0, compressedSize = 0, uncompressedSize = 0;
    uint16_t commentLength = 0, diskStart = 0, internalAttributes = 0;
    uint32_t externalAttributes = 0, localOffset = 0;
    QByteArray name, extra;
};

struct EndRecord {
    int64_t offset = 0;
    uint32_t signature = 0;
    uint16_t disk = 0, directoryDisk = 0, entriesOnDisk = 0, totalEntries = 0;
    uint32_t directorySize = 0, directoryOffset = 0;
    uint16_t commentLength = 0;
};

struct Archive {
    std::vector<LocalHeader> locals;  // walked from offset 0, member after member
    std::vector<CentralHeader> centrals;
    EndRecord end;
    QString error;  // empty when the layout hung together
};

// Reads the end record (the last 22 bytes), the central directory it points
// to, and the local headers walked from the start with their compressed sizes.
Archive Parse(const QByteArray& bytes);

// The member data after a local header, inflated when it is deflated.
// Sets *ok to false when the raw deflate stream is broken or too short.
QByteArray MemberData(const QByteArray& bytes, const LocalHeader& local, bool* ok);

uint16_t U16(const QByteArray& bytes, int64_t at);
uint32_t U32(const QByteArray& bytes, int64_t at);

}  // namespace ziptest
