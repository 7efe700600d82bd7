// The program's message call: what its boxes show and answer, from which
// thread, and over which window.

#include "htmlbox/message_call.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <thread>

#include "htmlbox/drawer/vela_html_drawer.h"
#include "message_box_support.h"

namespace {

TEST(MessageCall, HookAnswersWithoutShowingAnything) {
    QString seenText;
    int seenStyle = 0;
    SetMessageAnswerHook([&](const QString& text, int style) {
        seenText = text;
        seenStyle = style;
        return 6;
    });
    EXPECT_EQ(ShowHtmlMessage(nullptr, "Do you really want to exit?", "Pelmark", 36), 6);
    SetMessageAnswerHook({});
    EXPECT_EQ(seenText, "Do you really want to exit?");
    EXPECT_EQ(seenStyle, 36);
}

TEST(MessageCall, RecordOfTheCallHasTheYellowBumpBehindTheBox) {
    QWidget owner;
    const VelaMessageBoxParams p = HtmlMessageParams(&owner, "text", "Pelmark", 64);
    EXPECT_EQ(p.owner, &owner);
    EXPECT_EQ(p.caption.text, "Pelmark");
    EXPECT_EQ(p.messageText.text, "text");
    EXPECT_EQ(p.style, 64u);
    EXPECT_EQ(p.mainArea.effect, 12);
    EXPECT_EQ(p.mainArea.begin, QColor(253, 236, 81));
    EXPECT_EQ(p.mainArea.middle, QColor(254, 243, 169));
    EXPECT_EQ(p.mainArea.end, QColor(253, 236, 81));
    EXPECT_EQ(p.buttonAlignment, 2u);
    EXPECT_EQ(p.headerHeight, 0u);
}

TEST(MessageCall, InformationBoxShowsTheIconBesideTheTextAndOneOkButton) {
    QString title;
    std::vector<int> buttons;
    QString markup;
    QSize okSize;
    bool okHasFocus = false;
    bool okIsDefault = false;
    QColor edge, middle;
    WhenBoxShows([&](CVelaMessageBoxTemplate* box) {
        title = box->windowTitle();
        buttons = box->ButtonIds();
        markup = box->MessageMarkup();
        okSize = box->Button(1)->size();
        okHasFocus = box->focusWidget() == box->Button(1);
        okIsDefault = box->Button(1)->isDefault();
        const QImage image = box->grab().toImage();
        edge = image.pixelColor(1, 2);
        middle = image.pixelColor(image.width() / 2, 2);
        QTest::mouseClick(box->Button(1), Qt::LeftButton);
    });
    EXPECT_EQ(ShowHtmlMessage(nullptr, "Saved in:<br><b>/home/ann</b>", "Pelmark", 64), 1);
    EXPECT_EQ(title, "Pelmark");
    EXPECT_EQ(buttons, std::vector<int>{1});
    EXPECT_TRUE(markup.startsWith("<table cellpadding=5><tr><td width=32><icon handle=0x"))
        << markup.toStdString();
    EXPECT_TRUE(markup.endsWith("></td><td>Saved in:<br><b>/home/ann</b></td></tr></table>"));
    EXPECT_GE(okSize.width(), 70);
    EXPECT_GE(okSize.height(), 17);
    EXPECT_TRUE(okHasFocus);
    EXPECT_TRUE(okIsDefault);
    // The yellow bump: deeper at the sides, lighter in the middle.
    EXPECT_NEAR(edge.red(), 253, 2);
    EXPECT_NEAR(edge.green(), 236, 3);
    EXPECT_NEAR(edge.blue(), 81, 12);
    EXPECT_NEAR(middle.green(), 243, 3);
    EXPECT_NEAR(middle.blue(), 169, 12);
    EXPECT_EQ(OpenBox(), nullptr);
}

TEST(MessageCall, EscapeOnAnOkBoxGivesTwo) {
    WhenBoxShows([](CVelaMessageBoxTemplate* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(ShowHtmlMessage(nullptr, "No file(s) selected to remove.", "Pelmark", 64), 2);
}

TEST(MessageCall, QuestionBoxIgnoresEscapeAndCloseAndAnswersYesOrNo) {
    bool stillOpen = false;
    bool closeButton = true;
    std::vector<int> buttons;
    WhenBoxShows([&](CVelaMessageBoxTemplate* box) {
        buttons = box->ButtonIds();
        closeButton = box->windowFlags() & Qt::WindowCloseButtonHint;
        QTest::keyClick(box, Qt::Key_Escape);
        box->close();
        stillOpen = box->isVisible();
        QTest::mouseClick(box->Button(7), Qt::LeftButton);
    });
    EXPECT_EQ(ShowHtmlMessage(nullptr, "Are you sure to stop the running process?", "Pelmark", 36),
              7);
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(closeButton);
    EXPECT_EQ(buttons, (std::vector<int>{6, 7}));
}

TEST(MessageCall, ApplicationBoxIsModalAndModelessBoxLeavesTheWindowUsable) {
    QWidget main;
    auto* button = new QPushButton("Select files", &main);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));

    QWidget* modalWhileOpen = &main;
    QWidget* parent = nullptr;
    WhenBoxShows([&](CVelaMessageBoxTemplate* box) {
        modalWhileOpen = QApplication::activeModalWidget();
        parent = box->parentWidget();
        QTest::mouseClick(box->Button(1), Qt::LeftButton);
    });
    ShowHtmlMessage(&main, "modal", "Pelmark", 64);
    EXPECT_NE(modalWhileOpen, nullptr);
    EXPECT_EQ(parent, &main);

    modalWhileOpen = &main;
    bool mainEnabled = false;
    WhenBoxShows([&](CVelaMessageBoxTemplate* box) {
        modalWhileOpen = QApplication::activeModalWidget();
        mainEnabled = main.isEnabled() && button->isEnabled();
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::mouseClick(box->Button(1), Qt::LeftButton);
    });
    EXPECT_EQ(ShowHtmlMessage(&main, "modeless", "Pelmark", 64, MessageModality::Modeless), 1);
    EXPECT_EQ(modalWhileOpen, nullptr);
    EXPECT_TRUE(mainEnabled);
    EXPECT_EQ(clicks, 1);
}

TEST(MessageCall, BoxWithoutOwnerBelongsToTheMainWindow) {
    QMainWindow frame;
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    QWidget* parent = nullptr;
    WhenBoxShows([&](CVelaMessageBoxTemplate* box) {
        parent = box->parentWidget();
        box->OnCommand(1);
    });
    ShowHtmlMessage(nullptr, "x", "Pelmark", 64);
    EXPECT_EQ(parent, &frame);
}

TEST(MessageCall, CallFromAnotherThreadIsShownOnTheInterfaceThread) {
    std::atomic<int> answer{0};
    std::atomic<bool> done{false};
    bool onInterfaceThread = false;
    WhenBoxShows([&](CVelaMessageBoxTemplate* box) {
        onInterfaceThread = box->thread() == QApplication::instance()->thread() &&
                            QApplication::activeModalWidget() == nullptr;
        QTest::mouseClick(box->Button(6), Qt::LeftButton);
    });
    std::thread worker([&] {
        answer = ShowHtmlMessage(nullptr, "Are you sure?", "Pelmark", 36);
        done = true;
    });
    QElapsedTimer clock;
    clock.start();
    while (!done && clock.elapsed() < 10000) QApplication::processEvents(QEventLoop::AllEvents, 20);
    worker.join();
    EXPECT_EQ(answer.load(), 6);
    EXPECT_TRUE(onInterfaceThread);
}

TEST(MessageCall, EmptyCaptionTakesTheOwnerTitleOrError) {
    QWidget owner;
    owner.setWindowTitle("Pelmark - deck.odp");
    QString title;
    WhenBoxShows([&](CVelaMessageBoxTemplate* box) {
        title = box->windowTitle();
        box->OnCommand(1);
    });
    ShowHtmlMessage(&owner, "x", "", 64);
    EXPECT_EQ(title, "Pelmark - deck.odp");
    WhenBoxShows([&](CVelaMessageBoxTemplate* box) {
        title = box->windowTitle();
        box->OnCommand(1);
    });
    ShowHtmlMessage(nullptr, "x", "", 64);
    EXPECT_EQ(title, "Error");
}

TEST(MessageCall, LinkInTheMessageOpensItsTarget) {
    QString opened;
    CVelaHtmlDrawer::SetAddressOpener([&](const QString& href) {
        opened = href;
        return true;
    });
    WhenBoxShows([&](CVelaMessageBoxTemplate* box) {
        // The links are where the last painting put them; then hunt the link.
        box->grab();
        const QRect r = box->MessageRect();
        for (int x = r.left(); x < r.right() && opened.isEmpty(); x += 3)
            for (int y = r.top(); y < r.bottom() && opened.isEmpty(); y += 3)
                QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
        box->OnCommand(1);
    });
    ShowHtmlMessage(nullptr, "Saved in <a href='/home/ann/out'>/home/ann/out</a>", "Pelmark", 64);
    CVelaHtmlDrawer::SetAddressOpener({});
    EXPECT_EQ(opened, "/home/ann/out");
}

}  // namespace
