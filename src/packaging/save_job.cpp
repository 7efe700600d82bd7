#include "packaging/save_job.h"

#include "packaging/media_copy.h"
#include "packaging/repaired_folder_packer.h"
#include "platform/folders.h"
#include "platform/output_files.h"
#include "recovery/job_view.h"
#include "recovery/message_markup.h"

namespace {

const QString kSavingHint = "Please wait while .odp file(s) are saving....";
const QString kSavedHint =
    "Saving of .odp file(s) completed....\n Click exit to end the application or \nSelect new "
    ".odp file(s) to repair....";

// Saves one repaired row; the lines between "starts" and the separator.
void SaveRow(JobView* view, const QString& path, int row, const QString& destination) {
    view->AppendLog(path + " saving of file starts....\r\n", kLogBlack);
    const QString fileName = FileNameOf(path);
    const QString workingFolder = WorkingFolderOf(path, row);
    const QString packagePath = destination + "TORVEX_" + fileName;
    const QString mediaFolder = destination + fileName + "_MediaContent";

    // A row whose working folder is gone (removed with the row before it, for
    // example) has nothing left to save; an empty package would pass for it.
    QString failure;
    if (!platform::FolderExists(workingFolder)) {
        failure =
            "its repaired files are no longer in " + workingFolder + "; please repair it again";
    } else {
        RepairedFolderPacker packer;
        if (!packer.PackRepairedFolder(workingFolder, packagePath)) failure = packer.LastError();
    }

    if (view->IsExtractMediaChecked()) {
        platform::CreateOutputFolder(mediaFolder);  // an existing one is fine
        CopyMediaFiles(workingFolder, mediaFolder);
        if (platform::RemoveFolder(mediaFolder))
            view->AppendLog(path + " no media content is present in the file....\r\n", kLogBlack);
        else
            view->AppendLog(path + " Media extration is done....\r\n", kLogBlack);
    }

    if (failure.isEmpty())
        view->AppendLog(path + " saving of file done....\r\n", kLogGreen);
    else
        view->AppendLog(path + " saving of file failed: " + failure + "\r\n", kLogRed);
}

}  // namespace

bool BeginSaveRun(JobParams* params) {
    if (params->mainWnd->IsProcessRunning()) {
        params->view->ShowMessage("Please stop the running process before saving the file(s).",
                                  kMsgInfo);
        return false;
    }
    return true;
}

int SaveWorker(JobParams* params) {
    JobControl* frame = params->mainWnd;
    JobView* view = params->view;

    const QString destination = view->DestinationText();
    if (!platform::FolderExists(destination)) {
        view->ShowMessage("Please select a valid folder path.", kMsgInfo);
        return 0;
    }

    frame->SetProcessRunning(1);
    view->SetProgressPos(ProgressBar::File, 0);
    view->SetProgressPos(ProgressBar::Total, 0);
    view->EnableSaveGroup(false);
    view->SetLogText(QString());
    view->EnableSelectButton(false);
    view->SetSelectEnabled(false);
    view->EnableRepairGroup(false);
    view->SetHintText(kSavingHint, {{19, 30}});
    view->EnableStopButton(true);
    view->ShowStopButton(true);

    const QString folder = destination.endsWith('/') ? destination : destination + '/';
    const int rowCount = view->FileRowCount();
    view->ShowTotalProgressOnly(kShow);
    view->RelayoutView();
    view->SetProgressRange(ProgressBar::Total, static_cast<uint16_t>(rowCount));
    view->SetProgressPos(ProgressBar::Total, 0);

    for (int row = 0; row < rowCount; ++row) {
        const QString path = view->FileRowText(row);
        const int repaired = view->FileRowData(row);
        if (repaired == 1 && !frame->IsProcessRunning()) {
            // Stopped: every row from here on is reported unsaved and loses its mark.
            for (int rest = row; rest < rowCount; ++rest) {
                const QString restPath = view->FileRowText(rest);
                view->AppendLog(
                    restPath + " file is not saving as process has been stop by the user.... \r\n",
                    kLogBlack);
                view->AppendLog(restPath + " not saved....\r\n", kLogRed);
                view->AppendLog(kFileSeparator, kLogBlack);
                view->SetFileRowData(rest, 0);
            }
            break;
        }
        if (repaired == 1)
            SaveRow(view, path, row, folder);
        else
            view->AppendLog(path + " cannot be saved,as it is not Repaired.\r\n", kLogRed);
        view->AppendLog(kFileSeparator, kLogBlack);
        view->SetProgressPos(ProgressBar::Total, row + 1);
    }
    view->SetProgressPos(ProgressBar::Total, rowCount);

    view->AppendLog("Saving processing completed....\r\n", kLogBlack);
    view->AppendLog(kJobEndSeparator, kLogBlack);
    view->SetHintText(kSavedHint, {{11, 22}});
    view->ShowStopButton(false);
    view->EnableSaveGroup(true);
    view->EnableSelectButton(true);
    view->SetSelectEnabled(true);
    view->EnableRepairGroup(true);
    view->ShowProgressGroup(kShowHide);
    frame->SetProcessRunning(0);
    view->ShowTotalProgressOnly(kShowHide);
    view->RelayoutView();

    // The destination is both the link and its text; a folder name may hold any character.
    const QString shown = EscapeMessageMarkup(destination);
    view->ShowMessage(
        "File(s) saving process has been completed.Saved file(s) location is:<br>"
        "<a href='" +
            shown + "'>" + shown + "</a>",
        kMsgInfo, true);
    return 1;
}
