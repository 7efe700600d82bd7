#pragma once

#include <QString>
#include <QStringList>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "recovery/basic_job_view.h"

class TerminalJobView;

// What several held views share with the one that prints for them: a lock
// over everything the views hold and a signal that one of them has news.
struct HeldViewMailbox {
    std::mutex lock;
    std::condition_variable news;
};

// The view of one row repaired or saved on a worker thread while other rows
// run on others: it keeps the row's entry table and its mark, and holds
// everything that would reach the terminal (log lines, messages, file
// errors, the slides kept, saved packages, in the order they were made)
// until the printing thread passes it on with PassOn. The members' progress
// is held as where it stands only. Questions are answered No, as the
// terminal view answers them.
class HeldJobView : public BasicJobView {
public:
    // `packages` is the whole run's list and must outlive the view.
    HeldJobView(const QStringList* packages, int row, const QString& destination, bool extractMedia,
                HeldViewMailbox* mailbox);

    // Under the mailbox's lock: whether there is anything to pass on.
    bool HasNews() const { return !m_held.empty(); }
    // Under the mailbox's lock: takes what is held, to be passed on outside the lock.
    struct Held {
        std::vector<std::function<void(TerminalJobView*)>> calls;
        bool progressSet = false;
        uint16_t fileUpper = 0;
        int filePos = 0;
        // Makes the calls on `out`, in order, and brings its members' progress up to date.
        void PassOn(TerminalJobView* out) const;
    };
    Held Take();

    void AppendLog(const QString& text, LogColor color) override;
    void SetLogText(const QString& text) override;
    void SetProgressRange(ProgressBar bar, uint16_t upper) override;
    void SetProgressPos(ProgressBar bar, int pos) override;
    int FileRowCount() override { return int(m_packages->size()); }
    QString FileRowText(int row) override { return m_packages->at(row); }
    int FileRowData(int row) override { return row == m_row ? m_rowData : 0; }
    void SetFileRowData(int row, int data) override;
    QString DestinationText() override { return m_destination; }
    bool IsExtractMediaChecked() override { return m_extractMedia; }
    void SetFileSlides(int row, const SalvageResult& salvage) override;
    int ShowMessage(const QString& text, int style, bool ownedByView) override;
    void ShowFileError(const QString& path, int error) override;
    void PackageSaved(int row, const QString& packagePath) override;

private:
    void Hold(std::function<void(TerminalJobView*)> call);

    const QStringList* m_packages;
    const int m_row;
    int m_rowData = 0;
    const QString m_destination;
    const bool m_extractMedia;
    HeldViewMailbox* m_mailbox;
    // Guarded by the mailbox's lock.
    std::vector<std::function<void(TerminalJobView*)>> m_held;
    bool m_progressSet = false;
    uint16_t m_fileUpper = 0;
    int m_filePos = 0;
};
