#include "app/controls/prompt_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QTest>

namespace {

QColor TextColor(const CPromptEdit& edit) {
    return edit.palette().color(QPalette::Text);
}

TEST(PromptEdit, StartsWithTheGreyPromptAndNoText) {
    CPromptEdit edit;
    EXPECT_TRUE(edit.IsPromptShown());
    EXPECT_EQ(edit.text(), "<Enter text here>");
    EXPECT_EQ(edit.GetWindowText(), "");
    EXPECT_EQ(TextColor(edit), QColor(119, 121, 118));
}

TEST(PromptEdit, FirstKeyReplacesThePrompt) {
    CPromptEdit edit;
    edit.SetPromptText("<Please enter valid path to save repaired impress file(s)> ");
    edit.SetPromptColor(QColor(158, 158, 158));
    EXPECT_EQ(edit.text(), "<Please enter valid path to save repaired impress file(s)> ");
    EXPECT_EQ(TextColor(edit), QColor(158, 158, 158));

    QTest::keyClicks(&edit, "C");
    EXPECT_FALSE(edit.IsPromptShown());
    EXPECT_EQ(edit.text(), "C");
    EXPECT_EQ(edit.GetWindowText(), "C");
    EXPECT_EQ(TextColor(edit), QApplication::palette().color(QPalette::Text));
}

TEST(PromptEdit, AnyMouseButtonClearsThePromptForGood) {
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::MiddleButton, Qt::RightButton}) {
        SCOPED_TRACE(static_cast<int>(button));
        CPromptEdit edit;
        edit.resize(200, 24);
        QTest::mousePress(&edit, button);
        QTest::mouseRelease(&edit, button);
        EXPECT_FALSE(edit.IsPromptShown());
        EXPECT_EQ(edit.text(), "");
        // Nothing brings it back: not an empty text, not losing the focus.
        edit.SetWindowText("");
        QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
        QApplication::sendEvent(&edit, &out);
        EXPECT_EQ(edit.text(), "");
        EXPECT_FALSE(edit.IsPromptShown());
    }
}

TEST(PromptEdit, SetWindowTextKeepsThePromptForEmptyTextAndShowsAPath) {
    CPromptEdit edit;
    edit.SetWindowText("");
    EXPECT_TRUE(edit.IsPromptShown());
    EXPECT_EQ(edit.text(), "<Enter text here>");

    edit.SetWindowText("<Enter text here>");  // the prompt itself keeps the prompt state
    EXPECT_TRUE(edit.IsPromptShown());
    EXPECT_EQ(edit.GetWindowText(), "");

    edit.SetWindowText("/home/ann/Repaired");
    EXPECT_FALSE(edit.IsPromptShown());
    EXPECT_EQ(edit.text(), "/home/ann/Repaired");
    EXPECT_EQ(edit.GetWindowText(), "/home/ann/Repaired");
}

TEST(PromptEdit, NewPromptShowsAtOnceOnlyWhileThePromptLasts) {
    CPromptEdit edit;
    edit.SetPromptText("<pick>");
    EXPECT_EQ(edit.text(), "<pick>");
    edit.SetWindowText("/data");
    edit.SetPromptText("<other>");
    EXPECT_EQ(edit.text(), "/data");
    EXPECT_FALSE(edit.IsPromptShown());
}

TEST(PromptEdit, EmptyPromptEndsThePromptWithoutLeavingTheOldOneAsText) {
    CPromptEdit edit;
    edit.SetPromptText("");
    EXPECT_FALSE(edit.IsPromptShown());
    EXPECT_EQ(edit.text(), "");
    EXPECT_EQ(edit.GetWindowText(), "");
}

TEST(PromptEdit, FocusPutsTheCaretAtTheEndOfThePromptWithNothingSelected) {
    CPromptEdit edit;
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&edit, &in);
    EXPECT_TRUE(edit.IsPromptShown());
    EXPECT_FALSE(edit.hasSelectedText());
    EXPECT_EQ(edit.cursorPosition(), edit.text().size());
}

}  // namespace
