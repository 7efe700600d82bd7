#pragma once

#include <QSet>
#include <QString>
#include <vector>

#include "platform/files.h"
#include "recovery/job_control.h"

// The Save command, first step: refuses with a message while a job runs.
// True when the Save worker may be started.
bool BeginSaveRun(JobParams* params);

// The Save worker: packs the working folder of every repaired row into
// "TORVEX_" + the file's name in the destination folder, copies its pictures
// into a media folder when Extract Media is ticked, and logs each row.
// Returns 1 after a run, 0 when the destination was refused (nothing changed).
// It may run on a worker thread (StartJobThread) or be called directly.
int SaveWorker(JobParams* params);

// What one Save run has handed out so far: the files given to repair, which
// are never written over, and the names already taken in the destination, so
// two rows with the same file name never overwrite each other.
struct SaveRun {
    QString destination;  // as the view gave it
    QString folder;       // the same, ending with "/"
    std::vector<platform::FileIdentity> inputs;
    QSet<QString> takenPackages;
    QSet<QString> takenMediaFolders;
    bool completePackages = true;
    // Helper threads for each package's packer; below 0, the packer's own default.
    int helperThreads = -1;
};

// The names one repaired row is saved under.
struct SaveTarget {
    int number = 1;       // 2 and up when an earlier row of the run took the plain names
    QString packageName;  // "TORVEX_x (2).odp"
    QString packagePath;
    QString mediaFolder;
};

// The steps SaveWorker takes, for a caller that saves several rows at once,
// each row with a view of its own; the log is the same when the rows' lines
// are put in row order between the opening and the closing step.
//
// The opening step: checks the destination (false, after telling the user,
// when it is no folder), puts the view into its saving state, sets the
// running flag and fills `run`.
bool OpenSaveRun(JobParams* params, SaveRun* run);
// Takes the names for repaired row `row`. Rows take their names in row
// order, so numbered names do not depend on which row is saved first.
SaveTarget ReserveSaveTarget(SaveRun* run, const QString& path, int row);
// One row that the stop did not reach: saves it under `target` or, without
// one (the row is not repaired), says it cannot be saved; then the separator.
// Only reads `run`.
void SaveRunRow(JobView* view, int row, const SaveTarget* target, const SaveRun& run);
// A stop: row `firstRow` and every row after it are reported unsaved and unmarked.
void LogRowsNotSaving(JobView* view, int firstRow);
// The closing lines, the idle state, the running flag back to 0, the closing message.
void CloseSaveRun(JobParams* params, const SaveRun& run);
