#pragma once

// The steps AddPackageFile takes for one member, for callers that prepare
// members elsewhere (on other threads) and hand them to the writer in order.
// A member goes through BeginMember, any number of AppendMemberData and
// EndMember; the bytes in the archive are the same as AddPackageFile writes.

#include <QString>
#include <cstdint>

#include "packaging/package_writer.h"
#include "packaging/zip_records.h"

// Writes the provisional local header of `m` (whose offset it sets).
ZipResult BeginMember(PackageWriter* writer, zip::MemberRecord* m, QString* errorText);
// Appends member data; `*dataBytes` counts what reached the archive.
ZipResult AppendMemberData(PackageWriter* writer, const char* data, int64_t count,
                           uint64_t* dataBytes, QString* errorText);
// Rewrites the local header with the final values and adds the member to the
// directory. `m` holds the CRC-32 and uncompressed size read from the source.
ZipResult EndMember(PackageWriter* writer, zip::MemberRecord* m, uint64_t dataBytes,
                    QString* errorText);
// Hands everything written so far to the file; a member that failed half
// way leaves what it wrote.
ZipResult FlushPackage(PackageWriter* writer, QString* errorText);
