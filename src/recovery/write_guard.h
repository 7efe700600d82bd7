#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/disk_space.h"

// Asks the file system of the working folder how much room is left.
using DiskSpaceQuery = std::function<std::optional<platform::DiskSpace>(const QString& folder)>;

// What a write into the working folder may do next.
enum class WriteVerdict {
    Go,
    Stopped,  // the user asked the job to stop
    NoRoom,   // the write would leave less than the reserve free
};

// Watches what extraction writes into one working folder: the stop flag at
// every write, and the free room of the folder's file system at least once
// per MiB, so a package that inflates to gigabytes can neither hold up a stop
// nor fill the disk. The reserve is 1 GiB or 5 % of the file system,
// whichever is less.
class WriteGuard {
public:
    static constexpr int64_t kQueryEvery = int64_t(1) << 20;
    static constexpr uint64_t kMaxReserve = uint64_t(1) << 30;

    // `running` is the process-running flag; `query` empty means the real
    // file system is asked.
    WriteGuard(const QString& folder, const std::atomic<int>* running, DiskSpaceQuery query = {});

    // Whether `count` more bytes may be written.
    WriteVerdict Check(int64_t count);
    // The reserve last seen, in bytes (0 before the first look).
    uint64_t Reserve() const { return m_reserve; }

private:
    void Look();

    QString m_folder;
    const std::atomic<int>* m_running;
    DiskSpaceQuery m_query;
    bool m_known = false;     // the file system has been asked and answered
    int64_t m_headroom = 0;   // bytes that may still be written before the reserve
    int64_t m_sinceLook = 0;  // bytes allowed since the file system was asked
    uint64_t m_reserve = 0;
};
