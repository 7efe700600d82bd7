#pragma once

#include <cstdint>

// What a member's local header or data descriptor recorded of its
// uncompressed bytes: what they decode to is checked against it.
struct RecordedCheck {
    bool sizeKnown = false;  // its length was recorded
    uint64_t size = 0;
    bool crcKnown = false;  // its CRC-32 was recorded
    uint32_t crc = 0;

    // `length` bytes with CRC-32 `sum` are what was recorded; what was not
    // recorded cannot disagree.
    bool Matches(uint64_t length, uint32_t sum) const {
        return (!sizeKnown || size == length) && (!crcKnown || crc == sum);
    }
    // Both the length and the CRC-32 were recorded.
    bool Complete() const { return sizeKnown && crcKnown; }
};
