#pragma once

#include <QString>
#include <cstdint>

// One member found by the entry scanner: where its data lies and how long it is.
struct EntryInfo {
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    QString name;             // stored name, one character per byte, every "/" turned into "\"
    uint64_t dataOffset = 0;  // first data byte, just after the extra field
};
