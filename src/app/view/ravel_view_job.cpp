// The window's side of the seam the workers drive, and the starting and
// stopping of the two jobs.

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QThread>

#include "app/controls/est_progress_ctrl.h"
#include "app/controls/file_list_model.h"
#include "app/controls/prompt_edit.h"
#include "app/main_frame.h"
#include "app/view/gui_thread_call.h"
#include "app/view/ravel_view.h"
#include "app/view/view_texts.h"
#include "htmlbox/message_call.h"
#include "packaging/save_job.h"
#include "recovery/repair_job.h"

namespace {

const QString kCaption = QStringLiteral("Pelmark");

QColor ColorOf(LogColor color) {
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

// The panes use "\n" for a line break; the jobs write "\r\n".
QString PaneText(const QString& text) {
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return plain;
}

}  // namespace

// ---------------------------------------------------------------------------
// Log and hint panes

void CRavelView::DoAppendLog(const QString& text, LogColor color) {
    QTextCursor cursor(m_wndLog->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(ColorOf(color));
    format.setFontWeight(QFont::Bold);
    cursor.insertText(PaneText(text), format);
    // Leave the caret at the end and the new line in view.
    m_wndLog->setTextCursor(cursor);
    m_wndLog->ensureCursorVisible();
    m_wndLog->horizontalScrollBar()->setValue(0);
    emit logAppended(text, color);
}

void CRavelView::AppendLog(const QString& text, LogColor color) {
    OnGuiThread(this, [&] { DoAppendLog(text, color); });
}

void CRavelView::SetLogText(const QString& text) {
    OnGuiThread(this, [&] { m_wndLog->setPlainText(PaneText(text)); });
}

void CRavelView::DoSetHintText(const QString& text, const std::vector<HintRange>& boldRanges) {
    m_wndHint->setPlainText(text);
    // Positions count each line break as one character, as the document does.
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    const int length = m_wndHint->document()->characterCount() - 1;
    for (const HintRange& range : boldRanges) {
        const int start = std::clamp(range.start, 0, length);
        const int end = std::clamp(range.end, start, length);
        QTextCursor cursor(m_wndHint->document());
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(bold);
    }
    FitHintFont();
}

void CRavelView::SetHintText(const QString& text, const std::vector<HintRange>& boldRanges) {
    OnGuiThread(this, [&] { DoSetHintText(text, boldRanges); });
}

// ---------------------------------------------------------------------------
// Control groups and buttons

void CRavelView::DoEnableRepairGroup(bool enable) {
    m_bRepairEnabled = enable;
    m_btnRepairFiles->setEnabled(enable);
    m_btnRemoveFiles->setEnabled(enable);
    emit controlStatesChanged();
}

void CRavelView::DoEnableSaveGroup(bool enable) {
    m_bSaveEnabled = enable;
    m_btnBrowse->setEnabled(enable);
    m_btnSaveFiles->setEnabled(enable);
    m_chkExtractMedia->setEnabled(enable);
    m_wndBrowseEdit->setEnabled(enable);
    emit controlStatesChanged();
}

void CRavelView::EnableRepairGroup(bool enable) {
    OnGuiThread(this, [&] { DoEnableRepairGroup(enable); });
}

void CRavelView::EnableSaveGroup(bool enable) {
    OnGuiThread(this, [&] { DoEnableSaveGroup(enable); });
}

void CRavelView::SetSelectEnabled(bool enable) {
    OnGuiThread(this, [&] {
        m_bSelectEnabled = enable;
        emit controlStatesChanged();
    });
}

void CRavelView::EnableSelectButton(bool enable) {
    OnGuiThread(this, [&] { m_btnSelectFiles->setEnabled(enable); });
}

void CRavelView::EnableStopButton(bool enable) {
    OnGuiThread(this, [&] { m_btnStop->setEnabled(enable); });
}

void CRavelView::ShowStopButton(bool show) {
    OnGuiThread(this, [&] { m_btnStop->setVisible(show); });
}

// ---------------------------------------------------------------------------
// Progress rows

void CRavelView::DoShowProgressGroup(int showCommand) {
    const bool show = showCommand != kShowHide;
    for (QWidget* widget : std::initializer_list<QWidget*>{m_lblFileProgress, m_lblTotalProgress,
                                                           m_wndFileProgress, m_wndTotalProgress})
        widget->setVisible(show);
}

void CRavelView::DoShowTotalProgressOnly(int showCommand) {
    const bool show = showCommand != kShowHide;
    m_lblFileProgress->hide();
    m_wndFileProgress->hide();
    m_lblTotalProgress->setVisible(show);
    m_wndTotalProgress->setVisible(show);
}

void CRavelView::ShowProgressGroup(int showCommand) {
    OnGuiThread(this, [&] { DoShowProgressGroup(showCommand); });
}

void CRavelView::ShowTotalProgressOnly(int showCommand) {
    OnGuiThread(this, [&] { DoShowTotalProgressOnly(showCommand); });
}

void CRavelView::RelayoutView() {
    OnGuiThread(this, [&] { LayoutControls(width(), height()); });
}

CEstProgressCtrl* CRavelView::BarOf(ProgressBar bar) const {
    return bar == ProgressBar::File ? m_wndFileProgress : m_wndTotalProgress;
}

void CRavelView::SetProgressRange(ProgressBar bar, uint16_t upper) {
    OnGuiThread(this, [&] { BarOf(bar)->SetRange(0, upper); });
}

void CRavelView::SetProgressPos(ProgressBar bar, int pos) {
    OnGuiThread(this, [&] { BarOf(bar)->SetPos(pos); });
}

// ---------------------------------------------------------------------------
// File list, entry table, save settings, preview, messages

int CRavelView::FileRowCount() {
    return OnGuiThread(this, [&] { return m_pFileModel->Count(); });
}

QString CRavelView::FileRowText(int row) {
    return OnGuiThread(this, [&] { return m_pFileModel->Path(row); });
}

int CRavelView::FileRowData(int row) {
    return OnGuiThread(this, [&] { return m_pFileModel->ItemData(row); });
}

void CRavelView::SetFileRowData(int row, int data) {
    OnGuiThread(this, [&] { m_pFileModel->SetItemData(row, data); });
}

// The entry table belongs to the worker that fills and reads it; no hop.
void CRavelView::ClearEntries() {
    m_entries.clear();
}
void CRavelView::AppendEntry(const EntryInfo& entry) {
    m_entries.push_back(entry);
}
int CRavelView::EntryCount() {
    return static_cast<int>(m_entries.size());
}
EntryInfo CRavelView::Entry(int row) {
    if (row < 0 || row >= EntryCount()) return EntryInfo{};
    return m_entries[static_cast<size_t>(row)];
}

QString CRavelView::DestinationText() {
    return OnGuiThread(this, [&] { return m_wndBrowseEdit->GetWindowText(); });
}

bool CRavelView::IsExtractMediaChecked() {
    return OnGuiThread(this, [&] { return m_chkExtractMedia->isChecked(); });
}

int CRavelView::ShowMessage(const QString& text, int style, bool ownedByView) {
    const bool fromWorker = QThread::currentThread() != thread();
    return OnGuiThread(this, [&] {
        // The Save job's last word belongs to the window and keeps it until answered.
        if (ownedByView) return ShowHtmlMessage(this, text, kCaption, style);
        // A box raised by the worker blocks only the worker; the window stays usable.
        return ShowHtmlMessage(
            nullptr, text, kCaption, style,
            fromWorker ? MessageModality::Modeless : MessageModality::Application);
    });
}

// ---------------------------------------------------------------------------
// Starting and stopping the jobs

int CRavelView::RepairThread(JobParams* params) {
    auto* view = static_cast<CRavelView*>(params->view);
    const int result = RepairWorker(params);
    view->WorkerEnded(result);
    return result;
}

int CRavelView::SaveThread(JobParams* params) {
    auto* view = static_cast<CRavelView*>(params->view);
    const int result = SaveWorker(params);
    view->WorkerEnded(result);
    return result;
}

void CRavelView::WorkerEnded(int result) {
    // The worker is done with the view once this is queued; the count drops on
    // the user-interface thread, which is the only one that reads it.
    QMetaObject::invokeMethod(
        this,
        [this, result] {
            m_nWorkersAlive.fetch_sub(1);
            emit jobFinished(result);
        },
        Qt::QueuedConnection);
}

bool CRavelView::StartWorker(JobProc proc) {
    m_nWorkersAlive.fetch_add(1);
    if (StartJobThread(proc, &m_jobParams)) return true;
    m_nWorkersAlive.fetch_sub(1);
    return false;
}

void CRavelView::RecoverFromFailedStart() {
    // The controls are already in their running state and no worker will ever
    // put them back: do it here, and say what happened.
    m_pFrame->SetProcessRunning(0);
    m_btnStop->hide();
    m_btnSelectFiles->setEnabled(true);
    m_bSelectEnabled = true;
    DoEnableRepairGroup(true);
    DoShowProgressGroup(kShowHide);
    LayoutControls(width(), height());
    ShowMessage(QStringLiteral("The repair could not be started: the system refused to start a "
                               "new thread. Please close other programs and try again."),
                kMsgInfo);
}

void CRavelView::OnRepairFiles() {
    m_jobParams.mainWnd = m_pFrame;
    m_jobParams.view = this;
    m_jobParams.completePackages = m_pFrame->IsCompletePackagesChecked();
    if (!BeginRepairRun(&m_jobParams)) return;
    m_bListRepaired = true;
    if (!StartWorker(&CRavelView::RepairThread)) {
        ShowPreviewState(QString(), PB_SELECT_TO_REPAIR);
        DoSetHintText(kStartHintText, kStartHintRanges);
        RecoverFromFailedStart();
    }
}

void CRavelView::OnSaveFiles() {
    if (!BeginSaveRun(&m_jobParams)) return;
    // The Save worker puts the controls into their running state itself, so a
    // thread that never starts has changed nothing.
    if (!StartWorker(&CRavelView::SaveThread))
        ShowMessage(QStringLiteral("The saving could not be started: the system refused to start "
                                   "a new thread. Please close other programs and try again."),
                    kMsgInfo);
}

void CRavelView::OnStop() {
    if (ShowMessage(QStringLiteral("Are you sure to stop the running process?"), kMsgQuestion) !=
        kAnswerYes)
        return;
    m_btnStop->setEnabled(false);
    m_pFrame->SetProcessRunning(0);
}
