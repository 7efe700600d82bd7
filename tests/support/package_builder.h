#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// The fields of one zip local header, written exactly as given. The name and
// extra lengths follow the bytes unless overridden, so a header can lie.
struct LocalHeader {
    uint16_t version = 20;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t time = 0;
    uint16_t date = 0;
    uint32_t crc = 0;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    QByteArray name;
    QByteArray extra;
    std::optional<uint16_t> nameLength;
    std::optional<uint16_t> extraLength;
};

// Writes packages byte by byte, damaged as a test needs them: local headers
// with chosen fields, data descriptors, garbage, central directories and
// truncation. It uses no zip library and nothing of the project's own writer.
class PackageBuilder {
public:
    // Where a member went in the bytes.
    struct Placed {
        QByteArray name;
        int64_t headerOffset;
        int64_t dataOffset;
        uint32_t compressedSize;
        uint32_t uncompressedSize;
        uint16_t method;
        uint32_t crc;
    };

    PackageBuilder& Raw(const QByteArray& bytes);
    // `count` pseudo-random bytes that never hold a "P", so no signature.
    PackageBuilder& Garbage(int count, uint32_t seed = 1);
    PackageBuilder& Header(const LocalHeader& header);
    PackageBuilder& Member(const LocalHeader& header, const QByteArray& data);
    PackageBuilder& Stored(const QByteArray& name, const QByteArray& content);
    PackageBuilder& Deflated(const QByteArray& name, const QByteArray& content);
    // A Deflate member with sizes 0 in its header, its data and then (when
    // asked) a data descriptor carrying the real sizes.
    PackageBuilder& DeflatedWithDescriptor(const QByteArray& name, const QByteArray& content,
                                           bool writeDescriptor = true);
    PackageBuilder& Descriptor(uint32_t crc, uint32_t compressedSize, uint32_t uncompressedSize);
    PackageBuilder& Folder(const QByteArray& name);  // method 0, sizes 0
    // Central directory records for every member so far and the end record.
    PackageBuilder& CentralDirectory();
    PackageBuilder& Cut(int64_t bytes);  // drops the last `bytes` bytes

    const QByteArray& Bytes() const { return m_bytes; }
    int64_t Size() const { return m_bytes.size(); }
    const std::vector<Placed>& Members() const { return m_members; }
    bool WriteTo(const QString& path) const;

    static QByteArray RawDeflate(const QByteArray& data, int level = 6);
    static uint32_t Crc32(const QByteArray& data);
    // Bytes that do not compress (raw Deflate then grows them a little).
    static QByteArray Incompressible(int count, uint32_t seed = 7);

private:
    void Put16(uint16_t v);
    void Put32(uint32_t v);

    QByteArray m_bytes;
    std::vector<Placed> m_members;
};
