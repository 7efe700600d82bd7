#pragma once

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
