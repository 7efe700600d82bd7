#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/files.h"

class MemberOutput;

// Decompresses the raw Deflate stream (no zlib or gzip header) held in the
// `count` bytes of `source` at `offset` into `output`, in bounded chunks.
// Succeeds when exactly `expected` bytes came out without a data error; what
// the stream would yield beyond them is dropped. Fails on a data error, when
// the input ends first, or when the stream ends early.
bool InflateRawMember(const platform::ReadOnlyFile& source, int64_t offset, int64_t count,
                      uint64_t expected, MemberOutput& output);

// The same, for one member after another: the decompressor and its buffers
// are made once and reset for each member.
class RawInflater {
public:
    RawInflater();
    ~RawInflater();
    RawInflater(const RawInflater&) = delete;
    RawInflater& operator=(const RawInflater&) = delete;

    bool Inflate(const platform::ReadOnlyFile& source, int64_t offset, int64_t count,
                 uint64_t expected, MemberOutput& output);

private:
    struct Stream;
    std::unique_ptr<Stream> m_stream;
    std::vector<unsigned char> m_in;
    std::vector<unsigned char> m_out;
};
