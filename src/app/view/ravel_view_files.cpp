// Filling the file list (the file dialog, removal, drops) and choosing the
// destination folder.

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "app/app_settings.h"
#include "app/controls/file_list_model.h"
#include "app/controls/keld_list_ctrl.h"
#include "app/controls/prompt_edit.h"
#include "app/main_frame.h"
#include "app/view/dropped_files.h"
#include "app/view/ravel_view.h"
#include "app/view/view_texts.h"
#include "app/wait_cursor.h"
#include "platform/folders.h"
#include "recovery/message_markup.h"

namespace {

std::function<std::optional<QStringList>()>& FileDialogAnswer() {
    static std::function<std::optional<QStringList>()> answer;
    return answer;
}

std::function<std::optional<QString>()>& FolderBrowserAnswer() {
    static std::function<std::optional<QString>()> answer;
    return answer;
}

// Letters compared without regard to case, A to Z only, like the original's
// ASCII comparison: other characters must match exactly.
bool EqualIgnoringAsciiCase(const QString& a, const QString& b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= 'A' && x <= 'Z') x = static_cast<char16_t>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char16_t>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

void CRavelView::SetFileDialogAnswer(std::function<std::optional<QStringList>()> answer) {
    FileDialogAnswer() = std::move(answer);
}

void CRavelView::SetFolderBrowserAnswer(std::function<std::optional<QString>()> answer) {
    FolderBrowserAnswer() = std::move(answer);
}

bool CRavelView::IsNewListEntry(const QString& path) const {
    for (int row = 0; row < m_pFileModel->Count(); ++row)
        if (EqualIgnoringAsciiCase(path, m_pFileModel->Path(row))) return false;
    return true;
}

int CRavelView::AddFileRow(const QString& path) {
    return m_pFileModel->AddRow(path);
}

void CRavelView::RemoveWorkingFolder(const QString& folder) {
    // A root that is a link or someone else's is never emptied: what it points
    // to is not ours. The Repair command tells the user about such a root.
    if (CheckWorkingRoot(GetWorkingRoot())) return;
    RemoveFolderTree(folder);
}

void CRavelView::RemoveWorkingRoot() {
    const QString root = GetWorkingRoot();
    if (!platform::FolderExists(root)) return;
    // The preview lets go of its picture before the folders go.
    ShowPreviewState(QString(), PB_PICTURE);
    RemoveWorkingFolder(root);
}

void CRavelView::OnSelectFiles() {
    std::optional<QStringList> chosen;
    if (FileDialogAnswer()) {
        chosen = FileDialogAnswer()();
    } else {
        QFileDialog dialog(this);
        dialog.setFileMode(QFileDialog::ExistingFiles);
        dialog.setNameFilter(QStringLiteral("Impress File (*.odp)"));
        dialog.setDefaultSuffix(QStringLiteral("odp"));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // Not the program's working folder (often its build folder): the
        // folder last chosen from, or the user's home.
        dialog.setDirectory(ReadSelectFilesFolder());
        if (dialog.exec() == QDialog::Accepted) chosen = dialog.selectedFiles();
    }
    if (!chosen) return;  // cancelled: nothing changes
    if (!chosen->isEmpty()) WriteSelectFilesFolder(QFileInfo(chosen->first()).absolutePath());
    AcceptChosenFiles(*chosen);
}

void CRavelView::AcceptChosenFiles(const QStringList& chosen) {
    {
        WaitCursor wait;
        RemoveWorkingRoot();
        if (m_bListRepaired) {
            m_pFileModel->Clear();
            m_bListRepaired = false;
        }
        SetLogText(QStringLiteral("Select .odp file(s) to Repair...."));
    }
    if (chosen.isEmpty()) return;

    ShowPreviewState(QString(), PB_SELECT_TO_REPAIR);
    for (const QString& path : chosen) {
        if (IsNewListEntry(path))
            AddFileRow(path);
        else
            ShowMessage(path + QStringLiteral("already exist in the list."), kMsgInfo);
    }
    DoEnableRepairGroup(true);
}

void CRavelView::OpenFiles(const QStringList& paths) {
    if (paths.isEmpty()) return;
    if (m_bSelectEnabled && !m_pFrame->IsProcessRunning()) {
        // As if chosen in the file dialog.
        AcceptChosenFiles(paths);
        return;
    }
    // A job runs: its working folders stay, and the new rows wait for the
    // next run, as dropped files do.
    for (const QString& path : paths) {
        if (IsNewListEntry(path))
            AddFileRow(path);
        else
            ShowMessage(path + QStringLiteral("already exist in the list."), kMsgInfo);
    }
}

void CRavelView::OnRemoveFiles() {
    if (m_wndFileList->SelectedRows().isEmpty()) {
        ShowMessage(QStringLiteral("No file(s) selected to remove."), kMsgInfo);
        return;
    }
    // Each removal moves the rows below up, so take the first selected row anew
    // every time; its working folder is named with its index at that moment.
    for (QList<int> selected = m_wndFileList->SelectedRows(); !selected.isEmpty();
         selected = m_wndFileList->SelectedRows()) {
        const int row = selected.first();
        const QString folder = WorkingFolderOf(m_pFileModel->Path(row), row);
        ShowPreviewState(QString(), PB_PICTURE);
        RemoveWorkingFolder(folder);
        m_pFileModel->RemoveRowAt(row);
    }

    if (m_pFileModel->Count() == 0) {
        ShowPreviewState(QString(), PB_PICTURE);
        RemoveWorkingFolder(GetWorkingRoot());
        m_wndBrowseEdit->SetWindowText(QString());
        DoEnableSaveGroup(false);
        DoEnableRepairGroup(false);
        ShowPreviewState(QString(), PB_NO_FILES);
        SetLogText(kStartLogText);
        DoSetHintText(kStartHintText, kEmptiedListHintRanges);
    } else {
        ShowPreviewState(QString(), PB_SELECT_TO_PREVIEW);
    }
}

void CRavelView::OnBrowseFolder() {
    std::optional<QString> chosen;
    if (FolderBrowserAnswer()) {
        chosen = FolderBrowserAnswer()();
    } else {
        const QString folder = QFileDialog::getExistingDirectory(
            this, QStringLiteral("Select path to save repaired file(s)"));
        if (!folder.isEmpty()) chosen = folder;
    }
    if (!chosen) return;
    const QString path = chosen->trimmed();
    if (!path.isEmpty() && platform::FolderExists(path)) m_wndBrowseEdit->SetWindowText(path);
}

// ---------------------------------------------------------------------------
// Files dropped from a file manager

void CRavelView::dragEnterEvent(QDragEnterEvent* event) {
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void CRavelView::dragMoveEvent(QDragMoveEvent* event) {
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void CRavelView::dragLeaveEvent(QDragLeaveEvent* event) {
    event->accept();
}

void CRavelView::dropEvent(QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    const DropSorting sorted =
        SortDroppedUrls(data && data->hasUrls() ? data->urls() : QList<QUrl>());
    for (const QString& path : sorted.taken) AddFileRow(path);
    // What was left out is said in the status bar; the log belongs to the jobs.
    m_pFrame->SetPaneText(sorted.Report());
    // Files dropped onto an idle window can be repaired at once, as after the
    // file dialog; during a job the controls stay as the job set them.
    if (!sorted.taken.isEmpty() && !m_pFrame->IsProcessRunning() && m_bSelectEnabled)
        DoEnableRepairGroup(true);
    // The drop is reported as not carried out, so the file manager never
    // deletes the files it thinks it moved.
    event->setDropAction(Qt::IgnoreAction);
    event->ignore();
}
