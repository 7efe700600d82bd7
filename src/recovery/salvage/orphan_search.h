#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

#include "recovery/salvage/byte_range.h"
#include "recovery/salvage/recorded_check.h"

namespace platform {
class ReadOnlyFile;
}

// Looking for members in the bytes of a package that no recovered member
// covers: members whose local header signature took a hit, and Deflate
// streams whose header is gone altogether, which are named by the document
// element they inflate to (office:document-content is content.xml, and so on).

struct OrphanMember {
    enum class Found { DamagedHeader, HeaderGone };
    Found found = Found::DamagedHeader;
    QString name;               // as stored, "/" between levels
    uint16_t method = 8;        // 8 Deflate, 0 stored
    int64_t headerOffset = -1;  // where its local header starts; -1 when it is gone
    int64_t dataOffset = 0;     // its first data byte
    int64_t dataEnd = 0;        // no byte of it at or past this
    RecordedCheck recorded;     // what the header or a descriptor records
    bool streamEnded = false;   // Deflate: its stream ends properly before dataEnd
};

// Searches `unclaimed` (in file order, not overlapping) of `file` and returns
// what it finds in file order. A member named like one of `wholeNames` (the
// members already recovered whole) is left out: those are never replaced.
// `keepRunning` is asked all along; when it answers false the search ends
// with what was found so far.
std::vector<OrphanMember> FindOrphanMembers(const platform::ReadOnlyFile& file,
                                            const std::vector<ByteRange>& unclaimed,
                                            const QStringList& wholeNames,
                                            const std::function<bool()>& keepRunning);

// The member a document element names ("office:document-content" is
// "content.xml"); empty for any other element.
QString MemberNamedByRoot(const QByteArray& rootElement);
