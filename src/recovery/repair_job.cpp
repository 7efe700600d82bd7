#include "recovery/repair_job.h"

#include "platform/folders.h"
#include "recovery/entry_extraction.h"
#include "recovery/entry_scanner.h"
#include "recovery/job_view.h"
#include "recovery/member_records.h"
#include "recovery/package_completion.h"
#include "recovery/package_kind.h"
#include "recovery/salvage/salvage_report.h"
#include "recovery/salvage/salvage_runner.h"

namespace {

void LogExtractionFailed(JobView* view, const QString& path, const char* gap) {
    view->AppendLog(path + " extraction of file failed." + gap + "Please contact at " +
                        kSupportMail + " for further assitance.\r\n",
                    kLogBlack);
}

// One row of the file list: scan, extract, report and mark it.
// `rootUsable` is false when the working root turned out to be unsafe after
// it was created; nothing is then written for any package.
void RepairFile(int row, const QString& path, bool rootUsable, JobParams* params) {
    JobView* view = params->view;
    if (ScanPackage(path, params) == 0) {
        // The package cannot be opened (the scanner has shown why). Its working
        // folder from an earlier run is gone, so the row is no longer repaired.
        LogExtractionFailed(view, path, "");
        view->SetFileRowData(row, 0);
        return;
    }
    if (params->scanCutShort) params->scanCutShortRow = row;

    const QString workingFolder = WorkingFolderOf(path, row);
    if (rootUsable) platform::CreateFolder(workingFolder);
    if (!rootUsable || !platform::FolderExists(workingFolder) ||
        ExtractEntries(workingFolder, path, params) == 0) {
        // Nothing was recovered, or there is nowhere to put it: marking the row
        // repaired would let Save write an empty package and call it saved.
        LogExtractionFailed(view, path, " ");
        view->SetFileRowData(row, 0);
        return;
    }
    // A stop during the extraction leaves the package as incomplete as one
    // during the scan.
    if (params->extractionCutShort) params->scanCutShortRow = row;

    // Say so when it is no presentation: it is saved under its own extension.
    const PackageKind kind = DetectPackageKind(workingFolder);
    if (params->memberRecords) params->memberRecords->presentation = kind.presentation;
    if (!kind.presentation)
        view->AppendLog(
            path + " file is " + kind.description + ", repaired as the package it is....\r\n",
            kLogBlack);

    // The members are out: salvage what the damage left of them, then make
    // the package one that office programs open.
    if (params->completePackages) {
        const std::atomic<int>& running = params->mainWnd->RunningFlag();
        const SalvageResult salvage = SalvagePackage(
            path, workingFolder,
            [&running] { return running.load(std::memory_order_relaxed) != 0; },
            params->memberRecords);
        const CompletionResult completion = CompletePackage(workingFolder);
        const QString done = CompletedLogLine(path, salvage, completion);
        if (!done.isEmpty()) view->AppendLog(done, kLogBlack);
        if (salvage.slides == SalvageResult::Slides::Lost)
            view->AppendLog(SlidesLostLogLine(path), kLogRed);
        view->SetFileSlides(row, salvage);
    }

    view->AppendLog(path + " preview of file is available....\r\n", kLogBlack);
    view->AppendLog(path + "  Repaired....\r\n", kLogGreen);
    view->AppendLog(kFileSeparator, kLogBlack);
    view->SetFileRowData(row, 1);
}

}  // namespace

void RepairRow(int row, const QString& path, bool rootUsable, JobParams* params) {
    // With the completion switch on, the scan and the extraction record
    // the members for the completion step, which then reads nothing twice.
    MemberRecords records;
    params->memberRecords = params->completePackages ? &records : nullptr;
    RepairFile(row, path, rootUsable, params);
    params->memberRecords = nullptr;
}

void LogRowStopped(JobView* view, int row) {
    const QString path = view->FileRowText(row);
    view->AppendLog(path + " file is not extracting as process has been stop by the user.... \r\n",
                    kLogBlack);
    view->AppendLog(path + " not Repaired....\r\n", kLogRed);
    view->AppendLog(kFileSeparator, kLogBlack);
    view->SetFileRowData(row, 0);
}

bool BeginRepairRun(JobParams* params) {
    JobView* view = params->view;
    const QString root = GetWorkingRoot();
    if (const std::optional<QString> refusal = CheckWorkingRoot(root)) {
        view->ShowMessage(*refusal, kMsgInfo);
        return false;
    }
    if (platform::FolderExists(root)) {
        // The preview box lets go of any picture in the root before it goes.
        view->ShowPreviewState(QString(), PB_PICTURE);
        DeleteFolderContents(root);
        platform::RemoveFolder(root);
    }

    view->ShowPreviewState(QString(), PB_NOT_REPAIRED);
    view->SetHintText("Please wait while .odp file(s) are Repairing....", {{19, 30}});
    view->EnableRepairGroup(false);
    view->EnableStopButton(true);
    view->ShowStopButton(true);
    view->EnableSelectButton(false);
    view->SetSelectEnabled(false);
    params->mainWnd->SetProcessRunning(1);
    params->scanCutShortRow = -1;
    view->ShowPreviewState(QString(), PB_REPAIRING);
    view->SetLogText(QString());
    view->SetProgressPos(ProgressBar::File, 0);
    view->SetProgressPos(ProgressBar::Total, 0);
    return true;
}

bool OpenRepairRun(JobParams* params) {
    JobView* view = params->view;
    const int count = view->FileRowCount();

    // An existing root is fine. One that is a link or another user's (put
    // there since the command checked it) is not written into at all.
    const QString root = GetWorkingRoot();
    platform::CreateFolder(root);
    const std::optional<QString> refusal = CheckWorkingRoot(root);
    if (refusal) view->ShowMessage(*refusal, kMsgInfo);

    view->ShowProgressGroup(kShowNormal);
    view->RelayoutView();
    view->SetProgressRange(ProgressBar::Total, uint16_t(count));
    view->SetProgressPos(ProgressBar::Total, 0);
    return !refusal;
}

void CloseRepairRun(JobParams* params) {
    JobView* view = params->view;
    view->SetProgressPos(ProgressBar::Total, view->FileRowCount());

    view->ShowPreviewState(QString(), PB_SELECT_TO_PREVIEW);
    view->AppendLog("Repairing process completed....\r\n", kLogBlack);
    view->AppendLog(kJobEndSeparator, kLogBlack);
    view->EnableSelectButton(true);
    view->SetSelectEnabled(true);
    view->ShowStopButton(false);
    view->EnableSaveGroup(true);
    view->EnableRepairGroup(true);
    view->SetHintText(
        "Click item in the list to see the preview in right side.\n"
        "Click Browse folder to select destination path.\n"
        "Click Save.... to save .odp file(s)",
        {{6, 22}, {62, 76}, {110, 118}, {127, 132}});
    params->mainWnd->SetProcessRunning(0);
    view->ShowProgressGroup(kShowHide);
    view->RelayoutView();
}

int RepairWorker(JobParams* params) {
    JobView* view = params->view;
    const int count = view->FileRowCount();
    const bool rootUsable = OpenRepairRun(params);

    for (int row = 0; row < count; ++row) {
        const QString path = view->FileRowText(row);
        view->ClearEntries();
        if (!params->mainWnd->IsProcessRunning()) {
            // Stopped by the user: every file still waiting is reported as not repaired.
            for (int rest = row; rest < count; ++rest) LogRowStopped(view, rest);
            break;
        }
        RepairRow(row, path, rootUsable, params);
        view->SetProgressPos(ProgressBar::Total, row + 1);
    }
    CloseRepairRun(params);
    return 1;
}
