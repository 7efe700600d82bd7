#pragma once

#include <QHash>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "recovery/entry_scanner.h"

// What the scan and the extraction of one package learnt of its members,
// kept for the checks after them, which then need neither walk the package
// again nor read back the files the extraction wrote.
struct MemberRecords {
    // Every local header the scan met, in file order.
    std::vector<LocalHeaderRecord> headers;

    // A file the extraction wrote whole: the length and CRC-32 of its bytes.
    struct Written {
        uint64_t length = 0;
        uint32_t crc = 0;
    };
    // By the file's path below the working folder, "/" between levels; a
    // later member written to the same path replaces the earlier one, as its
    // file does.
    QHash<QString, Written> written;

    // Whether the extracted members make a presentation, once the repair has
    // looked; the checks look again only where they changed the folder.
    std::optional<bool> presentation;
};
