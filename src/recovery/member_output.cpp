#include "recovery/member_output.h"

#include "platform/output_files.h"

MemberOutput::MemberOutput(const QString& outputPath) : m_outputPath(outputPath) {
    int error = 0;
    m_partPath = platform::CreatePartFileBeside(outputPath, &error);
    if (m_partPath && m_file.Create(*m_partPath) != 0) Discard();
}

MemberOutput::~MemberOutput() {
    Discard();
}

bool MemberOutput::Write(const void* data, int64_t count) {
    if (!m_file.IsOpen() || m_failed) return false;
    if (m_file.Write(data, count) != count) m_failed = true;
    return !m_failed;
}

bool MemberOutput::Commit() {
    if (!m_file.IsOpen() || m_failed) {
        Discard();
        return false;
    }
    m_file.Close();
    if (platform::ReplaceFile(*m_partPath, m_outputPath) != 0) {
        Discard();
        return false;
    }
    m_partPath.reset();
    return true;
}

void MemberOutput::Discard() {
    m_file.Close();
    if (m_partPath) platform::DeleteFile(*m_partPath);
    m_partPath.reset();
}
