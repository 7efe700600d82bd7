#pragma once

#include <cstdint>

// A stretch of the package's bytes, [begin, end).
struct ByteRange {
    int64_t begin = 0;
    int64_t end = 0;
};
