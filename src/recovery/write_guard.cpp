#include "recovery/write_guard.h"

#include <algorithm>

WriteGuard::WriteGuard(const QString& folder, const std::atomic<int>* running, DiskSpaceQuery query)
    : m_folder(folder), m_running(running), m_query(std::move(query)) {
    if (!m_query) m_query = [](const QString& f) { return platform::DiskSpaceOf(f); };
}

void WriteGuard::Look() {
    m_sinceLook = 0;
    const std::optional<platform::DiskSpace> space = m_query(m_folder);
    m_known = bool(space);
    if (!space) return;  // a file system that cannot be asked is not held against the member
    m_reserve = std::min<uint64_t>(kMaxReserve, space->total / 20);
    m_headroom = space->available > m_reserve ? int64_t(space->available - m_reserve) : 0;
}

WriteVerdict WriteGuard::Check(int64_t count) {
    if (m_running && m_running->load(std::memory_order_relaxed) == 0) return WriteVerdict::Stopped;
    // Other programs (and other jobs) write too: look again after every MiB,
    // and before a write the last look says would not fit.
    if (!m_known || m_sinceLook + count > kQueryEvery || count > m_headroom) Look();
    if (!m_known) return WriteVerdict::Go;
    if (count > m_headroom) return WriteVerdict::NoRoom;
    m_headroom -= count;
    m_sinceLook += count;
    return WriteVerdict::Go;
}
