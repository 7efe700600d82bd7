#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace platform {

// Room on the file system that holds a path, in bytes.
struct DiskSpace {
    uint64_t available = 0;  // what an ordinary user may still write
    uint64_t total = 0;
};

// Nothing when the file system cannot be asked.
std::optional<DiskSpace> DiskSpaceOf(const QString& path);

}  // namespace platform
