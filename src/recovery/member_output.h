#pragma once

#include <QString>
#include <cstdint>

#include "platform/staged_file.h"
#include "recovery/write_guard.h"

// The file a member is written to. Nobody sees it under its name before
// Commit, so a member given up half way (a broken stream, a stop, a disk
// about to fill) leaves nothing behind, not even a cut file.
class MemberOutput {
public:
    // `guard` (when given) is asked before every write.
    explicit MemberOutput(const QString& outputPath, WriteGuard* guard = nullptr);
    ~MemberOutput() = default;
    MemberOutput(const MemberOutput&) = delete;
    MemberOutput& operator=(const MemberOutput&) = delete;

    bool IsOpen() const { return m_file.IsOpen(); }
    // False when the bytes could not be written or the guard refused them;
    // the member is then lost and every later write fails too.
    bool Write(const void* data, int64_t count);
    // Gives the file its final name. False when it could not be written or
    // named; nothing is left behind then.
    bool Commit();
    // Why the guard refused a write; Go when it never did.
    WriteVerdict Refusal() const { return m_refusal; }
    // From now on, the length and CRC-32 of the bytes written are kept.
    void KeepSum() { m_summing = true; }
    uint64_t Length() const { return m_length; }
    uint32_t Crc() const { return m_crc; }

private:
    platform::StagedFile m_file;
    WriteGuard* m_guard;
    bool m_failed = false;
    WriteVerdict m_refusal = WriteVerdict::Go;
    bool m_summing = false;
    uint64_t m_length = 0;
    uint32_t m_crc = 0;
};
