#pragma once

#include "recovery/job_control.h"

// The part of the Repair command that runs on the user-interface thread
// before the worker starts: the working root of the last run is removed, the
// view is put into its running state, the process-running flag is set, the log
// is emptied and both bars go to 0. params->mainWnd and params->view must be
// filled. Returns false, after telling the user why, when the working root may
// not be used; nothing has changed then.
bool BeginRepairRun(JobParams* params);

// The Repair worker: scans every listed package, extracts its members into a
// working folder of its own, logs each file's outcome and marks its row (1
// repaired, 0 not), then puts the view back into its idle state. Returns 1.
int RepairWorker(JobParams* params);
