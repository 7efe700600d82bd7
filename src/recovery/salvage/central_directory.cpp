#include "recovery/salvage/central_directory.h"

#include <QByteArray>

#include "platform/files.h"

namespace {

// A directory larger than this is searched like any other bytes.
constexpr int64_t kMaxDirectoryBytes = int64_t(64) << 20;
constexpr int64_t kFileHeaderBytes = 46;
constexpr int64_t kEndBytes = 22;
constexpr int64_t kZip64LocatorBytes = 20;

uint64_t Le(const unsigned char* p, int bytes) {
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

bool IsSignature(const unsigned char* p, unsigned char a, unsigned char b) {
    return p[0] == 'P' && p[1] == 'K' && p[2] == a && p[3] == b;
}

}  // namespace

bool IsWholeCentralDirectory(const platform::ReadOnlyFile& file, int64_t begin, int64_t end) {
    const int64_t length = end - begin;
    if (length < kEndBytes || length > kMaxDirectoryBytes) return false;
    QByteArray bytes(int(length), '\0');
    if (file.ReadAt(begin, bytes.data(), length) != length) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());

    int64_t at = 0;
    uint64_t headers = 0;
    while (at + kFileHeaderBytes <= length && IsSignature(p + at, 1, 2)) {
        at += kFileHeaderBytes + int64_t(Le(p + at + 28, 2)) + int64_t(Le(p + at + 30, 2)) +
              int64_t(Le(p + at + 32, 2));
        ++headers;
    }
    const uint64_t directoryBytes = uint64_t(at);
    bool zip64 = false;
    uint64_t zip64Headers = 0, zip64Bytes = 0;
    if (at + 56 <= length && IsSignature(p + at, 6, 6)) {
        zip64 = true;
        zip64Headers = Le(p + at + 32, 8);
        zip64Bytes = Le(p + at + 40, 8);
        const uint64_t size = Le(p + at + 4, 8);
        if (size > uint64_t(length)) return false;
        at += 12 + int64_t(size);
        if (at + kZip64LocatorBytes > length || !IsSignature(p + at, 6, 7)) return false;
        at += kZip64LocatorBytes;
    }
    if (at + kEndBytes > length || !IsSignature(p + at, 5, 6)) return false;
    if (at + kEndBytes + int64_t(Le(p + at + 20, 2)) != length) return false;
    uint64_t count = Le(p + at + 10, 2), size = Le(p + at + 12, 4);
    if (zip64 && count == 0xFFFF) count = zip64Headers;
    if (zip64 && size == 0xFFFFFFFF) size = zip64Bytes;
    return count == headers && size == directoryBytes;
}
