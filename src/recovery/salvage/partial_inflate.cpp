#include "recovery/salvage/partial_inflate.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "recovery/crc32.h"

namespace {

constexpr int64_t kChunk = 256 * 1024;

uint32_t AddCrc(uint32_t crc, const unsigned char* data, int64_t count) {
    return Crc32(crc, data, size_t(count));
}

}  // namespace

PartialInflate InflateAsFarAsItGoes(const platform::ReadOnlyFile& file, int64_t offset, int64_t end,
                                    uint64_t maxOutput, const ByteSink& sink,
                                    const std::function<bool()>& keepRunning) {
    PartialInflate result;
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) {
        result.dataError = true;
        return result;
    }
    std::vector<unsigned char> in(kChunk), out(kChunk);
    int64_t fed = 0;
    const int64_t count = std::max<int64_t>(end - offset, 0);
    bool inputGone = false;
    for (;;) {
        if (!keepRunning()) {
            result.stopped = true;
            break;
        }
        if (z.avail_in == 0 && !inputGone) {
            const int64_t n =
                fed < count ? file.ReadAt(offset + fed, in.data(), std::min(kChunk, count - fed))
                            : 0;
            if (n <= 0) {
                inputGone = true;
            } else {
                z.next_in = in.data();
                z.avail_in = uInt(n);
                fed += n;
            }
        }
        const uint64_t room = std::min<uint64_t>(uint64_t(kChunk), maxOutput - result.produced);
        if (room == 0) {
            result.capped = true;
            break;
        }
        z.next_out = out.data();
        z.avail_out = uInt(room);
        const int status = inflate(&z, Z_NO_FLUSH);
        const int64_t got = int64_t(room - z.avail_out);
        if (got > 0) {
            result.crc = AddCrc(result.crc, out.data(), got);
            result.produced += uint64_t(got);
            if (!sink(reinterpret_cast<const char*>(out.data()), got)) break;
        }
        if (status == Z_STREAM_END) {
            result.streamEnded = true;
            break;
        }
        if (status == Z_DATA_ERROR || status == Z_NEED_DICT || status == Z_STREAM_ERROR ||
            status == Z_MEM_ERROR) {
            result.dataError = true;
            break;
        }
        // No progress possible: the input has run out before the stream ended.
        if (status == Z_BUF_ERROR && inputGone && z.avail_in == 0) break;
    }
    result.consumed = fed - int64_t(z.avail_in);
    inflateEnd(&z);
    return result;
}

int64_t CopyAsFarAsItGoes(const platform::ReadOnlyFile& file, int64_t offset, int64_t count,
                          const ByteSink& sink, uint32_t* crc) {
    std::vector<unsigned char> buffer(size_t(std::clamp<int64_t>(count, 1, kChunk)));
    int64_t done = 0;
    uint32_t sum = 0;
    while (done < count) {
        const int64_t n =
            file.ReadAt(offset + done, buffer.data(), std::min<int64_t>(kChunk, count - done));
        if (n <= 0) break;
        sum = AddCrc(sum, buffer.data(), n);
        done += n;
        if (!sink(reinterpret_cast<const char*>(buffer.data()), n)) break;
    }
    if (crc) *crc = sum;
    return done;
}

bool FileLengthAndCrc(const QString& path, int64_t* length, uint32_t* crc) {
    platform::ReadOnlyFile file;
    if (file.Open(path) != 0) return false;
    const int64_t size = file.Size();
    const int64_t copied = CopyAsFarAsItGoes(
        file, 0, size, [](const char*, int64_t) { return true; }, crc);
    *length = copied;
    return copied == size;
}
