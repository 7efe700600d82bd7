#include "htmlbox/message_call.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <functional>
#include <thread>

#include "htmlbox/html_message_dialog.h"

namespace {

HtmlMessageDialog* OpenBox() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<HtmlMessageDialog*>(w); box && box->isVisible()) return box;
    return nullptr;
}

// Runs `act` on the box as soon as one is shown (polling from the event loop that
// the message call itself runs).
void WhenBoxShows(std::function<void(HtmlMessageDialog*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (HtmlMessageDialog* box = OpenBox()) {
            timer->stop();
            timer->deleteLater();
            act(box);
        }
    });
    timer->start();
}

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

TEST(MessageCall, InformationBoxClosedWithOkGivesOne) {
    QString title;
    std::vector<int> buttons;
    bool hasIcon = false;
    QString shown;
    WhenBoxShows([&](HtmlMessageDialog* box) {
        title = box->windowTitle();
        buttons = box->ButtonIds();
        hasIcon = box->findChild<QLabel*>("icon") != nullptr;
        shown = box->findChild<QLabel*>("message")->text();
        QTest::mouseClick(box->Button(1), Qt::LeftButton);
    });
    EXPECT_EQ(ShowHtmlMessage(nullptr, "Saved in:<br><b>/home/ann</b>", "Pelmark", 64), 1);
    EXPECT_EQ(title, "Pelmark");
    EXPECT_EQ(buttons, std::vector<int>{1});
    EXPECT_TRUE(hasIcon);
    EXPECT_EQ(shown, "Saved in:<br><b>/home/ann</b>");
    EXPECT_EQ(OpenBox(), nullptr);
}

TEST(MessageCall, EscapeOnAnOkBoxGivesTwo) {
    WhenBoxShows([](HtmlMessageDialog* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(ShowHtmlMessage(nullptr, "No file(s) selected to remove.", "Pelmark", 64), 2);
}

TEST(MessageCall, QuestionBoxIgnoresEscapeAndAnswersYesOrNo) {
    bool stillOpenAfterEscape = false;
    std::vector<int> buttons;
    WhenBoxShows([&](HtmlMessageDialog* box) {
        buttons = box->ButtonIds();
        QTest::keyClick(box, Qt::Key_Escape);
        box->close();
        stillOpenAfterEscape = box->isVisible();
        QTest::mouseClick(box->Button(7), Qt::LeftButton);
    });
    EXPECT_EQ(ShowHtmlMessage(nullptr, "Are you sure to stop the running process?", "Pelmark", 36),
              7);
    EXPECT_TRUE(stillOpenAfterEscape);
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
    WhenBoxShows([&](HtmlMessageDialog* box) {
        modalWhileOpen = QApplication::activeModalWidget();
        QTest::mouseClick(box->Button(1), Qt::LeftButton);
    });
    ShowHtmlMessage(&main, "modal", "Pelmark", 64);
    EXPECT_NE(modalWhileOpen, nullptr);

    modalWhileOpen = &main;
    bool mainEnabled = false;
    WhenBoxShows([&](HtmlMessageDialog* box) {
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

TEST(MessageCall, CallFromAnotherThreadIsShownOnTheInterfaceThread) {
    std::atomic<int> answer{0};
    std::atomic<bool> done{false};
    bool onInterfaceThread = false;
    WhenBoxShows([&](HtmlMessageDialog* box) {
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
    WhenBoxShows([&](HtmlMessageDialog* box) {
        title = box->windowTitle();
        box->done(1);
    });
    ShowHtmlMessage(&owner, "x", "", 64);
    EXPECT_EQ(title, "Pelmark - deck.odp");
    WhenBoxShows([&](HtmlMessageDialog* box) {
        title = box->windowTitle();
        box->done(1);
    });
    ShowHtmlMessage(nullptr, "x", "", 64);
    EXPECT_EQ(title, "Error");
}

}  // namespace
