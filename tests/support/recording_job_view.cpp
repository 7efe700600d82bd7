#include "support/recording_job_view.h"

RecordingJobView::RecordingJobView(QStringList paths) {
    for (const QString& p : paths) rows.push_back({p, 0});
}

void RecordingJobView::AppendLog(const QString& text, LogColor color) {
    calls << "AppendLog";
    log.push_back({text, color});
    logText += text;
    if (onAppend) onAppend(log.back());
}
void RecordingJobView::SetLogText(const QString& text) {
    calls << "SetLogText";
    log.clear();
    logText = text;
}
void RecordingJobView::SetHintText(const QString& text, const std::vector<HintRange>& ranges) {
    calls << "SetHintText";
    hintText = text;
    hintRanges = ranges;
}
void RecordingJobView::EnableRepairGroup(bool e) { calls << "EnableRepairGroup"; repairEnabled = e; }
void RecordingJobView::EnableSaveGroup(bool e) { calls << "EnableSaveGroup"; saveEnabled = e; }
void RecordingJobView::SetSelectEnabled(bool e) { calls << "SetSelectEnabled"; selectFlag = e; }
void RecordingJobView::EnableSelectButton(bool e) { calls << "EnableSelectButton"; selectButton = e; }
void RecordingJobView::EnableStopButton(bool e) { calls << "EnableStopButton"; stopEnabled = e; }
void RecordingJobView::ShowStopButton(bool s) { calls << "ShowStopButton"; stopShown = s; }
void RecordingJobView::ShowProgressGroup(int cmd) {
    calls << "ShowProgressGroup";
    progressGroup = cmd;
    if (cmd == kShowHide) totalOnly = kShowHide;
}
void RecordingJobView::ShowTotalProgressOnly(int cmd) {
    calls << "ShowTotalProgressOnly";
    totalOnly = cmd;
    progressGroup = kShowHide;
}
void RecordingJobView::RelayoutView() { calls << "RelayoutView"; }
void RecordingJobView::SetProgressRange(ProgressBar bar, uint16_t upper) {
    calls << "SetProgressRange";
    (bar == ProgressBar::File ? fileRange : totalRange) = upper;
}
void RecordingJobView::SetProgressPos(ProgressBar bar, int pos) {
    calls << "SetProgressPos";
    if (bar == ProgressBar::File) {
        filePos = pos;
    } else {
        totalPos = pos;
        totalPositions.push_back(pos);
    }
}
int RecordingJobView::FileRowCount() { return static_cast<int>(rows.size()); }
QString RecordingJobView::FileRowText(int row) { return rows.at(row).path; }
int RecordingJobView::FileRowData(int row) { return rows.at(row).data; }
void RecordingJobView::SetFileRowData(int row, int data) { rows.at(row).data = data; }
void RecordingJobView::ClearEntries() { entries.clear(); }
void RecordingJobView::AppendEntry(const EntryInfo& entry) { entries.push_back(entry); }
int RecordingJobView::EntryCount() { return static_cast<int>(entries.size()); }
EntryInfo RecordingJobView::Entry(int row) { return entries.at(row); }
QString RecordingJobView::DestinationText() { return destination; }
bool RecordingJobView::IsExtractMediaChecked() { return extractMedia; }
void RecordingJobView::ShowPreviewState(const QString&, int state) {
    calls << "ShowPreviewState";
    previewStates.push_back(state);
}
int RecordingJobView::ShowMessage(const QString& text, int style, bool ownedByView) {
    calls << "ShowMessage";
    messages.push_back({text, style, ownedByView});
    if (!answers.empty()) {
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return style == kMsgQuestion ? kAnswerNo : kAnswerOk;
}
