#include "packaging/save_job.h"

#include <QSet>
#include <algorithm>
#include <cerrno>
#include <vector>

#include "packaging/media_copy.h"
#include "packaging/repaired_folder_packer.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/output_files.h"
#include "recovery/job_view.h"
#include "recovery/message_markup.h"
#include "recovery/package_kind.h"

namespace {

const QString kSavingHint = "Please wait while .odp file(s) are saving....";
const QString kSavedHint =
    "Saving of .odp file(s) completed....\n Click exit to end the application or \nSelect new "
    ".odp file(s) to repair....";

// Inserts " (n)" before the extension: "TORVEX_x.odp" becomes "TORVEX_x (2).odp".
QString Numbered(const QString& name, int n) {
    if (n < 2) return name;
    const int dot = name.lastIndexOf('.');
    const QString mark = QString(" (%1)").arg(n);
    return dot > 0 ? name.left(dot) + mark + name.mid(dot) : name + mark;
}

bool IsInput(const SaveRun& run, const QString& path) {
    const std::optional<platform::FileIdentity> id = platform::IdentityOf(path);
    return id && std::find(run.inputs.begin(), run.inputs.end(), *id) != run.inputs.end();
}

// Copies the row's pictures into its media folder and logs the outcome.
void SaveMedia(JobView* view, const QString& path, const QString& workingFolder,
               const QString& mediaFolder, const SaveRun& run) {
    const int made = platform::CreateOutputFolder(mediaFolder);  // an existing one is fine
    QString refusal;
    if (made != 0 && made != EEXIST)
        refusal = "cannot create " + mediaFolder + ": " + platform::ErrorText(made);
    else if (platform::IsSymLink(mediaFolder))
        refusal = mediaFolder + " is a symbolic link, and pictures are never written through one";
    else if (!platform::FolderExists(mediaFolder))
        refusal = mediaFolder + " is there already and is not a folder";
    if (!refusal.isEmpty()) {
        view->AppendLog(path + " media content not copied: " + refusal + "....\r\n", kLogRed);
        return;
    }

    MediaCopyResult copy;
    CopyMediaFiles(workingFolder, mediaFolder, &copy, &run.inputs);
    const bool removed = platform::RemoveFolder(mediaFolder);
    if (copy.failed > 0 && copy.copied == 0)
        view->AppendLog(path + " media content not copied: no picture could be copied (" +
                            copy.lastError + ")....\r\n",
                        kLogRed);
    else if (removed)
        view->AppendLog(path + " no media content is present in the file....\r\n", kLogBlack);
    else
        view->AppendLog(path + " Media extration is done....\r\n", kLogBlack);
    if (copy.failed > 0 && copy.copied > 0)
        view->AppendLog(path + QString(" %1 picture(s) could not be copied (").arg(copy.failed) +
                            copy.lastError + ")....\r\n",
                        kLogRed);
}

// Saves one repaired row under the names reserved for it; the lines between
// "starts" and the separator.
void SaveRow(JobView* view, const QString& path, int row, const SaveTarget& target,
             const SaveRun& run) {
    view->AppendLog(path + " saving of file starts....\r\n", kLogBlack);
    const QString workingFolder = WorkingFolderOf(path, row);
    const QString& packagePath = target.packagePath;
    const QString& mediaFolder = target.mediaFolder;
    if (target.number > 1)
        view->AppendLog(path + " is saved as " + target.packageName +
                            ", as an earlier file of this run has the same name....\r\n",
                        kLogBlack);

    // Packing over a file given to repair would destroy it (its name is
    // compared by the file itself, so no spelling or link gets round it).
    if (IsInput(run, packagePath)) {
        view->AppendLog(path + " saving of file failed: " + packagePath +
                            " is one of the files given to repair, and it is never written "
                            "over\r\n",
                        kLogRed);
        return;
    }

    // A row whose working folder is gone (removed with the row before it, for
    // example) has nothing left to save; an empty package would pass for it.
    QString failure;
    RepairedFolderPacker packer;
    if (!platform::FolderExists(workingFolder)) {
        failure =
            "its repaired files are no longer in " + workingFolder + "; please repair it again";
    } else {
        if (run.helperThreads >= 0) packer.SetHelperThreads(run.helperThreads);
        if (!packer.PackRepairedFolder(workingFolder, packagePath, run.completePackages))
            failure = packer.LastError();
    }
    for (const FolderPacker::LeftOutMember& member : packer.LeftOut())
        view->AppendLog(path + " member " + member.name +
                            " is left out of the package: " + member.reason + "....\r\n",
                        kLogRed);

    if (view->IsExtractMediaChecked()) SaveMedia(view, path, workingFolder, mediaFolder, run);

    if (failure.isEmpty()) {
        view->AppendLog(path + " saving of file done....\r\n", kLogGreen);
        view->PackageSaved(row, packagePath);
    } else {
        view->AppendLog(path + " saving of file failed: " + failure + "\r\n", kLogRed);
    }
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

SaveTarget ReserveSaveTarget(SaveRun* run, const QString& path, int row) {
    const QString fileName = FileNameOf(path);
    // A package of another kind keeps its own extension.
    const PackageKind kind = DetectPackageKind(WorkingFolderOf(path, row));
    const QString packageName = "TORVEX_" + PackageFileName(fileName, kind);
    // The media folder keeps the whole file name before its number: "x.odp (2)_MediaContent".
    const auto mediaName = [&fileName](int n) {
        return (n < 2 ? fileName : fileName + QString(" (%1)").arg(n)) + "_MediaContent";
    };
    int n = 1;
    while (run->takenPackages.contains(Numbered(packageName, n)) ||
           run->takenMediaFolders.contains(mediaName(n)))
        ++n;
    run->takenPackages.insert(Numbered(packageName, n));
    run->takenMediaFolders.insert(mediaName(n));
    SaveTarget target;
    target.number = n;
    target.packageName = Numbered(packageName, n);
    target.packagePath = run->folder + target.packageName;
    target.mediaFolder = run->folder + mediaName(n);
    return target;
}

bool OpenSaveRun(JobParams* params, SaveRun* run) {
    JobControl* frame = params->mainWnd;
    JobView* view = params->view;

    const QString destination = view->DestinationText();
    if (!platform::FolderExists(destination)) {
        view->ShowMessage("Please select a valid folder path.", kMsgInfo);
        return false;
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

    run->destination = destination;
    run->folder = destination.endsWith('/') ? destination : destination + '/';
    const int rowCount = view->FileRowCount();
    run->completePackages = params->completePackages;
    for (int row = 0; row < rowCount; ++row)
        if (const auto id = platform::IdentityOf(view->FileRowText(row)))
            run->inputs.push_back(*id);
    view->ShowTotalProgressOnly(kShow);
    view->RelayoutView();
    view->SetProgressRange(ProgressBar::Total, static_cast<uint16_t>(rowCount));
    view->SetProgressPos(ProgressBar::Total, 0);
    return true;
}

void SaveRunRow(JobView* view, int row, const SaveTarget* target, const SaveRun& run) {
    const QString path = view->FileRowText(row);
    if (target)
        SaveRow(view, path, row, *target, run);
    else
        view->AppendLog(path + " cannot be saved,as it is not Repaired.\r\n", kLogRed);
    view->AppendLog(kFileSeparator, kLogBlack);
}

void LogRowsNotSaving(JobView* view, int firstRow) {
    for (int rest = firstRow; rest < view->FileRowCount(); ++rest) {
        const QString restPath = view->FileRowText(rest);
        view->AppendLog(
            restPath + " file is not saving as process has been stop by the user.... \r\n",
            kLogBlack);
        view->AppendLog(restPath + " not saved....\r\n", kLogRed);
        view->AppendLog(kFileSeparator, kLogBlack);
        view->SetFileRowData(rest, 0);
    }
}

void CloseSaveRun(JobParams* params, const SaveRun& run) {
    JobControl* frame = params->mainWnd;
    JobView* view = params->view;
    view->SetProgressPos(ProgressBar::Total, view->FileRowCount());

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
    const QString shown = EscapeMessageMarkup(run.destination);
    view->ShowMessage(
        "File(s) saving process has been completed.Saved file(s) location is:<br>"
        "<a href='" +
            shown + "'>" + shown + "</a>",
        kMsgInfo, true);
}

int SaveWorker(JobParams* params) {
    JobControl* frame = params->mainWnd;
    JobView* view = params->view;
    SaveRun run;
    if (!OpenSaveRun(params, &run)) return 0;

    const int rowCount = view->FileRowCount();
    for (int row = 0; row < rowCount; ++row) {
        const QString path = view->FileRowText(row);
        const int repaired = view->FileRowData(row);
        if (repaired == 1 && !frame->IsProcessRunning()) {
            // Stopped: every row from here on is reported unsaved and loses its mark.
            LogRowsNotSaving(view, row);
            break;
        }
        if (repaired == 1) {
            const SaveTarget target = ReserveSaveTarget(&run, path, row);
            SaveRunRow(view, row, &target, run);
        } else {
            SaveRunRow(view, row, nullptr, run);
        }
        view->SetProgressPos(ProgressBar::Total, row + 1);
    }
    CloseSaveRun(params, run);
    return 1;
}
