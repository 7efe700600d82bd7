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
#include <QShortcut>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <map>
#include <thread>

#include "app/about_dlg.h"
#include "app/app_looks.h"
#include "app/app_settings.h"
#include "app/controls/file_list_model.h"
#include "app/controls/keld_list_ctrl.h"
#include "app/controls/keld_transparent_static.h"
#include "app/controls/link_label.h"
#include "app/controls/status_pane.h"
#include "app/url_opener.h"
#include "app/view/ravel_view.h"
#include "htmlbox/message_call.h"
#include "htmlbox/message_owner.h"
#include "htmlbox/vela_message_box.h"
#include "recovery/job_control.h"
#include "window_fixture.h"

namespace {

using MainFrameTest = WindowTest;

// Each item as the menu shows it: its text and, after a tab, its key.
QStringList Texts(const QList<QAction*>& actions) {
    QStringList texts;
    for (QAction* a : actions) {
        QString shown = a->isSeparator() ? QStringLiteral("-") : a->text();
        if (!a->shortcut().isEmpty())
            shown += '\t' + a->shortcut().toString(QKeySequence::NativeText);
        texts << shown;
    }
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
              QStringList({"&Select File(s)\tCtrl+N", "-", "&Remove File(s)", "&Repair File(s)",
                           "-", "Browse folder", "Save file(s)\tCtrl+S",
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
    ASSERT_NE(m_frame->findChild<CStatusPane*>("statusPane0"), nullptr);
    EXPECT_GE(m_frame->findChild<CStatusPane*>("statusPane0")->width(), 500);
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

TEST_F(MainFrameTest, MenuShowsTheKeysThatAct) {
    CreateWindow();
    m_frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame.get()));
    m_view->EnableSaveGroup(true);
    // No key is bound behind the menu's back: every binding is an action's own,
    // so what the menu shows is what acts.
    EXPECT_TRUE(m_frame->findChildren<QShortcut*>().isEmpty());
    const QList<QAction*> items = m_frame->menuBar()->actions()[0]->menu()->actions();
    std::map<QString, int> keyOwner;  // key -> command
    for (QAction* item : items) {
        EXPECT_FALSE(item->text().contains('\t')) << item->text().toStdString();
        for (const QKeySequence& keys : item->shortcuts()) {
            EXPECT_EQ(keyOwner.count(keys.toString()), 0u) << keys.toString().toStdString();
            keyOwner[keys.toString()] = item->data().toInt();
            // The key triggers exactly the item that shows it.
            QSignalSpy triggered(item, &QAction::triggered);
            if (item->data().toInt() == ID_FILE_SAVE_FILES) {
                ASSERT_TRUE(RunJob([&] { QTest::keySequence(m_frame.get(), keys); }));
            } else {
                QTest::keySequence(m_frame.get(), keys);
            }
            EXPECT_EQ(triggered.count(), 1) << keys.toString().toStdString();
        }
    }
    // Ctrl+N and Ctrl+O select files, Ctrl+S saves; nothing removes or repairs.
    EXPECT_EQ(keyOwner, (std::map<QString, int>{{"Ctrl+N", ID_FILE_SELECT_FILES},
                                                {"Ctrl+O", ID_FILE_SELECT_FILES},
                                                {"Ctrl+S", ID_FILE_SAVE_FILES}}));
    EXPECT_EQ(m_fileDialogRuns, 2);
}

// What a real message box looked like once it was up.
struct SeenBox {
    bool shown = false;
    QWidget* parent = nullptr;
    bool active = false;           // the window with the keyboard
    bool defaultHasFocus = false;  // the focus on its default button
};

// Watches for the next real message box, looks at it once it is up and
// answers it with its default button.
void WatchNextBox(SeenBox* seen, QObject* context) {
    auto* poll = new QTimer(context);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, context, [seen, poll] {
        CVelaMessageBoxTemplate* box = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* b = qobject_cast<CVelaMessageBoxTemplate*>(top); b && b->isVisible()) box = b;
        if (!box) return;
        poll->stop();
        (void)QTest::qWaitFor([box] { return QApplication::activeWindow() == box; }, 2000);
        seen->shown = true;
        seen->parent = box->parentWidget();
        seen->active = QApplication::activeWindow() == box;
        QPushButton* ok = box->DefaultButton();
        seen->defaultHasFocus = ok && ok == box->Button(1) && QApplication::focusWidget() == ok;
        box->done(1);
        poll->deleteLater();
    });
    poll->start();
}

TEST_F(MainFrameTest, EveryBoxHasAnOwnerAndComesUpInFront) {
    CreateWindow();
    SetMessageAnswerHook({});  // real boxes from here on
    // No window active: the frame owns the box all the same.
    QApplication::setActiveWindow(nullptr);
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    EXPECT_EQ(ResolveMessageOwner(nullptr), m_frame.get());
    SeenBox seen;
    WatchNextBox(&seen, m_frame.get());
    EXPECT_EQ(ShowHtmlMessage(nullptr, "No file(s) selected to remove.", "Pelmark", 64), 1);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.parent, m_frame.get());
    EXPECT_TRUE(seen.active);
    EXPECT_TRUE(seen.defaultHasFocus);

    {
        // A box raised while a dialog is up belongs to that dialog.
        CAboutDlg about(m_frame.get());
        about.setWindowModality(Qt::ApplicationModal);
        about.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
        seen = SeenBox();
        WatchNextBox(&seen, m_frame.get());
        ShowHtmlMessage(nullptr, "From the dialog", "Pelmark", 64);
        EXPECT_EQ(seen.parent, &about);
        EXPECT_TRUE(seen.defaultHasFocus);
    }

    // A box the worker raises without an owner goes to the frame as well.
    seen = SeenBox();
    WatchNextBox(&seen, m_frame.get());
    int answer = 0;
    std::thread worker(
        [&answer] { answer = ShowHtmlMessage(nullptr, "From a worker", "Pelmark", 64); });
    EXPECT_TRUE(QTest::qWaitFor([&seen] { return seen.shown; }, 5000));
    worker.join();
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(seen.parent, m_frame.get());
    EXPECT_TRUE(seen.defaultHasFocus);

    // The frame gone, nothing is left pointing at it.
    m_frame.reset();
    m_view = nullptr;
    EXPECT_EQ(MainMessageOwner(), nullptr);
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

TEST_F(MainFrameTest, NarrowWindowKeepsTheLogoOffTheToolbar) {
    CreateWindow();
    auto* toolbar = m_frame->findChild<QToolBar*>("standardToolbar");
    QWidget* about = toolbar->widgetForAction(m_frame->Action(ID_HELP_ABOUT_APP));
    ASSERT_NE(about, nullptr);
    for (int width : {650, 700, 1400}) {
        m_frame->resize(width, 600);
        QApplication::processEvents();
        ASSERT_EQ(m_frame->width(), width);
        const QRect button(about->mapTo(m_frame.get(), QPoint(0, 0)), about->size());
        const QRect logo = m_frame->Logo()->geometry();
        EXPECT_FALSE(logo.intersects(button)) << width;
        EXPECT_EQ(logo.right() + 1, width - 5) << width;
        EXPECT_GT(logo.width(), 0) << width;
        // The picture fits what is left of the row rather than being cut.
        const QPixmap shown = m_frame->Logo()->pixmap();
        EXPECT_LE(shown.deviceIndependentSize().width(), logo.width()) << width;
        if (width == 1400) {
            EXPECT_EQ(logo.left(), width - 250);
        }
    }
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
