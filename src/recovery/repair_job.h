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

// The steps RepairWorker takes, for a caller that repairs several rows at
// once, each row with a view and params of its own; the log is the same
// when the rows' lines are put in row order between the opening and the
// closing step.
//
// Opens the run on the worker's side: creates the working root and shows the
// progress group. False when the root turned out to be unusable (the user has
// been told); the rows are then reported but nothing is written for them.
bool OpenRepairRun(JobParams* params);
// Repairs row `row` holding `path`: scan, extract, complete, log and mark it.
// Sets params->scanCutShortRow to `row` when a stop cut it short.
void RepairRow(int row, const QString& path, bool rootUsable, JobParams* params);
// Logs row `row` as not repaired because the user stopped the run, and unmarks it.
void LogRowStopped(JobView* view, int row);
// Closes the run: the closing lines, the idle state, the running flag back to 0.
void CloseRepairRun(JobParams* params);
