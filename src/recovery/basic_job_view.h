#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "recovery/job_view.h"

// A view with no screen: it keeps the file rows, the entry table, the
// destination and the Extract Media flag, and ignores every other call.
// Messages are answered OK, questions No. Views that show some of the work
// elsewhere derive from it and override only those calls.
class BasicJobView : public JobView {
public:
    BasicJobView() = default;
    BasicJobView(const QStringList& packages, const QString& destination, bool extractMedia);

    const std::vector<EntryInfo>& Entries() const { return m_entries; }

    // The packages the Save job wrote, in the order it wrote them.
    struct SavedPackage {
        int row;
        QString path;
    };
    const std::vector<SavedPackage>& SavedPackages() const { return m_saved; }

    void AppendLog(const QString&, LogColor) override {}
    void SetLogText(const QString&) override {}
    void SetHintText(const QString&, const std::vector<HintRange>&) override {}
    void EnableRepairGroup(bool) override {}
    void EnableSaveGroup(bool) override {}
    void SetSelectEnabled(bool) override {}
    void EnableSelectButton(bool) override {}
    void EnableStopButton(bool) override {}
    void ShowStopButton(bool) override {}
    void ShowProgressGroup(int) override {}
    void ShowTotalProgressOnly(int) override {}
    void RelayoutView() override {}
    void SetProgressRange(ProgressBar, uint16_t) override {}
    void SetProgressPos(ProgressBar, int) override {}
    int FileRowCount() override { return static_cast<int>(m_rows.size()); }
    QString FileRowText(int row) override { return m_rows.at(row).path; }
    int FileRowData(int row) override { return m_rows.at(row).data; }
    void SetFileRowData(int row, int data) override { m_rows.at(row).data = data; }
    // Gives the memory back too: a package may have had many members.
    void ClearEntries() override { std::vector<EntryInfo>().swap(m_entries); }
    void AppendEntry(const EntryInfo& entry) override { m_entries.push_back(entry); }
    int EntryCount() override { return static_cast<int>(m_entries.size()); }
    EntryInfo Entry(int row) override { return m_entries.at(row); }
    QString DestinationText() override { return m_destination; }
    bool IsExtractMediaChecked() override { return m_extractMedia; }
    void ShowPreviewState(const QString&, int) override {}
    int ShowMessage(const QString& text, int style, bool ownedByView) override;
    void PackageSaved(int row, const QString& packagePath) override;

private:
    struct Row {
        QString path;
        int data = 0;
    };

    std::vector<Row> m_rows;
    std::vector<EntryInfo> m_entries;
    std::vector<SavedPackage> m_saved;
    QString m_destination;
    bool m_extractMedia = false;
};
