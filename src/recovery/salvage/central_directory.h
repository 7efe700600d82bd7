#pragma once

#include <cstdint>

namespace platform {
class ReadOnlyFile;
}

// True when the bytes [begin, end) of `file` are a whole central directory
// and nothing else: its file headers back to back from `begin`, then the end
// records (zip64 ones too), the last ending exactly at `end`, which count as
// many headers and as many bytes as there are. Such bytes hold no member.
bool IsWholeCentralDirectory(const platform::ReadOnlyFile& file, int64_t begin, int64_t end);
