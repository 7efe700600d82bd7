#pragma once

#include <cstdint>
#include <functional>

#include "platform/files.h"

// Where inflating a damaged or size-less member got to.
struct PartialInflate {
    bool streamEnded = false;  // the Deflate stream ended properly
    bool dataError = false;    // bytes came that are no Deflate
    bool stopped = false;      // the stop flag was seen
    bool capped = false;       // the output limit was reached first
    int64_t consumed = 0;      // input bytes used, counted from the start of the data
    uint64_t produced = 0;     // bytes handed to the sink
    uint32_t crc = 0;          // CRC-32 of those bytes
};

// Receives the decoded bytes in order; false stops the inflate.
using ByteSink = std::function<bool(const char* data, int64_t count)>;

// Inflates the raw Deflate stream that starts at `offset` of `file`, reading
// no byte at or past `end`, until the stream ends, breaks or its bytes run
// out, or `maxOutput` bytes came out. Everything decoded before a fault is
// handed to `sink`, in bounded chunks: nothing is held in memory.
PartialInflate InflateAsFarAsItGoes(const platform::ReadOnlyFile& file, int64_t offset, int64_t end,
                                    uint64_t maxOutput, const ByteSink& sink,
                                    const std::function<bool()>& keepRunning);

// Streams `count` bytes of `file` from `offset` (fewer when the file ends
// first) to `sink`. Returns the bytes handed over; their CRC-32 goes to `*crc`.
int64_t CopyAsFarAsItGoes(const platform::ReadOnlyFile& file, int64_t offset, int64_t count,
                          const ByteSink& sink, uint32_t* crc);

// The length and CRC-32 of a file, read in chunks. False when it cannot be read.
bool FileLengthAndCrc(const QString& path, int64_t* length, uint32_t* crc);
