#pragma once

#include <QFont>
#include <QPixmap>
#include <QStringList>
#include <QWidget>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

#include "app/view/view_layout.h"
#include "recovery/job_control.h"
#include "recovery/job_view.h"

class CEstProgressCtrl;
class CKeldListCtrl;
class CMainFrame;
class CPictureBox;
class CPromptEdit;
class FileListModel;
class QCheckBox;
class QLabel;
class QPushButton;
class QTextEdit;

// Control ids of the view. The four labels share one id; the colour rule paints
// the labels and the check box on the view's yellow.
enum ViewControlId {
    ID_KELD_LIST_CTRL = 1,
    ID_KELD_BTN_SELECT_FILES = 2,
    ID_KELD_BTN_REMOVE_FILES = 3,
    ID_KELD_BTN_SAVE_FILES = 4,
    ID_KELD_EDIT_CTRL = 5,
    ID_KELD_RICH_EDIT_CTRL = 7,
    ID_KELD_BROWSE_EDIT_CTRL = 8,
    IDC_KELD_STATIC = 9,
    ID_KELD_BTN_BROWSE = 10,
    ID_KELD_BTN_STOP = 11,
    ID_KELD_BTN_EXIT = 12,
    ID_KELD_SCAN_LIST_CTRL = 13,
    IDC_KELD_STATIC_PICTURE_CTRL = 15,
    ID_CHECK_BTN_EXTRACT_FILE_CONTENT = 16,
    ID_FIRST_PROGRESS_CTRL = 18,
    ID_KELD_BTN_RECOVER_FILES = 307,
    ID_SECOND_PROGRESS_CTRL = 57666,
};

// The yellow of the view's middle band, labels and check box.
inline const QColor kViewBackgroundColor(252, 230, 154);

// The whole work area of the main window: the file list, the buttons, the
// preview, the log and hint panes, the destination row and the progress rows.
// It is also the window's side of the seam the Repair and Save workers drive:
// a call from the worker thread is carried out on the user-interface thread
// while the worker waits.
class CRavelView : public QWidget, public JobView {
    Q_OBJECT
public:
    explicit CRavelView(CMainFrame* frame);
    ~CRavelView() override;

    // Commands of the buttons and of the frame's menu.
    void OnSelectFiles();
    // Files named on the command line or handed over by a second start: taken
    // as from the file dialog (duplicates refused with its message); while a
    // job runs they are only added to the list.
    void OpenFiles(const QStringList& paths);
    void OnRemoveFiles();
    void OnRepairFiles();
    void OnSaveFiles();
    void OnBrowseFolder();
    void OnStop();
    // Shows the preview of file-list row `row`: 1 when it ran to its end,
    // 0 when it stopped at a message state.
    int OnShowPreview(int row);

    // 1 when no row holds `path`, letters compared without regard to ASCII case.
    bool IsNewListEntry(const QString& path) const;

    bool IsRepairEnabled() const { return m_bRepairEnabled; }
    bool IsSaveEnabled() const { return m_bSaveEnabled; }
    bool IsSelectEnabled() const { return m_bSelectEnabled; }
    bool IsListRepaired() const { return m_bListRepaired; }
    // A worker thread started from this view has not returned yet.
    bool IsWorkerAlive() const { return m_nWorkersAlive.load() > 0; }

    // Clears the preview (which lets go of the picture file) and removes the
    // working root with everything in it. Used at start, exit and selection.
    void RemoveWorkingRoot();

    // JobView, callable from the worker thread.
    void AppendLog(const QString& text, LogColor color) override;
    void SetLogText(const QString& text) override;
    void SetHintText(const QString& text, const std::vector<HintRange>& boldRanges) override;
    void EnableRepairGroup(bool enable) override;
    void EnableSaveGroup(bool enable) override;
    void SetSelectEnabled(bool enable) override;
    void EnableSelectButton(bool enable) override;
    void EnableStopButton(bool enable) override;
    void ShowStopButton(bool show) override;
    void ShowProgressGroup(int showCommand) override;
    void ShowTotalProgressOnly(int showCommand) override;
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
    void ShowPreviewState(const QString& picturePath, int state) override;
    int ShowMessage(const QString& text, int style, bool ownedByView = false) override;

    // Test seams: when set, these answer in place of the file dialog and the
    // folder browser (nullopt: the user cancelled). Empty functions restore them.
    static void SetFileDialogAnswer(std::function<std::optional<QStringList>()> answer);
    static void SetFolderBrowserAnswer(std::function<std::optional<QString>()> answer);

    // The controls, for the frame and for tests.
    CKeldListCtrl* FileList() const { return m_wndFileList; }
    FileListModel* FileModel() const { return m_pFileModel; }
    QPushButton* SelectButton() const { return m_btnSelectFiles; }
    QPushButton* RemoveButton() const { return m_btnRemoveFiles; }
    QPushButton* RepairButton() const { return m_btnRepairFiles; }
    QPushButton* SaveButton() const { return m_btnSaveFiles; }
    QPushButton* StopButton() const { return m_btnStop; }
    QPushButton* ExitButton() const { return m_btnExit; }
    QPushButton* BrowseButton() const { return m_btnBrowse; }
    QLabel* DestinationLabel() const { return m_lblDestination; }
    QLabel* PreviewLabel() const { return m_lblPreview; }
    QLabel* FileProgressLabel() const { return m_lblFileProgress; }
    QLabel* TotalProgressLabel() const { return m_lblTotalProgress; }
    CPictureBox* PictureBox() const { return m_wndPictureBox; }
    QTextEdit* LogPane() const { return m_wndLog; }
    QTextEdit* HintPane() const { return m_wndHint; }
    CPromptEdit* DestinationEdit() const { return m_wndBrowseEdit; }
    QCheckBox* ExtractMediaBox() const { return m_chkExtractMedia; }
    CEstProgressCtrl* FileProgressBar() const { return m_wndFileProgress; }
    CEstProgressCtrl* TotalProgressBar() const { return m_wndTotalProgress; }

signals:
    // A flag behind the menu and toolbar states changed.
    void controlStatesChanged();
    // A worker started from this view has returned `result`.
    void jobFinished(int result);
    // A line reached the log pane (on the user-interface thread).
    void logAppended(const QString& text, quint32 color);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateControls();
    QPushButton* CreateImageButton(const QString& caption, const QString& tooltip,
                                   const QString& image, const QSize& imageSize, int id);
    void LayoutControls(int cx, int cy);
    ProgressRows VisibleProgressRows() const;
    static void FitLabelFont(QLabel* label, const QFont& font);
    void FitHintFont();

    // Hover texts into status pane 0.
    void HoverOver(QWidget* target, const QMouseEvent* event);
    QString HoverTextOf(QWidget* target) const;

    // The user-interface halves of the seam.
    void DoAppendLog(const QString& text, LogColor color);
    void DoSetHintText(const QString& text, const std::vector<HintRange>& boldRanges);
    void DoEnableRepairGroup(bool enable);
    void DoEnableSaveGroup(bool enable);
    void DoShowProgressGroup(int showCommand);
    void DoShowTotalProgressOnly(int showCommand);
    CEstProgressCtrl* BarOf(ProgressBar bar) const;

    // Starts `proc` with m_jobParams on a worker thread and reports its end.
    bool StartWorker(JobProc proc);
    static int RepairThread(JobParams* params);
    static int SaveThread(JobParams* params);
    void WorkerEnded(int result);
    void RecoverFromFailedStart();

    void AcceptChosenFiles(const QStringList& chosen);
    void RemoveWorkingFolder(const QString& folder);
    int AddFileRow(const QString& path);

    CMainFrame* m_pFrame;

    // Controls, in creation order (also the tab order).
    CKeldListCtrl* m_wndFileList = nullptr;
    FileListModel* m_pFileModel = nullptr;
    QPushButton* m_btnSelectFiles = nullptr;
    QPushButton* m_btnRemoveFiles = nullptr;
    QPushButton* m_btnRepairFiles = nullptr;
    QPushButton* m_btnSaveFiles = nullptr;
    QPushButton* m_btnStop = nullptr;
    QPushButton* m_btnExit = nullptr;
    QLabel* m_lblDestination = nullptr;
    CPictureBox* m_wndPictureBox = nullptr;
    QTextEdit* m_wndLog = nullptr;
    QTextEdit* m_wndHint = nullptr;
    CPromptEdit* m_wndBrowseEdit = nullptr;
    QPushButton* m_btnBrowse = nullptr;
    QLabel* m_lblPreview = nullptr;
    QCheckBox* m_chkExtractMedia = nullptr;
    QLabel* m_lblFileProgress = nullptr;
    QLabel* m_lblTotalProgress = nullptr;
    CEstProgressCtrl* m_wndFileProgress = nullptr;
    CEstProgressCtrl* m_wndTotalProgress = nullptr;

    // Entry table of the package being repaired; only the worker touches it.
    std::vector<EntryInfo> m_entries;

    // Drawing resources.
    QFont m_fontLabel;
    QFont m_fontHeading;
    QFont m_fontButton;
    QFont m_fontHint;
    QPixmap m_bmpHeaderLeft;  // 316
    QPixmap m_bmpHeaderFill;  // 315
    QPixmap m_bmpFooterFill;  // 312
    QPixmap m_bmpFooterLeft;  // 311
    QImage m_imgListPicture;  // 352

    JobParams m_jobParams;
    bool m_bRepairEnabled = false;
    bool m_bSaveEnabled = false;
    bool m_bSelectEnabled = false;
    bool m_bListRepaired = false;
    std::atomic<int> m_nWorkersAlive{0};

    // The mouse move last mirrored into the status bar, so that the copies a
    // move makes on its way up to the parents do not overwrite it.
    qint64 m_nLastHoverTime = -1;
    QPointF m_ptLastHover;
};
