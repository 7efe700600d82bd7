#include "recovery/raw_inflate.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "recovery/member_output.h"

namespace {

constexpr int64_t kChunk = 256 * 1024;

bool IsStreamError(int result) {
    return result == Z_DATA_ERROR || result == Z_NEED_DICT || result == Z_MEM_ERROR ||
           result == Z_STREAM_ERROR;
}

}  // namespace

struct RawInflater::Stream {
    Stream() { ready = inflateInit2(&z, -MAX_WBITS) == Z_OK; }
    ~Stream() {
        if (ready) inflateEnd(&z);
    }
    z_stream z{};
    bool ready = false;
    bool used = false;
};

RawInflater::RawInflater() : m_stream(new Stream) {}
RawInflater::~RawInflater() = default;

bool InflateRawMember(const platform::ReadOnlyFile& source, int64_t offset, int64_t count,
                      uint64_t expected, MemberOutput& output) {
    return RawInflater().Inflate(source, offset, count, expected, output);
}

bool RawInflater::Inflate(const platform::ReadOnlyFile& source, int64_t offset, int64_t count,
                          uint64_t expected, MemberOutput& output) {
    // Nothing is wanted, so nothing can be missing.
    if (expected == 0) return true;

    if (!m_stream->ready) return false;
    if (m_stream->used && inflateReset(&m_stream->z) != Z_OK) return false;
    m_stream->used = true;
    z_stream* z = &m_stream->z;
    z->avail_in = 0;
    // The buffers grow to what the largest member so far needed, never past a chunk.
    const size_t inSize = size_t(std::min<int64_t>(std::max<int64_t>(count, 1), kChunk));
    const size_t outSize = size_t(std::min<uint64_t>(expected, uint64_t(kChunk)));
    if (m_in.size() < inSize) m_in.resize(inSize);
    if (m_out.size() < outSize) m_out.resize(outSize);
    std::vector<unsigned char>& in = m_in;
    std::vector<unsigned char>& out = m_out;
    int64_t fed = 0;
    uint64_t produced = 0;

    for (;;) {
        if (z->avail_in == 0 && fed < count) {
            const int64_t n = source.ReadAt(offset + fed, in.data(),
                                            std::min<int64_t>(int64_t(in.size()), count - fed));
            if (n <= 0) {
                count = fed;  // the input ends here
            } else {
                z->next_in = in.data();
                z->avail_in = uInt(n);
                fed += n;
            }
        }
        const bool inputLeft = z->avail_in > 0 || fed < count;

        if (produced == expected) {
            // Decoding goes on over the input that follows until more output
            // would be needed, so a stream that breaks right after the last
            // wanted byte is found broken however the input was chunked.
            if (!inputLeft) return true;
            z->next_out = out.data();
            z->avail_out = 0;
            const int result = inflate(z, Z_NO_FLUSH);
            if (result == Z_STREAM_END) return true;
            if (IsStreamError(result)) return false;
            if (result == Z_BUF_ERROR && z->avail_in > 0) return true;  // waits for output
            continue;
        }

        const uint64_t want = std::min<uint64_t>(expected - produced, out.size());
        z->next_out = out.data();
        z->avail_out = uInt(want);
        const int result = inflate(z, Z_NO_FLUSH);
        const uint64_t got = want - z->avail_out;
        if (got > 0 && !output.Write(out.data(), int64_t(got))) return false;
        produced += got;
        if (IsStreamError(result)) return false;
        if (result == Z_STREAM_END) return produced == expected;
        if (result == Z_BUF_ERROR && (z->avail_in > 0 || fed >= count)) return false;
    }
}
