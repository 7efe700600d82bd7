#pragma once

#include <QMainWindow>
#include <QPixmap>
#include <QString>
#include <map>

#include "recovery/job_control.h"

class CRavelView;
class CStatusPane;
class QAction;
class QLabel;
class QToolBar;
class QTimer;

// Command ids of the frame's menus and toolbar.
enum FrameCommandId {
    ID_FILE_SELECT_FILES = 32773,
    ID_FILE_REMOVE_FILES = 32774,
    ID_FILE_REPAIR_FILES = 32775,
    ID_FILE_BROWSE_FOLDER = 32802,
    ID_FILE_SAVE_FILES = 32804,
    ID_FILE_COMPLETE_PACKAGES = 32806,
    ID_APP_EXIT = 57665,
    ID_HELP_ABOUT_APP = 32785,
    ID_HELP_SOFTWARE_HELP = 32788,
    ID_HELP_VISIT_WEBPAGE = 32805,
    ID_KELD_LOGO_BUTTON = 14,
};

// The main window: menu bar, toolbar, status bar, the logo, and the view as
// its whole work area. It owns the process-running flag the jobs share.
class CMainFrame : public QMainWindow, public JobControl {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    void SetView(CRavelView* view);
    CRavelView* GetView() const { return m_pView; }

    // Status pane 0: menu prompts and hover texts.
    void SetPaneText(const QString& text);
    QString PaneText() const;

    // The look in force (the settings value, which may lie outside 210..218).
    int AppLook() const { return m_nAppLook; }
    void OnApplicationLook(int id);

    bool IsCompletePackagesChecked() const;

    // Commands. Each does nothing while there is no view.
    void OnFileSelectFiles();
    void OnFileRemoveFiles();
    void OnFileRepairFiles();
    void OnFileBrowseFolder();
    void OnFileSaveFiles();
    void OnAppAbout();
    void OnHelpSoftwareHelp();
    void OnVisitWebPage();
    void OnLogoClicked();

    // The close sequence: true when the window may close (the working root is
    // gone by then).
    bool OnClose();

    // Menu items and toolbar buttons follow the view's flags.
    void UpdateCommandStates();

    // The menu and toolbar action of a command id, for tests.
    QAction* Action(int id) const;
    QLabel* Logo() const { return m_wndLogo; }

    // Where the help document is looked for: the program's own folder unless a
    // test says otherwise.
    void SetHelpFolder(const QString& folder) { m_strHelpFolder = folder; }
    QString HelpFilePath() const;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenus();
    void CreateToolbar();
    void CreateStatusBar();
    void CreateLogo();
    QAction* AddAction(int id, const QString& text, const QString& prompt, const QString& tooltip);
    void UpdateLockIndicators();
    void PlaceLogo();

    int m_nAppLook = 215;
    CRavelView* m_pView = nullptr;
    std::map<int, QAction*> m_actions;
    QLabel* m_wndLogo = nullptr;
    QPixmap m_pixLogo;  // 330, at its natural size
    QToolBar* m_pToolbar = nullptr;
    CStatusPane* m_wndPane0 = nullptr;
    QLabel* m_wndCapsPane = nullptr;
    QLabel* m_wndNumPane = nullptr;
    QLabel* m_wndScrollPane = nullptr;
    QTimer* m_pLockTimer = nullptr;
    QString m_strHelpFolder;
};
