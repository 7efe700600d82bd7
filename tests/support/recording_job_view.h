#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "recovery/job_view.h"

// A JobView that only remembers: the log lines with their colours, every call
// in order, the current control states, and the messages shown (answered from
// a queue, OK or No when the queue is empty).
class RecordingJobView : public JobView {
public:
    struct LogLine {
        QString text;
        LogColor color;
        bool operator==(const LogLine& o) const { return text == o.text && color == o.color; }
    };
    struct Message {
        QString text;
        int style;
        bool ownedByView;
    };
    struct Row {
        QString path;
        int data = 0;
    };

    explicit RecordingJobView(QStringList rows = {});

    // State, as the window would show it.
    std::vector<LogLine> log;
    QString logText;  // everything appended since the last SetLogText
    QString hintText;
    std::vector<HintRange> hintRanges;
    bool repairEnabled = false, saveEnabled = false, selectFlag = true, selectButton = true;
    bool stopEnabled = false, stopShown = false;
    int progressGroup = kShowHide, totalOnly = kShowHide;
    uint16_t fileRange = 0, totalRange = 0;
    int filePos = 0, totalPos = 0;
    std::vector<int> totalPositions;  // every total-bar position set
    std::vector<Row> rows;
    std::vector<EntryInfo> entries;
    QString destination;
    bool extractMedia = true;
    std::vector<int> previewStates;
    std::vector<Message> messages;
    std::deque<int> answers;
    QStringList calls;     // names of the calls, in order
    SalvageResult slides;  // what the last SetFileSlides gave (not in `calls`)

    // Called after each AppendLog, e.g. to press Stop at a given line.
    std::function<void(const LogLine&)> onAppend;

    // JobView
    void AppendLog(const QString& text, LogColor color) override;
    void SetLogText(const QString& text) override;
    void SetHintText(const QString& text, const std::vector<HintRange>& ranges) override;
    void EnableRepairGroup(bool e) override;
    void EnableSaveGroup(bool e) override;
    void SetSelectEnabled(bool e) override;
    void EnableSelectButton(bool e) override;
    void EnableStopButton(bool e) override;
    void ShowStopButton(bool s) override;
    void ShowProgressGroup(int cmd) override;
    void ShowTotalProgressOnly(int cmd) override;
    void RelayoutView() override;
    void SetProgressRange(ProgressBar bar, uint16_t upper) override;
    void SetProgressPos(ProgressBar bar, int pos) override;
    int FileRowCount() override;
    QString FileRowText(int row) override;
    int FileRowData(int row) override;
    void SetFileRowData(int row, int data) override;
    void ClearEntries() override;
    void AppendEntry(const EntryInfo& entry) override;
    int EntryCount() override;
    EntryInfo Entry(int row) override;
    QString DestinationText() override;
    bool IsExtractMediaChecked() override;
    void ShowPreviewState(const QString& path, int state) override;
    void SetFileSlides(int, const SalvageResult& salvage) override { slides = salvage; }
    int ShowMessage(const QString& text, int style, bool ownedByView) override;
};

// Readable log lines in test failures.
#include <ostream>
inline void PrintTo(const RecordingJobView::LogLine& line, std::ostream* os) {
    *os << "{\"" << line.text.toStdString() << "\", 0x" << std::hex << line.color << std::dec
        << "}";
}
