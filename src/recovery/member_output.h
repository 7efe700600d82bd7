#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "platform/files.h"

// The file a member is written to. The bytes go to a part file beside the
// final name, which takes that name only when Commit is called; a member
// given up half way therefore leaves nothing behind, not even a cut file.
class MemberOutput {
public:
    explicit MemberOutput(const QString& outputPath);
    ~MemberOutput();
    MemberOutput(const MemberOutput&) = delete;
    MemberOutput& operator=(const MemberOutput&) = delete;

    bool IsOpen() const { return m_file.IsOpen(); }
    bool Write(const void* data, int64_t count);
    // Closes the part file and moves it over the final name. False when it
    // could not be written or moved; the part file is gone in both cases.
    bool Commit();

private:
    void Discard();

    QString m_outputPath;
    std::optional<QString> m_partPath;
    platform::WriteFile m_file;
    bool m_failed = false;
};
