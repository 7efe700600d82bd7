#include "cli/batch_jobs.h"

#include <optional>

#include "cli/held_job_view.h"
#include "cli/row_sequencer.h"
#include "cli/terminal_job_view.h"
#include "packaging/save_job.h"
#include "recovery/package_completion.h"
#include "recovery/repair_job.h"

std::vector<int> RepairRows(JobParams* params, TerminalJobView* view, int workers) {
    std::vector<int> cutShort;
    if (workers <= 1) {
        RepairWorker(params);
        if (params->scanCutShortRow >= 0) cutShort.push_back(params->scanCutShortRow);
        return cutShort;
    }

    const int count = view->FileRowCount();
    const bool rootUsable = OpenRepairRun(params);
    JobControl* control = params->mainWnd;
    // Written by the row's worker, read once the row is printed.
    std::vector<char> rowCutShort(static_cast<size_t>(count), 0);
    RowSequencer::Row row;
    // A stop starts no new file; the files already started see it themselves.
    row.take = [control](int) { return control->IsProcessRunning() != 0; };
    row.work = [params, rootUsable, &rowCutShort](int r, HeldJobView* held) {
        // Each row its own params: the scanner and the extraction note a
        // stop in them.
        JobParams own;
        own.mainWnd = params->mainWnd;
        own.view = held;
        own.completePackages = params->completePackages;
        own.diskSpace = params->diskSpace;
        RepairRow(r, held->FileRowText(r), rootUsable, &own);
        rowCutShort[size_t(r)] = own.scanCutShortRow == r;
    };
    row.printed = [&rowCutShort, &cutShort](int r) {
        if (rowCutShort[size_t(r)]) cutShort.push_back(r);
    };
    const int firstUnstarted = RowSequencer(view, workers).Run(row);
    // Stopped by the user: every file still waiting is reported as not repaired.
    for (int rest = firstUnstarted; rest < count; ++rest) LogRowStopped(view, rest);
    CloseRepairRun(params);
    return cutShort;
}

int SaveRows(JobParams* params, TerminalJobView* view, int workers, bool dropWorkingFolders) {
    if (workers <= 1) return SaveWorker(params);

    SaveRun run;
    if (!OpenSaveRun(params, &run)) return 0;
    // The rows' packages share the cores already.
    run.helperThreads = 0;
    const int count = view->FileRowCount();
    std::vector<int> repaired(static_cast<size_t>(count));
    QStringList paths;
    for (int r = 0; r < count; ++r) {
        repaired[size_t(r)] = view->FileRowData(r);
        paths << view->FileRowText(r);
    }
    // Reserved in row order, before the row starts.
    std::vector<std::optional<SaveTarget>> targets(static_cast<size_t>(count));

    JobControl* control = params->mainWnd;
    RowSequencer::Row row;
    // As one worker does: a stop is noticed at the next repaired row.
    row.take = [&](int r) {
        if (repaired[size_t(r)] != 1) return true;
        if (!control->IsProcessRunning()) return false;
        targets[size_t(r)] = ReserveSaveTarget(&run, paths[r], r);
        return true;
    };
    row.work = [&](int r, HeldJobView* held) {
        const std::optional<SaveTarget>& target = targets[size_t(r)];
        SaveRunRow(held, r, target ? &*target : nullptr, run);
        if (dropWorkingFolders) {
            const QString workingFolder = WorkingFolderOf(paths[r], r);
            RemoveFolderTree(workingFolder);
            RemoveFolderTree(PlaceholderFolderOf(workingFolder));
        }
    };
    const int firstUnstarted = RowSequencer(view, workers).Run(row);
    if (firstUnstarted < count) LogRowsNotSaving(view, firstUnstarted);
    CloseSaveRun(params, run);
    return 1;
}
