#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "packaging/package_writer.h"
#include "packaging/zip_records.h"
#include "platform/files.h"

// Takes a member name as the package will hold it, opens its source file and
// fills the member's record with everything known before its data is read:
// name bytes, method, times, attributes and the provisional sizes and flags.
// Nothing is written. On failure returns why (kZipBadArguments for a name or
// source the format cannot hold, kZipCannotOpen for a source that cannot be
// read) with the reason in `errorText`.
ZipResult OpenMemberSource(const QString& memberName, const QString& sourcePath,
                           platform::ReadOnlyFile* source, zip::MemberRecord* m,
                           QString* errorText);

// Where member data goes; false when it could not take the bytes.
using MemberDataSink = std::function<bool(const char* data, int64_t count)>;

// Reads an opened source and hands its member data to a sink, stored or as
// one raw Deflate stream at level 8, in pieces of at most 16 KiB. The
// compressor is made once and reset for each member, so one MemberCoder
// serves a whole package (and one thread at a time).
class MemberCoder {
public:
    MemberCoder();
    ~MemberCoder();
    MemberCoder(const MemberCoder&) = delete;
    MemberCoder& operator=(const MemberCoder&) = delete;

    // Fills in the CRC-32 and the uncompressed size of `m` from what was
    // read. kZipWriteFailed when reading or compressing fails (the reason in
    // `errorText`) or when the sink refuses bytes (`*sinkFailed` is then set
    // and `errorText` left to the caller).
    ZipResult Code(const platform::ReadOnlyFile& source, zip::MemberRecord* m,
                   const MemberDataSink& sink, bool* sinkFailed, QString* errorText);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

ZipResult FailWith(ZipResult code, QString* errorText, const QString& text);

// The time zone may have changed: times are converted afresh from now on.
void NoteZoneReloaded();
