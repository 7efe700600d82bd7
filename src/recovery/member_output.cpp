#include "recovery/member_output.h"

#include "recovery/crc32.h"

MemberOutput::MemberOutput(const QString& outputPath, WriteGuard* guard) : m_guard(guard) {
    m_file.Create(outputPath);
}

bool MemberOutput::Write(const void* data, int64_t count) {
    if (!m_file.IsOpen() || m_failed) return false;
    if (m_guard) m_refusal = m_guard->Check(count);
    if (m_refusal != WriteVerdict::Go || m_file.Write(data, count) != count) {
        m_failed = true;
        m_file.Discard();
    } else if (m_summing) {
        m_crc = Crc32(m_crc, data, size_t(count));
        m_length += uint64_t(count);
    }
    return !m_failed;
}

bool MemberOutput::Commit() {
    if (!m_file.IsOpen() || m_failed) {
        m_file.Discard();
        return false;
    }
    return m_file.Commit() == 0;
}
