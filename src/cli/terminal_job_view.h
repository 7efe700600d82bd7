#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <vector>

#include "recovery/job_view.h"

// The workers' view in a terminal: log lines go to stdout (bold and coloured
// when stdout is a terminal), a progress line to stderr when stderr is one,
// and what the window would show in a box goes to stderr. Questions are
// answered No.
class TerminalJobView : public JobView {
public:
    TerminalJobView(const QStringList& packages, const QString& destination, bool extractMedia);

    bool SawRedLine() const { return m_sawRedLine; }
    void ForgetRedLines() { m_sawRedLine = false; }

    void AppendLog(const QString& text, LogColor color) override;
    void SetLogText(const QString& text) override;
    void SetHintText(const QString&, const std::vector<HintRange>&) override {}
    void EnableRepairGroup(bool) override {}
    void EnableSaveGroup(bool) override {}
    void SetSelectEnabled(bool) override {}
    void EnableSelectButton(bool) override {}
    void EnableStopButton(bool) override {}
    void ShowStopButton(bool) override {}
    void ShowProgressGroup(int showCommand) override;
    void ShowTotalProgressOnly(int showCommand) override;
    void RelayoutView() override {}
    void SetProgressRange(ProgressBar bar, uint16_t upper) override;
    void SetProgressPos(ProgressBar bar, int pos) override;
    int FileRowCount() override { return static_cast<int>(m_rows.size()); }
    QString FileRowText(int row) override { return m_rows.at(row).path; }
    int FileRowData(int row) override { return m_rows.at(row).data; }
    void SetFileRowData(int row, int data) override { m_rows.at(row).data = data; }
    void ClearEntries() override { m_entries.clear(); }
    void AppendEntry(const EntryInfo& entry) override { m_entries.push_back(entry); }
    int EntryCount() override { return static_cast<int>(m_entries.size()); }
    EntryInfo Entry(int row) override { return m_entries.at(row); }
    QString DestinationText() override { return m_destination; }
    bool IsExtractMediaChecked() override { return m_extractMedia; }
    void ShowPreviewState(const QString&, int) override {}
    int ShowMessage(const QString& text, int style, bool ownedByView) override;

private:
    struct Row {
        QString path;
        int data = 0;
    };
    void DrawProgress();
    void ClearProgress();

    std::vector<Row> m_rows;
    std::vector<EntryInfo> m_entries;
    QString m_destination;
    bool m_extractMedia;
    bool m_colour;
    bool m_progress;
    bool m_sawRedLine = false;
    bool m_progressShown = false;
    bool m_fileBarShown = false;
    int m_progressWidth = 0;
    uint16_t m_fileUpper = 0, m_totalUpper = 0;
    int m_filePos = 0, m_totalPos = 0;
    QTextStream m_out;
    QTextStream m_err;
};
