#pragma once

#include <vector>

#include "recovery/job_control.h"

class TerminalJobView;

// The Repair and Save runs of the terminal program on `workers` rows at once.
// The log is the one the workers write one row after another (with one
// worker, they are the very same calls); only the time it takes differs.
// params->view is `view`.

// The Repair run. Returns the rows whose repair a stop cut short, in row order.
std::vector<int> RepairRows(JobParams* params, TerminalJobView* view, int workers);

// The Save run; returns what SaveWorker returns (0: the destination was refused).
// With `dropWorkingFolders`, each worker removes a row's working folder once
// the row is saved, as the run would at its end, so that the removals run on
// all the workers too.
int SaveRows(JobParams* params, TerminalJobView* view, int workers, bool dropWorkingFolders);
