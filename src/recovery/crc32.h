#pragma once

#include <cstddef>
#include <cstdint>

// The CRC-32 of zip members (zlib's crc32: start with 0, feed the bytes in
// any pieces). Where the processor multiplies without carries, sixteen bytes
// are folded in at a time, some ten times as fast as byte tables.
uint32_t Crc32(uint32_t crc, const void* data, size_t count);
