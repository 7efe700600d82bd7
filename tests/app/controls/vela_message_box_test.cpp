// The general message box: remembered answers, countdowns, footer, Help and
// Report, custom buttons and the placement of its parts.

#include "htmlbox/vela_message_box.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "htmlbox/message_call.h"
#include "htmlbox/vela_box_logic.h"
#include "message_box_support.h"

namespace {

VelaMessageBoxParams Record(unsigned style, const QString& text = "Go on?") {
    VelaMessageBoxParams p = HtmlMessageParams(nullptr, text, "Pelmark", static_cast<int>(style));
    p.style |= VMB_SILENT;
    return p;
}

class VelaBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    }
    QTemporaryDir m_dir;
};

TEST_F(VelaBoxTest, CheckedAnswerIsRememberedAndReturnedWithoutABoxUntilForgotten) {
    VelaMessageBoxParams p = Record(0x40 | VMB_SHOW_CHECK | VMB_CHECK_INITIAL);
    p.memoryPrefix = "Msg";
    p.memoryNumber = 5;
    QString label;
    bool checked = false;
    WhenBoxShows([&](CVelaMessageBoxTemplate* box) {
        ASSERT_NE(box->CheckBox(), nullptr);
        checked = box->CheckBox()->isChecked();
        label = box->CheckLabel()->text();
        QTest::mouseClick(box->Button(IDOK), Qt::LeftButton);
    });
    EXPECT_EQ(RunVelaMessageBox(p), 0x02000001);
    EXPECT_TRUE(checked);
    EXPECT_EQ(label, "Do not show again");
    EXPECT_EQ(ReadRememberedAnswer(p), 0x02000001);

    // The next call answers at once: no box comes up.
    int boxesShown = 0;
    QTimer* watch = WhenBoxShows([&](CVelaMessageBoxTemplate* box) {
        ++boxesShown;
        box->OnCommand(IDOK);
    });
    EXPECT_EQ(RunVelaMessageBox(p), 0x02000001);
    QTest::qWait(50);
    EXPECT_EQ(boxesShown, 0);
    delete watch;

    // Removed from the settings: asked again, and unticked nothing is kept.
    {
        QSettings settings(QSettings::IniFormat, QSettings::UserScope,
                           QFileInfo(QCoreApplication::applicationFilePath()).fileName());
        ASSERT_TRUE(settings.contains("VelaMessageBox/Msg5"));
        settings.remove("VelaMessageBox/Msg5");
    }
    WhenBoxShows([&](CVelaMessageBoxTemplate* box) {
        ++boxesShown;
        box->CheckBox()->setChecked(false);
        QTest::mouseClick(box->Button(IDOK), Qt::LeftButton);
    });
    EXPECT_EQ(RunVelaMessageBox(p), 1);
    EXPECT_EQ(boxesShown, 1);
    EXPECT_EQ(ReadRememberedAnswer(p), 0);
}

TEST_F(VelaBoxTest, CheckedWithoutTheInitialBitGivesThePlainIdAndTheLabelCanBeOwn) {
    VelaMessageBoxParams p = Record(0x24 | VMB_SHOW_CHECK);
    p.memoryPrefix = "Ask";
    p.checkText = "Always do this";
    QString label;
    WhenBoxShows([&](CVelaMessageBoxTemplate* box) {
        label = box->CheckLabel()->text();
        box->CheckBox()->setChecked(true);
        QTest::mouseClick(box->Button(IDNO), Qt::LeftButton);
    });
    EXPECT_EQ(RunVelaMessageBox(p), 7);
    EXPECT_EQ(label, "Always do this");
    EXPECT_EQ(ReadRememberedAnswer(p), 7);
}

TEST_F(VelaBoxTest, TimeoutCountsDownOnTheDefaultButtonAndPressesIt) {
    ManualTicks ticks;
    VelaMessageBoxParams p = Record(0x40);
    p.timeout = 3;
    std::vector<QString> captions;
    WhenBoxShows([&](CVelaMessageBoxTemplate* box) {
        EXPECT_EQ(ticks.last->period, 1000);
        EXPECT_TRUE(ticks.last->running);
        captions.push_back(box->Button(IDOK)->text());
        ticks.last->Tick();
        captions.push_back(box->Button(IDOK)->text());
        ticks.last->Tick();
        captions.push_back(box->Button(IDOK)->text());
        ticks.last->Tick();  // presses OK
    });
    EXPECT_EQ(RunVelaMessageBox(p), 1);
    EXPECT_EQ(captions, (std::vector<QString>{"OK = 3", "OK = 2", "OK = 1"}));
    EXPECT_FALSE(ticks.last->running);
}

TEST_F(VelaBoxTest, TimeoutPressesTheChosenDefaultNotTheFirst) {
    ManualTicks ticks;
    VelaMessageBoxParams p = Record(0x124);  // Yes, No; No is the default
    p.timeout = 1;
    QString caption;
    WhenBoxShows([&](CVelaMessageBoxTemplate* box) {
        caption = box->Button(IDNO)->text();
        ticks.last->Tick();
    });
    EXPECT_EQ(RunVelaMessageBox(p), 7);
    EXPECT_EQ(caption, "No = 1");
}

TEST_F(VelaBoxTest, DisableTimeInTheTitleDisablesEveryButtonAndCountsDown) {
    ManualTicks ticks;
    VelaMessageBoxParams p = Record(0x41);  // OK, Cancel
    p.disableTime = 3;
    p.countdownInTitle = 1;
    std::vector<QString> titles;
    bool okEnabled = true, cancelEnabled = true, closeEnabled = true;
    bool okAfter = false, cancelAfter = false, closeAfter = false, escapeIgnored = false;
    QString titleAfter;
    WhenBoxShows([&](CVelaMessageBoxTemplate* box) {
        titles.push_back(box->windowTitle());
        okEnabled = box->Button(IDOK)->isEnabled();
        cancelEnabled = box->Button(IDCANCEL)->isEnabled();
        closeEnabled = box->CloseEnabled();
        QTest::keyClick(box, Qt::Key_Escape);
        escapeIgnored = box->isVisible();
        ticks.last->Tick();
        titles.push_back(box->windowTitle());
        ticks.last->Tick();
        titles.push_back(box->windowTitle());
        ticks.last->Tick();
        titleAfter = box->windowTitle();
        okAfter = box->Button(IDOK)->isEnabled() && box->Button(IDOK)->isDefault();
        cancelAfter = box->Button(IDCANCEL)->isEnabled();
        closeAfter = box->CloseEnabled();
        QTest::mouseClick(box->Button(IDCANCEL), Qt::LeftButton);
    });
    EXPECT_EQ(RunVelaMessageBox(p), 2);
    EXPECT_EQ(titles, (std::vector<QString>{"Pelmark (3 seconds remaining)",
                                            "Pelmark (2 seconds remaining)",
                                            "Pelmark (1 seconds remaining)"}));
    EXPECT_FALSE(okEnabled);
    EXPECT_FALSE(cancelEnabled);
    EXPECT_FALSE(closeEnabled);
    EXPECT_TRUE(escapeIgnored);
    EXPECT_EQ(titleAfter, "Pelmark");
    EXPECT_TRUE(okAfter);
    EXPECT_TRUE(cancelAfter);
    EXPECT_TRUE(closeAfter);
    EXPECT_FALSE(ticks.last->running);
}

TEST_F(VelaBoxTest, DisableTimeOnTheButtonKeepsTheOthersUsable) {
    ManualTicks ticks;
    VelaMessageBoxParams p = Record(0x41);
    p.disableTime = 2;
    std::vector<QString> captions;
    bool okEnabled = true, cancelEnabled = false, okAfter = false;
    WhenBoxShows([&](CVelaMessageBoxTemplate* box) {
        captions.push_back(box->Button(IDOK)->text());
        okEnabled = box->Button(IDOK)->isEnabled();
        cancelEnabled = box->Button(IDCANCEL)->isEnabled();
        ticks.last->Tick();
        captions.push_back(box->Button(IDOK)->text());
        ticks.last->Tick();
        captions.push_back(box->Button(IDOK)->text());
        okAfter = box->Button(IDOK)->isEnabled() && box->Button(IDOK)->isDefault();
        // The countdown over, nothing is pressed by itself.
        ticks.last->Tick();
        QTest::mouseClick(box->Button(IDOK), Qt::LeftButton);
    });
    EXPECT_EQ(RunVelaMessageBox(p), 1);
    EXPECT_EQ(captions, (std::vector<QString>{"OK = 2", "OK = 1", "OK"}));
    EXPECT_FALSE(okEnabled);
    EXPECT_TRUE(cancelEnabled);
    EXPECT_TRUE(okAfter);
}

TEST_F(VelaBoxTest, FooterOpensAndClosesWithTheMoreButton) {
    VelaMessageBoxParams p = Record(0x40);
    p.footerText = "Details:<br>more lines<br>and more";
    p.footerArea.separatorStyle = 1;
    std::vector<int> ids;
    int closedHeight = 0, openHeight = 0, footer = 0, closedAgain = 0;
    QString closedCaption, openCaption, againCaption;
    int okTopClosed = 0, okTopOpen = 0;
    bool shown = false;
    WhenBoxShows([&](CVelaMessageBoxTemplate* box) {
        ids = box->ButtonIds();
        footer = box->FooterHeight();
        closedHeight = box->height();
        closedCaption = box->Button(IDMORE)->text();
        okTopClosed = box->Button(IDOK)->y();
        QTest::mouseClick(box->Button(IDMORE), Qt::LeftButton);
        shown = box->FooterShown();
        openHeight = box->height();
        openCaption = box->Button(IDMORE)->text();
        okTopOpen = box->Button(IDOK)->y();
        box->OnCommand(IDLESS);
        closedAgain = box->height();
        againCaption = box->Button(IDMORE)->text();
        box->OnCommand(IDOK);
    });
    EXPECT_EQ(RunVelaMessageBox(p), 1);
    EXPECT_EQ(ids, (std::vector<int>{1, 31}));
    EXPECT_GT(footer, 28);
    EXPECT_TRUE(shown);
    EXPECT_EQ(openHeight, closedHeight + footer);
    EXPECT_EQ(closedAgain, closedHeight);
    EXPECT_EQ(closedCaption, "More >>");
    EXPECT_EQ(openCaption, "<< More");
    EXPECT_EQ(againCaption, "More >>");
    EXPECT_EQ(okTopOpen, okTopClosed);  // the buttons stay, the footer opens below them
}

TEST_F(VelaBoxTest, HelpOpensTheProgramsHelpFileAndReportTellsTheOwner) {
    struct Owner : QWidget {
        bool event(QEvent* e) override {
            if (e->type() == QEvent::Type(QEvent::User + 7)) ++reports;
            return QWidget::event(e);
        }
        int reports = 0;
    } owner;
    QString opened;
    SetVelaHelpOpener([&](const QString& href) {
        opened = href;
        return true;
    });
    VelaMessageBoxParams p = Record(0x40 | MB_HELP);
    p.owner = &owner;
    p.reportMessage = QEvent::User + 7;
    p.helpContext = 12;
    std::vector<int> ids;
    bool openAfter = false;
    WhenBoxShows([&](CVelaMessageBoxTemplate* box) {
        ids = box->ButtonIds();
        QTest::mouseClick(box->Button(IDHELP), Qt::LeftButton);
        QTest::mouseClick(box->Button(IDREPORT), Qt::LeftButton);
        openAfter = box->isVisible();
        box->OnCommand(IDOK);
    });
    EXPECT_EQ(RunVelaMessageBox(p), 1);
    SetVelaHelpOpener({});
    EXPECT_EQ(ids, (std::vector<int>{1, 9, 21}));
    EXPECT_TRUE(openAfter);
    EXPECT_EQ(owner.reports, 1);
    const QFileInfo program(QCoreApplication::applicationFilePath());
    QUrl help =
        QUrl::fromLocalFile(program.absolutePath() + "/" + program.completeBaseName() + ".hlp");
    help.setFragment("12");
    EXPECT_EQ(opened, help.toString());
}

TEST_F(VelaBoxTest, CustomButtonsReplaceTheSetAndTakeEscapeAway) {
    VelaMessageBoxParams p = Record(0x41);
    p.customButtons = "Keep\r\n\nReplace\nRename\nSkip\nFifth";
    std::vector<int> ids;
    std::vector<QString> captions;
    bool escapeIgnored = false;
    WhenBoxShows([&](CVelaMessageBoxTemplate* box) {
        ids = box->ButtonIds();
        for (int id : ids) captions.push_back(box->Button(id)->text());
        QTest::keyClick(box, Qt::Key_Escape);
        escapeIgnored = box->isVisible();
        QTest::mouseClick(box->Button(25), Qt::LeftButton);
    });
    EXPECT_EQ(RunVelaMessageBox(p), 25);
    EXPECT_EQ(ids, (std::vector<int>{23, 24, 25, 26}));
    EXPECT_EQ(captions, (std::vector<QString>{"Keep", "Replace", "Rename", "Skip"}));
    EXPECT_TRUE(escapeIgnored);
}

TEST_F(VelaBoxTest, ButtonsSitOnTheBottomLineInTheirAlignment) {
    for (unsigned alignment : {0u, 1u, 2u}) {
        VelaMessageBoxParams p = Record(0x23, "A question with three answers, long enough");
        p.buttonAlignment = alignment;
        CVelaMessageBoxTemplate box(p);
        const QSize b = box.ButtonSize();
        EXPECT_GE(b.width(), 80);
        EXPECT_GE(b.height(), 23);
        const std::vector<int> ids = box.ButtonIds();
        ASSERT_EQ(ids, (std::vector<int>{6, 7, 2}));
        const int total = 3 * (b.width() + 11) - 11;
        int x = alignment == 0   ? 11
                : alignment == 1 ? box.width() - 11 - total
                                 : (box.width() - total) / 2;
        for (int id : ids) {
            const QRect g = box.Button(id)->geometry();
            EXPECT_EQ(g,
                      QRect(x + 10, box.height() - 11 - b.height(), b.width() - 10, b.height() - 6))
                << alignment << " " << id;
            x += b.width() + 1;
        }
        // Neighbours 11 pixels apart.
        EXPECT_EQ(box.Button(7)->x() - box.Button(6)->geometry().right() - 1, 11);
        EXPECT_EQ(box.height(), box.MessageHeight() + box.ButtonAreaHeight());
        EXPECT_EQ(box.ButtonAreaHeight(), 11 + b.height());
    }
}

TEST_F(VelaBoxTest, DefaultIndexBeyondTheButtonsIsTheFirstAndHasTheFocus) {
    VelaMessageBoxParams p = Record(0x524);
    QString focused;
    WhenBoxShows([&](CVelaMessageBoxTemplate* box) {
        EXPECT_EQ(box->DefaultIndex(), 0);
        EXPECT_TRUE(box->Button(IDYES)->isDefault());
        if (QWidget* f = box->focusWidget()) focused = f->objectName();
        QTest::keyClick(box->focusWidget(), Qt::Key_Space);
    });
    EXPECT_EQ(RunVelaMessageBox(p), 6);
    EXPECT_EQ(focused, "button6");
}

TEST_F(VelaBoxTest, RightAlignmentHeaderAndCheckRowsAddToTheLayout) {
    VelaMessageBoxParams p = Record(0x40 | MB_RIGHT | VMB_SHOW_CHECK | VMB_CHECK_BELOW);
    p.headerHeight = 20;
    p.headerText = "<b>Header</b>";
    p.headerArea.separatorStyle = 2;
    p.headerArea.separatorText = "Section";
    p.buttonArea.separatorStyle = 1;
    CVelaMessageBoxTemplate box(p);
    EXPECT_TRUE(box.MessageMarkup().contains("<td><right>Go on?</right></td>"));
    EXPECT_GE(box.HeaderHeight(), 20);
    // Header, message, and a button area with its separator gap and the check row.
    EXPECT_EQ(box.ButtonAreaHeight(), 11 + 11 + 11 + 13 + box.ButtonSize().height());
    EXPECT_EQ(box.height(), box.HeaderHeight() + box.MessageHeight() + box.ButtonAreaHeight());
    // The check row below the buttons: the buttons stand higher by its height.
    EXPECT_EQ(box.Button(IDOK)->y(), box.height() - 11 - 11 - 13 - box.ButtonSize().height());
    EXPECT_GT(box.CheckBox()->y(), box.Button(IDOK)->geometry().bottom());

    // The header separator is drawn: a black line under the header, left of its text.
    const QImage image = box.grab().toImage();
    EXPECT_EQ(image.pixelColor(box.width() - 8, box.HeaderHeight()), QColor(Qt::black));
}

}  // namespace

namespace {

TEST_F(VelaBoxTest, CustomIconFromItsModuleOrNoIconTableWhenItDoesNotLoad) {
    VelaMessageBoxParams p = Record(0x80);
    p.iconResourceId = 7;
    int asked = 0;
    p.iconModule = [&](int id) {
        asked = id;
        QPixmap icon(48, 48);
        icon.fill(Qt::red);
        return icon;
    };
    CVelaMessageBoxTemplate shown(p);
    EXPECT_EQ(asked, 7);
    EXPECT_TRUE(shown.HasIcon());
    EXPECT_TRUE(shown.MessageMarkup().startsWith("<table cellpadding=5><tr><td width=32><icon"));
    // The icon stands left of the text, scaled to the system icon size.
    const QImage image = shown.grab().toImage();
    const QRect r = shown.MessageRect();
    EXPECT_EQ(image.pixelColor(r.left() + 5 + 16, r.top() + 5 + 16), QColor(Qt::red));

    p.iconModule = [](int) { return QPixmap(); };
    CVelaMessageBoxTemplate missing(p);
    EXPECT_FALSE(missing.HasIcon());
    EXPECT_EQ(missing.MessageMarkup(), "Go on?");

    p.iconResourceId = 0;  // no id: no icon, the module is not asked
    asked = 0;
    p.iconModule = [&](int id) {
        asked = id;
        return QPixmap(8, 8);
    };
    CVelaMessageBoxTemplate none(p);
    EXPECT_FALSE(none.HasIcon());
    EXPECT_EQ(asked, 0);
}

TEST_F(VelaBoxTest, TextsByStringIdComeFromTheStringModule) {
    VelaMessageBoxParams p = Record(0x01);
    p.stringModule = [](unsigned id) -> std::optional<QString> {
        if (id == 700) return QString("From the table");
        if (id == 9001) return QString("Fine");
        return std::nullopt;
    };
    p.messageText = VelaText::Id(700);
    CVelaMessageBoxTemplate box(p);
    EXPECT_EQ(box.MessageMarkup(), "From the table");
    EXPECT_EQ(box.Button(IDOK)->text(), "Fine");
    EXPECT_EQ(box.Button(IDCANCEL)->text(), "Cancel");
}

}  // namespace
