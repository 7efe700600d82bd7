#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>

#include "app/about_dlg.h"
#include "app/app_links.h"
#include "app/app_looks.h"
#include "app/app_settings.h"
#include "app/art_pixmaps.h"
#include "app/controls/status_pane.h"
#include "app/splash_window.h"
#include "app/url_opener.h"
#include "app/view/ravel_view.h"
#include "app/wait_cursor.h"
#include "art_resources.h"
#include "htmlbox/message_call.h"
#include "htmlbox/message_owner.h"
#include "platform/files.h"
#include "platform/lock_keys.h"

namespace {

const QString kCaption = QStringLiteral("Pelmark");
const QString kIdleText = QStringLiteral("Pelmark");  // status pane 0 when nothing else shows
const QString kLogoText = QStringLiteral("Pelmark");
// This platform's stand-in for the compiled help file: an HTML document that
// the build copies next to the programs.
const QString kHelpFileName = QStringLiteral("Pelmark.html");

constexpr int kPane0Width = 500;
constexpr int kLogoWidth = 250;
constexpr int kLogoTop = 28;
constexpr int kLogoBottom = 78;
constexpr int kLogoRightGap = 5;
constexpr int kLogoLeftGap = 5;  // from the last toolbar button, in a narrow window

}  // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("mainFrame"));
    m_nAppLook = ReadApplicationLook();
    setWindowTitle(QStringLiteral("Pelmark - v1.0"));
    setWindowIcon(LoadArtIcon(QStringLiteral(":/icon/128.png")));
    setMinimumSize(650, 450);
    // The bars are permanent: no context menu offers to hide them.
    setContextMenuPolicy(Qt::NoContextMenu);

    // The splash stays over the window while it is built and goes by itself.
    ShowStartSplash(this);
    OnApplicationLook(m_nAppLook);
    CreateMenus();
    CreateToolbar();
    CreateStatusBar();

    // The view registers itself with SetView while it is being built.
    setCentralWidget(new CRavelView(this));
    CreateLogo();

    // Every message box without an owner of its own is owned by this window.
    SetMainMessageOwner(this);

    UpdateCommandStates();
}

CMainFrame::~CMainFrame() {
    if (MainMessageOwner() == this) SetMainMessageOwner(nullptr);
}

// ---------------------------------------------------------------------------
// Bars

QAction* CMainFrame::AddAction(int id, const QString& text, const QString& prompt,
                               const QString& tooltip) {
    auto* action = new QAction(text, this);
    action->setStatusTip(prompt);
    if (!tooltip.isEmpty()) action->setToolTip(tooltip);
    action->setData(id);
    m_actions[id] = action;
    return action;
}

void CMainFrame::CreateMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    // The menu shows the keys that are bound, because they are the actions'
    // own: Ctrl+N and Ctrl+O select files, Ctrl+S saves. A disabled command
    // ignores its keys, as its menu item does.
    QAction* select = AddAction(ID_FILE_SELECT_FILES, QStringLiteral("&Select File(s)"),
                                QStringLiteral("Select corrupt .odp file(s)to repair"),
                                QStringLiteral("Select file(s)"));
    select->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_N), QKeySequence(Qt::CTRL | Qt::Key_O)});
    file->addAction(select);
    file->addSeparator();
    file->addAction(AddAction(ID_FILE_REMOVE_FILES, QStringLiteral("&Remove File(s)"),
                              QStringLiteral("Remove .odp file(s) from the list"),
                              QStringLiteral("Remove file(s)")));
    file->addAction(AddAction(ID_FILE_REPAIR_FILES, QStringLiteral("&Repair File(s)"),
                              QStringLiteral("Repair corrupt .odp file(s)"),
                              QStringLiteral("Repair file(s)")));
    file->addSeparator();
    file->addAction(
        AddAction(ID_FILE_BROWSE_FOLDER, QStringLiteral("Browse folder"),
                  QStringLiteral("Browse destination path to save the repaired .odp file(s)"),
                  QStringLiteral("Browse folder")));
    QAction* save =
        AddAction(ID_FILE_SAVE_FILES, QStringLiteral("Save file(s)"),
                  QStringLiteral("Save repaired .odp file(s)"), QStringLiteral("Save file(s)"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    file->addAction(save);
    QAction* complete = AddAction(
        ID_FILE_COMPLETE_PACKAGES, QStringLiteral("Complete repaired packages"),
        QStringLiteral("Rebuild a lost manifest and stand in for lost pictures after repairing"),
        QString());
    complete->setCheckable(true);
    complete->setChecked(ReadCompletePackages());
    file->addAction(complete);
    file->addSeparator();
    file->addAction(AddAction(ID_APP_EXIT, QStringLiteral("E&xit"),
                              QStringLiteral("Quit the application; prompts to save documents"),
                              QStringLiteral("Exit")));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(AddAction(ID_HELP_ABOUT_APP, QStringLiteral("&About Pelmark"),
                              QStringLiteral("About Pelmark"), QStringLiteral("About")));
    help->addSeparator();
    help->addAction(AddAction(ID_HELP_SOFTWARE_HELP, QStringLiteral("Software Help"),
                              QStringLiteral("Help for Pelmark"), QStringLiteral("Help")));
    help->addAction(AddAction(ID_HELP_VISIT_WEBPAGE, QStringLiteral("Visit Software WebPage"),
                              QStringLiteral("Visit Software WebPage"), QString()));

    connect(Action(ID_FILE_SELECT_FILES), &QAction::triggered, this,
            &CMainFrame::OnFileSelectFiles);
    connect(Action(ID_FILE_REMOVE_FILES), &QAction::triggered, this,
            &CMainFrame::OnFileRemoveFiles);
    connect(Action(ID_FILE_REPAIR_FILES), &QAction::triggered, this,
            &CMainFrame::OnFileRepairFiles);
    connect(Action(ID_FILE_BROWSE_FOLDER), &QAction::triggered, this,
            &CMainFrame::OnFileBrowseFolder);
    connect(Action(ID_FILE_SAVE_FILES), &QAction::triggered, this, &CMainFrame::OnFileSaveFiles);
    connect(complete, &QAction::toggled, this, [](bool on) { WriteCompletePackages(on); });
    connect(Action(ID_APP_EXIT), &QAction::triggered, this, &QWidget::close);
    connect(Action(ID_HELP_ABOUT_APP), &QAction::triggered, this, &CMainFrame::OnAppAbout);
    connect(Action(ID_HELP_SOFTWARE_HELP), &QAction::triggered, this,
            &CMainFrame::OnHelpSoftwareHelp);
    connect(Action(ID_HELP_VISIT_WEBPAGE), &QAction::triggered, this, &CMainFrame::OnVisitWebPage);
}

void CMainFrame::CreateToolbar() {
    QToolBar* toolbar = addToolBar(QStringLiteral("Standard"));
    m_pToolbar = toolbar;
    // Its buttons move when it is laid out again; the logo keeps clear of them.
    toolbar->installEventFilter(this);
    toolbar->setObjectName(QStringLiteral("standardToolbar"));
    toolbar->setIconSize(QSize(48, 48));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->toggleViewAction()->setEnabled(false);
    // Select, Remove, Repair, Browse, Save, Help, About: the order of the strip.
    const int ids[] = {ID_FILE_SELECT_FILES,  ID_FILE_REMOVE_FILES, ID_FILE_REPAIR_FILES,
                       ID_FILE_BROWSE_FOLDER, ID_FILE_SAVE_FILES,   ID_HELP_SOFTWARE_HELP,
                       ID_HELP_ABOUT_APP};
    for (int i = 0; i < 7; ++i) {
        QAction* action = Action(ids[i]);
        const QIcon image = LoadArtIcon(QStringLiteral(":/toolbar/338-%1.png").arg(i));
        if (!image.isNull()) action->setIcon(image);
        toolbar->addAction(action);
    }
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    m_wndPane0 = new CStatusPane(kIdleText, bar);
    m_wndPane0->setObjectName(QStringLiteral("statusPane0"));
    m_wndPane0->setMinimumWidth(kPane0Width);
    bar->addWidget(m_wndPane0, 1);
    auto indicator = [bar](const char* name) {
        auto* pane = new QLabel(bar);
        pane->setObjectName(QLatin1String(name));
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 12);
        bar->addPermanentWidget(pane);
        return pane;
    };
    m_wndCapsPane = indicator("capsLockPane");
    m_wndNumPane = indicator("numLockPane");
    m_wndScrollPane = indicator("scrollLockPane");
    UpdateLockIndicators();
    m_pLockTimer = new QTimer(this);
    connect(m_pLockTimer, &QTimer::timeout, this, &CMainFrame::UpdateLockIndicators);
    m_pLockTimer->start(500);
}

void CMainFrame::UpdateLockIndicators() {
    // An indicator shows its name while its key is on and stays blank otherwise.
    const platform::LockKeyStates keys = platform::ReadLockKeyStates();
    m_wndCapsPane->setText(keys.capsLock ? QStringLiteral("CAP") : QString());
    m_wndNumPane->setText(keys.numLock ? QStringLiteral("NUM") : QString());
    m_wndScrollPane->setText(keys.scrollLock ? QStringLiteral("SCRL") : QString());
}

void CMainFrame::CreateLogo() {
    m_wndLogo = new QLabel(this);
    m_wndLogo->setObjectName(QStringLiteral("logo"));
    m_wndLogo->setAccessibleName(kLogoText);
    m_wndLogo->setAlignment(Qt::AlignCenter);
    m_wndLogo->setAttribute(Qt::WA_TranslucentBackground);
    m_pixLogo = LoadArtPixmap(QStringLiteral(":/bitmap/330.png"));
    if (!m_pixLogo.isNull()) m_wndLogo->setPixmap(m_pixLogo);
    const QPixmap hand(QStringLiteral(":/cursor/354.png"));
    if (!hand.isNull()) m_wndLogo->setCursor(QCursor(hand, kLinkCursorHotX, kLinkCursorHotY));
    m_wndLogo->setMouseTracking(true);
    m_wndLogo->installEventFilter(this);
    m_wndLogo->raise();
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    PlaceLogo();
}

void CMainFrame::PlaceLogo() {
    if (!m_wndLogo) return;
    // At the right end of the toolbar row, 5 pixels from the edge; in a narrow
    // window it starts after the last toolbar button instead of covering it,
    // and its picture shrinks to what is left.
    const int w = width();
    int left = w - kLogoWidth;
    if (m_pToolbar && !m_pToolbar->actions().isEmpty()) {
        if (QWidget* last = m_pToolbar->widgetForAction(m_pToolbar->actions().last())) {
            if (last->isVisible()) {
                const int end = last->mapTo(this, QPoint(last->width(), 0)).x();
                left = std::max(left, end + kLogoLeftGap);
            }
        }
    }
    const int right = w - kLogoRightGap;
    m_wndLogo->setGeometry(left, kLogoTop, std::max(0, right - left), kLogoBottom - kLogoTop);
    if (!m_pixLogo.isNull()) {
        const QSize room = m_wndLogo->size();
        const QSize natural = m_pixLogo.deviceIndependentSize().toSize();
        if (natural.width() <= room.width() || room.isEmpty()) {
            m_wndLogo->setPixmap(m_pixLogo);
        } else {
            const qreal ratio = m_pixLogo.devicePixelRatio();
            QPixmap smaller =
                m_pixLogo.scaled(room * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            smaller.setDevicePixelRatio(ratio);
            m_wndLogo->setPixmap(smaller);
        }
    }
    m_wndLogo->raise();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pToolbar &&
        (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest))
        QTimer::singleShot(0, this, &CMainFrame::PlaceLogo);
    if (watched == m_wndLogo) {
        if (event->type() == QEvent::MouseMove) {
            SetPaneText(kLogoText);
        } else if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                m_wndLogo->rect().contains(mouse->position().toPoint())) {
                OnLogoClicked();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool CMainFrame::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        // Menu prompts go to pane 0; when a prompt ends the idle text returns.
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        SetPaneText(tip.isEmpty() ? kIdleText : tip);
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::SetPaneText(const QString& text) {
    if (m_wndPane0) m_wndPane0->setText(text);
}

QString CMainFrame::PaneText() const {
    return m_wndPane0 ? m_wndPane0->text() : QString();
}

QAction* CMainFrame::Action(int id) const {
    const auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

// ---------------------------------------------------------------------------
// Looks and states

void CMainFrame::OnApplicationLook(int id) {
    WaitCursor wait;
    m_nAppLook = id;
    ApplyLook(this, LookFor(id));
    WriteApplicationLook(m_nAppLook);
}

bool CMainFrame::IsCompletePackagesChecked() const {
    const QAction* complete = Action(ID_FILE_COMPLETE_PACKAGES);
    return complete ? complete->isChecked() : ReadCompletePackages();
}

void CMainFrame::SetView(CRavelView* view) {
    m_pView = view;
    connect(view, &CRavelView::controlStatesChanged, this, &CMainFrame::UpdateCommandStates);
}

void CMainFrame::UpdateCommandStates() {
    const bool select = m_pView && m_pView->IsSelectEnabled();
    const bool repair = m_pView && m_pView->IsRepairEnabled();
    const bool save = m_pView && m_pView->IsSaveEnabled();
    auto enable = [this](int id, bool on) {
        if (QAction* action = Action(id)) action->setEnabled(on);
    };
    enable(ID_FILE_SELECT_FILES, select);
    enable(ID_FILE_REMOVE_FILES, repair);
    enable(ID_FILE_REPAIR_FILES, repair);
    enable(ID_FILE_BROWSE_FOLDER, save);
    enable(ID_FILE_SAVE_FILES, save);
}

// ---------------------------------------------------------------------------
// Commands

void CMainFrame::OnFileSelectFiles() {
    if (m_pView && m_pView->IsSelectEnabled()) m_pView->OnSelectFiles();
}

void CMainFrame::OnFileRemoveFiles() {
    if (m_pView) m_pView->OnRemoveFiles();
}

void CMainFrame::OnFileRepairFiles() {
    if (m_pView) m_pView->OnRepairFiles();
}

void CMainFrame::OnFileBrowseFolder() {
    if (m_pView) m_pView->OnBrowseFolder();
}

void CMainFrame::OnFileSaveFiles() {
    if (m_pView && m_pView->IsSaveEnabled()) m_pView->OnSaveFiles();
}

void CMainFrame::OnAppAbout() {
    CAboutDlg about(this);
    about.exec();
}

QString CMainFrame::HelpFilePath() const {
    if (!m_strHelpFolder.isEmpty()) return m_strHelpFolder + QLatin1Char('/') + kHelpFileName;
    // Beside the program in a build folder; an installed program finds it in
    // the documentation folder of the same installation.
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString beside = programFolder + QLatin1Char('/') + kHelpFileName;
    if (platform::FileExists(beside)) return beside;
    const QString installed =
        QDir::cleanPath(programFolder + QLatin1Char('/') + QStringLiteral(PELMARK_DOC_FROM_BIN) +
                        QLatin1Char('/') + kHelpFileName);
    return platform::FileExists(installed) ? installed : beside;
}

void CMainFrame::OnHelpSoftwareHelp() {
    const QString help = HelpFilePath();
    if (!platform::FileExists(help)) {
        ShowHtmlMessage(nullptr,
                        QStringLiteral("Pelmark help file not found, please re-install the "
                                       "software. "),
                        kCaption, 64);
        return;
    }
    OpenUrl(QUrl::fromLocalFile(help));
}

void CMainFrame::OnVisitWebPage() {
    WaitCursor wait;
    OpenUrl(QUrl(kProductWebPage));
}

void CMainFrame::OnLogoClicked() {
    OpenUrl(QUrl(kMakerWebSite));
}

// ---------------------------------------------------------------------------
// Closing

bool CMainFrame::OnClose() {
    if (isMinimized()) showMaximized();
    // A worker that has cleared the flag may still be finishing with the view
    // (the Save job's last message); the window waits for it as well.
    if (IsProcessRunning() || (m_pView && m_pView->IsWorkerAlive())) {
        ShowHtmlMessage(nullptr,
                        QStringLiteral("Please stop the running process before closing the "
                                       "application."),
                        kCaption, 64);
        return false;
    }
    if (ShowHtmlMessage(nullptr, QStringLiteral("Do you really want to exit?"), kCaption, 36) != 6)
        return false;
    if (m_pView) m_pView->RemoveWorkingRoot();
    return true;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (OnClose())
        event->accept();
    else
        event->ignore();
}
