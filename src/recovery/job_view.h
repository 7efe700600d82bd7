#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "recovery/entry_info.h"
#include "recovery/salvage/salvage_result.h"

// Colours of log lines (COLORREF layout: red in the lowest byte).
using LogColor = uint32_t;
constexpr LogColor kLogBlack = 0x000000;
constexpr LogColor kLogRed = 0x0000FF;
constexpr LogColor kLogGreen = 0x009900;

// Show commands passed to the progress group.
constexpr int kShowHide = 0;
constexpr int kShowNormal = 1;
constexpr int kShow = 5;

// States of the preview box.
enum PreviewState {
    PB_NO_FILES = 0,
    PB_SELECT_TO_REPAIR = 1,
    PB_REPAIRING = 2,
    PB_SELECT_TO_PREVIEW = 3,
    PB_NO_IMAGE = 4,
    PB_NOT_REPAIRED = 5,
    PB_PICTURE = 6,
};

// Message-box styles and answers used by the message call.
constexpr int kMsgInfo = 64;      // information icon, OK
constexpr int kMsgQuestion = 36;  // question icon, Yes and No
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

struct HintRange {
    int start;
    int end;  // one past the last bold character
};

enum class ProgressBar { File, Total };

// What the Repair and Save workers may do to the screen. The window carries
// each call out on the user-interface thread while the worker waits; the
// terminal program and the tests have their own implementations.
class JobView {
public:
    virtual ~JobView() = default;

    // Activity log and hint pane.
    virtual void AppendLog(const QString& text, LogColor color) = 0;
    virtual void SetLogText(const QString& text) = 0;
    virtual void SetHintText(const QString& text, const std::vector<HintRange>& boldRanges) = 0;

    // Control groups and buttons.
    virtual void EnableRepairGroup(bool enable) = 0;
    virtual void EnableSaveGroup(bool enable) = 0;
    virtual void SetSelectEnabled(bool enable) = 0;    // the flag the menu follows
    virtual void EnableSelectButton(bool enable) = 0;  // the button itself
    virtual void EnableStopButton(bool enable) = 0;
    virtual void ShowStopButton(bool show) = 0;

    // Progress rows.
    virtual void ShowProgressGroup(int showCommand) = 0;
    virtual void ShowTotalProgressOnly(int showCommand) = 0;
    virtual void RelayoutView() = 0;
    virtual void SetProgressRange(ProgressBar bar, uint16_t upper) = 0;  // restarts the estimate
    virtual void SetProgressPos(ProgressBar bar, int pos) = 0;

    // File list: column 0 is the package path, item data 1 means repaired.
    virtual int FileRowCount() = 0;
    virtual QString FileRowText(int row) = 0;
    virtual int FileRowData(int row) = 0;
    virtual void SetFileRowData(int row, int data) = 0;

    // Entry table of the package being repaired. Only the worker touches it.
    virtual void ClearEntries() = 0;
    virtual void AppendEntry(const EntryInfo& entry) = 0;
    virtual int EntryCount() = 0;
    virtual EntryInfo Entry(int row) = 0;

    // Save settings.
    virtual QString DestinationText() = 0;  // empty while the prompt shows
    virtual bool IsExtractMediaChecked() = 0;

    virtual void ShowPreviewState(const QString& picturePath, int state) = 0;

    // What the completion step kept of row `row`'s slides, for views that
    // sum a run up; the window shows it in the log line alone.
    virtual void SetFileSlides(int row, const SalvageResult& salvage) {
        (void)row;
        (void)salvage;
    }

    // The message call: `text` is in the message box's mini-markup, the caption is
    // always "Pelmark". `ownedByView` is set only for the Save job's final message.
    // Returns the button pressed (kAnswerOk, kAnswerYes, kAnswerNo, kAnswerCancel).
    virtual int ShowMessage(const QString& text, int style, bool ownedByView = false) = 0;

    // A package or folder that cannot be used, with the errno value that
    // says why. The window shows the system's text alone; a terminal names
    // the path too.
    virtual void ShowFileError(const QString& path, int error);

    // The Save job has written `packagePath` for row `row` in this run.
    virtual void PackageSaved(int row, const QString& packagePath);
};
