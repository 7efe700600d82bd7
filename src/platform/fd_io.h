#pragma once

#include <cstdint>

namespace platform {

// Writes all `count` bytes to the descriptor (at `offset`, or at its
// position when `offset` is negative), going on after interrupted calls.
// Gives the bytes written: fewer than `count` only on an error.
int64_t WriteAll(int fd, const void* data, int64_t count, int64_t offset = -1);

}  // namespace platform
