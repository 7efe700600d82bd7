// The frame: menus, toolbar, keys, looks, links, help, the About box and the
// close sequence.

#include "app/main_frame.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>

#include "app/about_dlg.h"
#include "app/app_looks.h"
#include "app/app_settings.h"
#include "app/controls/file_list_model.h"
#include "app/controls/keld_list_ctrl.h"
#include "app/controls/keld_transparent_static.h"
#include "app/controls/link_label.h"
#include "app/url_opener.h"
#include "app/view/ravel_view.h"
#include "recovery/job_control.h"
#include "window_fixture.h"

namespace {

using MainFrameTest = WindowTest;

QStringList Texts(const QList<QAction*>& actions) {
    QStringList texts;
    for (QAction* a : actions) texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts;
}

TEST_F(MainFrameTest, MenusToolbarAndStatusBar) {
    CreateWindow();
    EXPECT_EQ(m_frame->windowTitle(), "Pelmark - v1.0");
    EXPECT_EQ(m_frame->minimumSize(), QSize(650, 450));
    const QList<QAction*> menus = m_frame->menuBar()->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->text(), "&File");
    EXPECT_EQ(Texts(menus[0]->menu()->actions()),
              QStringList({"&Select File(s)\tCtrl+N", "-", "&Remove File(s)\tCtrl+O",
                           "&Repair File(s)\tCtrl+S", "-", "Browse folder", "Save file(s)",
                           "Complete repaired packages", "-", "E&xit"}));
    EXPECT_EQ(menus[1]->text(), "&Help");
    EXPECT_EQ(Texts(menus[1]->menu()->actions()),
              QStringList({"&About Pelmark", "-", "Software Help", "Visit Software WebPage"}));

    auto* toolbar = m_frame->findChild<QToolBar*>("standardToolbar");
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(toolbar->iconSize(), QSize(48, 48));
    const int order[] = {ID_FILE_SELECT_FILES,  ID_FILE_REMOVE_FILES, ID_FILE_REPAIR_FILES,
                         ID_FILE_BROWSE_FOLDER, ID_FILE_SAVE_FILES,   ID_HELP_SOFTWARE_HELP,
                         ID_HELP_ABOUT_APP};
    const char* tips[] = {"Select file(s)", "Remove file(s)", "Repair file(s)", "Browse folder",
                          "Save file(s)",   "Help",           "About"};
    ASSERT_EQ(toolbar->actions().size(), 7);
    for (int i = 0; i < 7; ++i) {
        QAction* action = toolbar->actions()[i];
        EXPECT_EQ(action, m_frame->Action(order[i])) << i;
        EXPECT_EQ(action->toolTip(), tips[i]);
        EXPECT_FALSE(action->icon().isNull()) << i;
    }
    EXPECT_EQ(m_frame->Action(ID_FILE_SELECT_FILES)->statusTip(),
              "Select corrupt .odp file(s)to repair");

    // Start-up states of the commands follow the view's flags.
    EXPECT_TRUE(ActionEnabled(ID_FILE_SELECT_FILES));
    EXPECT_FALSE(ActionEnabled(ID_FILE_REMOVE_FILES));
    EXPECT_FALSE(ActionEnabled(ID_FILE_SAVE_FILES));
    EXPECT_EQ(m_frame->PaneText(), "Pelmark");
    EXPECT_GE(m_frame->findChild<QLabel*>("statusPane0")->width(), 500);
    EXPECT_NE(m_frame->findChild<QLabel*>("scrollLockPane"), nullptr);

    // A prompt shows in pane 0 and gives way to the idle text afterwards.
    QStatusTipEvent prompt(m_frame->Action(ID_FILE_SAVE_FILES)->statusTip());
    QApplication::sendEvent(m_frame.get(), &prompt);
    EXPECT_EQ(m_frame->PaneText(), "Save repaired .odp file(s)");
    QStatusTipEvent none{QString()};
    QApplication::sendEvent(m_frame.get(), &none);
    EXPECT_EQ(m_frame->PaneText(), "Pelmark");
}

TEST_F(MainFrameTest, KeysSelectAndSave) {
    CreateWindow();
    m_frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame.get()));
    SelectFiles({"/talks/a.odp"});
    m_fileDialogRuns = 0;
    // Ctrl+O opens the file dialog; it does not remove.
    m_view->FileList()->selectAll();
    QTest::keyClick(m_frame.get(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(m_fileDialogRuns, 1);
    EXPECT_EQ(m_view->FileModel()->Count(), 1);
    QTest::keyClick(m_frame.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(m_fileDialogRuns, 2);
    // Ctrl+N does nothing while selecting is not allowed.
    m_view->SetSelectEnabled(false);
    QTest::keyClick(m_frame.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(m_fileDialogRuns, 2);
    EXPECT_FALSE(ActionEnabled(ID_FILE_SELECT_FILES));
    m_view->SetSelectEnabled(true);
    // Ctrl+S does nothing while saving is not enabled, and saves when it is.
    QTest::keyClick(m_frame.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(m_view->IsWorkerAlive());
    EXPECT_TRUE(m_messages.empty());
    m_view->EnableSaveGroup(true);
    ASSERT_TRUE(RunJob([this] { QTest::keyClick(m_frame.get(), Qt::Key_S, Qt::ControlModifier); }));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, "Please select a valid folder path.");
}

TEST_F(MainFrameTest, LooksAreDistinctAndComeFromTheSettings) {
    std::set<QString> sheets;
    std::set<QRgb> windows;
    for (int id = 210; id <= 218; ++id) {
        const AppLook look = LookFor(id);
        EXPECT_EQ(look.id, id);
        sheets.insert(look.styleSheet);
        windows.insert(look.palette.color(QPalette::Window).rgb());
    }
    EXPECT_EQ(sheets.size(), 9u);
    EXPECT_EQ(windows.size(), 9u);
    EXPECT_EQ(LookFor(9999).styleSheet, LookFor(215).styleSheet);

    // Nothing stored: the blue look, written back.
    CreateWindow();
    EXPECT_EQ(m_frame->AppLook(), 215);
    EXPECT_EQ(m_frame->styleSheet(), LookFor(215).styleSheet);
    EXPECT_EQ(OpenAppSettings()->value("ApplicationLook").toInt(), 215);

    WriteApplicationLook(216);
    CreateWindow();
    EXPECT_EQ(m_frame->styleSheet(), LookFor(216).styleSheet);
    EXPECT_EQ(m_frame->palette().color(QPalette::Window),
              LookFor(216).palette.color(QPalette::Window));

    // An unknown look draws as the blue one and is kept as it was.
    WriteApplicationLook(300);
    CreateWindow();
    EXPECT_EQ(m_frame->styleSheet(), LookFor(215).styleSheet);
    EXPECT_EQ(OpenAppSettings()->value("ApplicationLook").toInt(), 300);
}

TEST_F(MainFrameTest, CompletionSwitchIsRemembered) {
    CreateWindow();
    QAction* complete = m_frame->Action(ID_FILE_COMPLETE_PACKAGES);
    ASSERT_TRUE(complete->isCheckable());
    EXPECT_TRUE(complete->isChecked());
    complete->trigger();
    EXPECT_FALSE(m_frame->IsCompletePackagesChecked());
    EXPECT_FALSE(ReadCompletePackages());
    CreateWindow();
    EXPECT_FALSE(m_frame->Action(ID_FILE_COMPLETE_PACKAGES)->isChecked());
}

TEST_F(MainFrameTest, LogoLinksAndHelp) {
    CreateWindow();
    QLabel* logo = m_frame->Logo();
    EXPECT_EQ(logo->geometry(), QRect(m_frame->width() - 250, 28, 245, 50));
    m_frame->resize(m_frame->width() + 40, m_frame->height());
    EXPECT_EQ(logo->geometry().right() + 1, m_frame->width() - 5);
    EXPECT_EQ(logo->cursor().shape(), Qt::BitmapCursor);

    QTest::mouseMove(logo, QPoint(20, 20));
    QMouseEvent move(QEvent::MouseMove, QPointF(20, 20), logo->mapToGlobal(QPointF(20, 20)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(logo, &move);
    EXPECT_EQ(m_frame->PaneText(), "Pelmark");
    QTest::mouseClick(logo, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0], QUrl("https://www.example.org/"));

    m_frame->Action(ID_HELP_VISIT_WEBPAGE)->trigger();
    ASSERT_EQ(m_opened.size(), 2u);
    EXPECT_EQ(m_opened[1], QUrl("https://pelmark.example.com/"));

    // Help: the document beside the program, or the message when it is missing.
    m_frame->SetHelpFolder(Tmp("nohelp"));
    m_frame->Action(ID_HELP_SOFTWARE_HELP)->trigger();
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, "Pelmark help file not found, please re-install the software. ");
    EXPECT_EQ(m_opened.size(), 2u);
    ASSERT_TRUE(QDir().mkpath(Tmp("help")));
    QFile help(Tmp("help/Pelmark.html"));
    ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    help.close();
    m_frame->SetHelpFolder(Tmp("help"));
    m_frame->Action(ID_HELP_SOFTWARE_HELP)->trigger();
    ASSERT_EQ(m_opened.size(), 3u);
    EXPECT_EQ(m_opened[2], QUrl::fromLocalFile(Tmp("help/Pelmark.html")));
}

TEST_F(MainFrameTest, AboutBox) {
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), "About Pelmark v1.0");
    EXPECT_EQ(about.VersionLabel()->text(), "Pelmark v1.0");
    EXPECT_TRUE(about.VersionLabel()->font().bold());
    EXPECT_EQ(about.SoftwareLabel()->text(), "Pelmark Software");
    EXPECT_EQ(about.WebLink()->Target(), "https://pelmark.example.com/");
    EXPECT_EQ(about.SupportLink()->Target(), "mailto:" + kSupportMail);
    EXPECT_EQ(about.SalesLink()->Target(), "mailto:sales@pelmark.example");
    EXPECT_EQ(about.OkButton()->toolTip(), "OK");

    about.show();
    QSignalSpy finished(&about, &QDialog::finished);
    QTest::keyClick(about.OkButton(), Qt::Key_Escape);
    QTest::keyClick(about.OkButton(), Qt::Key_Return);
    QTest::keyClick(&about, Qt::Key_Enter);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(about.isVisible());
    QTest::mouseClick(about.OkButton(), Qt::LeftButton);
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(MainFrameTest, AboutBoxLinksOpenThroughTheDesktopOrSayWhyNot) {
    CAboutDlg about(m_frame.get());
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    for (CLinkLabel* link : {about.WebLink(), about.SupportLink(), about.SalesLink()}) {
        EXPECT_EQ(link->UnderlineMode(), CLinkLabel::kUnderlineAlways);
        EXPECT_TRUE(link->IsUnderlined());
        EXPECT_EQ(link->toolTip(), link->Target());
    }
    CLinkLabel* web = about.WebLink();
    QTest::mouseClick(web, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0], QUrl("https://pelmark.example.com/"));
    EXPECT_TRUE(web->IsVisited());
    EXPECT_TRUE(m_messages.empty());

    SetUrlOpenerForTests([](const QUrl&) { return false; });
    QTest::mouseClick(about.SalesLink(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text,
              "Unable to open hyperlink:\n\nThere is no application associated\nwith the given "
              "filename extension.");
    EXPECT_EQ(m_messages[0].style, 48);
    EXPECT_FALSE(about.SalesLink()->IsVisited());
}

TEST_F(MainFrameTest, CloseSequence) {
    CreateWindow();
    ASSERT_TRUE(QDir().mkpath(WorkingRoot() + "/a.odp0"));

    // Refused while a job runs.
    m_frame->SetProcessRunning(1);
    EXPECT_FALSE(m_frame->close());
    m_frame->SetProcessRunning(0);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text,
              "Please stop the running process before closing the application.");
    EXPECT_TRUE(m_frame->isVisible());

    // No keeps everything.
    m_answers = {7};
    EXPECT_FALSE(m_frame->close());
    ASSERT_EQ(m_messages.size(), 2u);
    EXPECT_EQ(m_messages[1].text, "Do you really want to exit?");
    EXPECT_EQ(m_messages[1].style, 36);
    EXPECT_TRUE(QFileInfo::exists(WorkingRoot() + "/a.odp0"));

    // A minimised window comes back first; Yes removes the working root.
    m_frame->showMinimized();
    m_answers = {6};
    QPushButton* exitButton = m_view->ExitButton();
    QTest::mouseClick(exitButton, Qt::LeftButton);
    EXPECT_FALSE(m_frame->isMinimized());
    EXPECT_FALSE(QFileInfo::exists(WorkingRoot()));
    EXPECT_FALSE(m_frame->isVisible());
}

}  // namespace
