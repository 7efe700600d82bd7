#pragma once

#include <QSet>
#include <QString>

#include "recovery/entry_info.h"
#include "recovery/job_control.h"

class JobView;

// Writes every entry of params->view's entry table into `workingFolder`,
// recreating each member's folders, then puts the built-in content document in
// place when needed. Returns 0 when the table is empty (nothing is written),
// 1 otherwise, whatever became of single members. A stop seen between or
// inside members ends it (the member cut short leaves no file) and sets
// params->extractionCutShort. A member that would bring the working folder's
// disk below its reserve is left out with a red line.
int ExtractEntries(const QString& workingFolder, const QString& packagePath, JobParams* params);

// Creates the folder chain of the member `name` below `workingFolder` and
// replaces `name` by the member's output path. A level that cannot be made is
// reported through `view` (when given) with the system's text. A level too
// long for the file system is shortened (`shortened`, when given, says so).
// Returns 1 when the name holds a folder separator, 0 otherwise.
int CreateEntryFolders(const QString& workingFolder, QString& name, JobView* view);
// The same, skipping the levels in `madeFolders` and adding those it made or
// found (a package's members share their folders).
int CreateEntryFolders(const QString& workingFolder, QString& name, JobView* view,
                       QSet<QString>* madeFolders, bool* shortened = nullptr);

// Writes one member to `outputPath`: a plain copy when both sizes are equal and
// non-zero, raw Deflate otherwise. A member that cannot be decompressed leaves
// no file; nothing is reported.
void ExtractEntry(const EntryInfo& entry, const QString& workingFolder, const QString& packagePath,
                  const QString& outputPath);
