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

// Walks the bytes of `file` for zip local headers, the way a damaged package
// has to be read: every byte position is a candidate, the central directory is
// never trusted. Each member worth extracting is handed to `onEntry` in file
// order. `keepRunning` is asked before every block and every candidate search;
// when it answers false the walk ends at once with what was found so far.
void WalkEntries(const platform::ReadOnlyFile& file, const std::function<bool()>& keepRunning,
                 const std::function<void(const EntryInfo&)>& onEntry,
                 size_t blockSize = kScanBlockSize);

// Scans one package into the entry table of params->view and logs the open,
// extracted and closed lines. Returns 1 when the package could be opened
// (whether or not anything was found, and even after a stop), 0 otherwise, in
// which case the system's text has been shown through the message call.
int ScanPackage(const QString& packagePath, JobParams* params);
