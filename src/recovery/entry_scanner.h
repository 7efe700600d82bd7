#pragma once

#include <QString>
#include <cstddef>
#include <functional>

#include "recovery/entry_info.h"
#include "recovery/job_control.h"

namespace platform {
class ReadOnlyFile;
}

// The scanner reads the package through a block of its own of this size.
constexpr size_t kScanBlockSize = size_t(1) << 20;

// One local header as the walk read it, whether or not its member is kept.
struct LocalHeaderRecord {
    int64_t headerOffset = 0;  // the "PK", 3, 4 signature
    uint16_t flags = 0;
    uint16_t method = 0;
    uint32_t headerCrc = 0;
    bool descriptorFound = false;  // the sizes (and CRC) came from a data descriptor
    int64_t descriptorOffset = 0;
    uint32_t descriptorCrc = 0;
    EntryInfo entry;    // sizes as the walk took them, name, data offset
    bool kept = false;  // handed to the entry table
};

// The walk behind WalkEntries: every local header it meets goes to
// `onHeader`, in file order, with the same positions examined. Returns
// false when `keepRunning` ended it, true when it reached the end.
bool WalkLocalHeaders(const platform::ReadOnlyFile& file, const std::function<bool()>& keepRunning,
                      const std::function<void(const LocalHeaderRecord&)>& onHeader,
                      size_t blockSize = kScanBlockSize);

// Walks the bytes of `file` for zip local headers, the way a damaged package
// has to be read: every byte position is a candidate, the central directory is
// never trusted. Each member worth extracting is handed to `onEntry` in file
// order. `keepRunning` is asked before every block and every candidate search;
// when it answers false the walk ends at once with what was found so far.
// Returns false when it was ended that way, true when it reached the end.
bool WalkEntries(const platform::ReadOnlyFile& file, const std::function<bool()>& keepRunning,
                 const std::function<void(const EntryInfo&)>& onEntry,
                 size_t blockSize = kScanBlockSize);

// Scans one package into the entry table of params->view and logs the open,
// extracted and closed lines. Returns 1 when the package could be opened
// (whether or not anything was found, and even after a stop), 0 otherwise, in
// which case the system's text has been shown through the message call.
int ScanPackage(const QString& packagePath, JobParams* params);
