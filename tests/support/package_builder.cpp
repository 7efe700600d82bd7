#include "support/package_builder.h"

#include <zlib.h>

#include <QFile>
#include <random>

void PackageBuilder::Put16(uint16_t v) {
    m_bytes.append(char(v & 0xFF));
    m_bytes.append(char(v >> 8));
}

void PackageBuilder::Put32(uint32_t v) {
    Put16(uint16_t(v & 0xFFFF));
    Put16(uint16_t(v >> 16));
}

PackageBuilder& PackageBuilder::Raw(const QByteArray& bytes) {
    m_bytes.append(bytes);
    return *this;
}

PackageBuilder& PackageBuilder::Garbage(int count, uint32_t seed) {
    std::mt19937 random(seed);
    for (int i = 0; i < count; ++i) {
        char c = char(random() & 0xFF);
        if (c == 'P') c = 'Q';
        m_bytes.append(c);
    }
    return *this;
}

PackageBuilder& PackageBuilder::Header(const LocalHeader& h) {
    m_members.push_back(
        {h.name, m_bytes.size(), 0, h.compressedSize, h.uncompressedSize, h.method, h.crc});
    m_bytes.append("PK\x03\x04", 4);
    Put16(h.version);
    Put16(h.flags);
    Put16(h.method);
    Put16(h.time);
    Put16(h.date);
    Put32(h.crc);
    Put32(h.compressedSize);
    Put32(h.uncompressedSize);
    Put16(h.nameLength.value_or(uint16_t(h.name.size())));
    Put16(h.extraLength.value_or(uint16_t(h.extra.size())));
    m_bytes.append(h.name);
    m_bytes.append(h.extra);
    m_members.back().dataOffset = m_bytes.size();
    return *this;
}

PackageBuilder& PackageBuilder::Member(const LocalHeader& header, const QByteArray& data) {
    Header(header);
    m_bytes.append(data);
    return *this;
}

PackageBuilder& PackageBuilder::Stored(const QByteArray& name, const QByteArray& content) {
    LocalHeader h;
    h.name = name;
    h.crc = Crc32(content);
    h.compressedSize = h.uncompressedSize = uint32_t(content.size());
    return Member(h, content);
}

PackageBuilder& PackageBuilder::Deflated(const QByteArray& name, const QByteArray& content) {
    const QByteArray packed = RawDeflate(content);
    LocalHeader h;
    h.name = name;
    h.method = 8;
    h.crc = Crc32(content);
    h.compressedSize = uint32_t(packed.size());
    h.uncompressedSize = uint32_t(content.size());
    return Member(h, packed);
}

PackageBuilder& PackageBuilder::DeflatedWithDescriptor(const QByteArray& name,
                                                       const QByteArray& content,
                                                       bool writeDescriptor) {
    const QByteArray packed = RawDeflate(content);
    LocalHeader h;
    h.name = name;
    h.method = 8;
    h.flags = 0x0008;
    Member(h, packed);
    m_members.back().compressedSize = uint32_t(packed.size());
    m_members.back().uncompressedSize = uint32_t(content.size());
    m_members.back().crc = Crc32(content);
    if (writeDescriptor)
        Descriptor(Crc32(content), uint32_t(packed.size()), uint32_t(content.size()));
    return *this;
}

PackageBuilder& PackageBuilder::Descriptor(uint32_t crc, uint32_t compressedSize,
                                           uint32_t uncompressedSize) {
    m_bytes.append("PK\x07\x08", 4);
    Put32(crc);
    Put32(compressedSize);
    Put32(uncompressedSize);
    return *this;
}

PackageBuilder& PackageBuilder::Folder(const QByteArray& name) {
    LocalHeader h;
    h.name = name;
    return Header(h);
}

PackageBuilder& PackageBuilder::CentralDirectory() {
    const int64_t start = m_bytes.size();
    for (const Placed& m : m_members) {
        m_bytes.append("PK\x01\x02", 4);
        Put16(20);  // made by
        Put16(20);  // needed
        Put16(0);   // flags
        Put16(m.method);
        Put16(0);
        Put16(0);
        Put32(m.crc);
        Put32(m.compressedSize);
        Put32(m.uncompressedSize);
        Put16(uint16_t(m.name.size()));
        Put16(0);  // extra
        Put16(0);  // comment
        Put16(0);  // disk
        Put16(0);  // internal attributes
        Put32(0);  // external attributes
        Put32(uint32_t(m.headerOffset));
        m_bytes.append(m.name);
    }
    const int64_t size = m_bytes.size() - start;
    m_bytes.append("PK\x05\x06", 4);
    Put16(0);
    Put16(0);
    Put16(uint16_t(m_members.size()));
    Put16(uint16_t(m_members.size()));
    Put32(uint32_t(size));
    Put32(uint32_t(start));
    Put16(0);
    return *this;
}

PackageBuilder& PackageBuilder::Cut(int64_t bytes) {
    m_bytes.chop(int(std::min<int64_t>(bytes, m_bytes.size())));
    return *this;
}

bool PackageBuilder::WriteTo(const QString& path) const {
    // A fresh file rather than a truncated one: ext4 flushes a file rewritten
    // in place when it is closed, which would make the tests wait on the disk.
    QFile::remove(path);
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(m_bytes) == m_bytes.size();
}

QByteArray PackageBuilder::RawDeflate(const QByteArray& data, int level) {
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return {};
    QByteArray out(int(deflateBound(&z, uLong(data.size()))), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(int(z.total_out));
    deflateEnd(&z);
    return out;
}

uint32_t PackageBuilder::Crc32(const QByteArray& data) {
    return uint32_t(crc32(0, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size())));
}

QByteArray PackageBuilder::Incompressible(int count, uint32_t seed) {
    std::mt19937 random(seed);
    QByteArray bytes;
    for (int i = 0; i < count; ++i) bytes.append(char(random() & 0xFF));
    return bytes;
}
