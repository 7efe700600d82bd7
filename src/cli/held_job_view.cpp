#include "cli/held_job_view.h"

#include "cli/terminal_job_view.h"

HeldJobView::HeldJobView(const QStringList* packages, int row, const QString& destination,
                         bool extractMedia, HeldViewMailbox* mailbox)
    : m_packages(packages),
      m_row(row),
      m_destination(destination),
      m_extractMedia(extractMedia),
      m_mailbox(mailbox) {}

void HeldJobView::Hold(std::function<void(TerminalJobView*)> call) {
    {
        std::lock_guard<std::mutex> guard(m_mailbox->lock);
        m_held.push_back(std::move(call));
    }
    m_mailbox->news.notify_all();
}

HeldJobView::Held HeldJobView::Take() {
    Held held;
    held.calls.swap(m_held);
    held.progressSet = m_progressSet;
    held.fileUpper = m_fileUpper;
    held.filePos = m_filePos;
    m_progressSet = false;
    return held;
}

void HeldJobView::Held::PassOn(TerminalJobView* out) const {
    for (const auto& call : calls) call(out);
    if (progressSet) {
        out->SetProgressRange(ProgressBar::File, fileUpper);
        out->SetProgressPos(ProgressBar::File, filePos);
    }
}

void HeldJobView::AppendLog(const QString& text, LogColor color) {
    Hold([text, color](TerminalJobView* out) { out->AppendLog(text, color); });
}

void HeldJobView::SetLogText(const QString& text) {
    Hold([text](TerminalJobView* out) { out->SetLogText(text); });
}

// Only the members' bar is the row's own; the files' bar counts the rows
// passed on. Nobody is woken for it: it goes out with the next line or look.
void HeldJobView::SetProgressRange(ProgressBar bar, uint16_t upper) {
    if (bar != ProgressBar::File) return;
    std::lock_guard<std::mutex> guard(m_mailbox->lock);
    m_fileUpper = upper;
    m_progressSet = true;
}

void HeldJobView::SetProgressPos(ProgressBar bar, int pos) {
    if (bar != ProgressBar::File) return;
    std::lock_guard<std::mutex> guard(m_mailbox->lock);
    m_filePos = pos;
    m_progressSet = true;
}

void HeldJobView::SetFileRowData(int row, int data) {
    if (row == m_row) m_rowData = data;
    Hold([row, data](TerminalJobView* out) { out->SetFileRowData(row, data); });
}

void HeldJobView::SetFileSlides(int row, const SalvageResult& salvage) {
    Hold([row, salvage](TerminalJobView* out) { out->SetFileSlides(row, salvage); });
}

int HeldJobView::ShowMessage(const QString& text, int style, bool ownedByView) {
    Hold([text, style, ownedByView](TerminalJobView* out) {
        out->ShowMessage(text, style, ownedByView);
    });
    return BasicJobView::ShowMessage(text, style, ownedByView);
}

void HeldJobView::ShowFileError(const QString& path, int error) {
    Hold([path, error](TerminalJobView* out) { out->ShowFileError(path, error); });
}

void HeldJobView::PackageSaved(int row, const QString& packagePath) {
    Hold([row, packagePath](TerminalJobView* out) { out->PackageSaved(row, packagePath); });
}
