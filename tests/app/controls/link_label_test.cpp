#include "app/controls/link_label.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include "htmlbox/message_call.h"

namespace {

const QColor kLink(0, 0, 238);
const QColor kVisited(85, 26, 139);
const QColor kHover(255, 0, 0);

struct LinkFixture {
    LinkFixture() {
        parent.resize(300, 100);
        link = new CLinkLabel("support@pelmark.example", &parent);
        link->move(20, 20);
        link->SetTarget("mailto:support@pelmark.example");
        parent.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }
    void Hover() {
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), link->mapToGlobal(QPointF(3, 3)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(link, &move);
    }
    void LeaveAndTick() {
        QCursor::setPos(parent.mapToGlobal(QPoint(290, 95)));
        link->OnTimer();
    }
    // How many pixels of the label are drawn in `colour`.
    int PixelsOf(const QColor& colour) {
        const QImage image = link->grab().toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == colour) ++count;
        return count;
    }
    QWidget parent;
    CLinkLabel* link = nullptr;
};

TEST(LinkLabel, TargetTooltipCursorAndFit) {
    LinkFixture f;
    EXPECT_EQ(f.link->Target(), "mailto:support@pelmark.example");
    EXPECT_EQ(f.link->text(), "support@pelmark.example");
    EXPECT_EQ(f.link->toolTip(), "mailto:support@pelmark.example");
    EXPECT_EQ(f.link->cursor().shape(), Qt::PointingHandCursor);
    QFont underlined = f.link->font();
    underlined.setUnderline(true);
    EXPECT_EQ(f.link->size(),
              QFontMetrics(underlined).size(Qt::TextSingleLine, "support@pelmark.example"));
    EXPECT_EQ(f.link->pos(), QPoint(20, 20));

    // Without a target of its own the text is the target.
    CLinkLabel plain("https://pelmark.example.com/");
    EXPECT_EQ(plain.Target(), "https://pelmark.example.com/");
}

TEST(LinkLabel, ColourFollowsHoverAndVisitedState) {
    LinkFixture f;
    f.link->SetOpener([](const QString&) { return 42; });
    EXPECT_EQ(f.link->TextColour(), kLink);
    EXPECT_GT(f.PixelsOf(kLink), 0);

    f.Hover();
    EXPECT_TRUE(f.link->IsMouseOver());
    EXPECT_EQ(f.link->TextColour(), kHover);
    EXPECT_GT(f.PixelsOf(kHover), 0);
    EXPECT_EQ(f.PixelsOf(kLink), 0);

    // Still over it at the tick: still hovering.
    QCursor::setPos(f.link->mapToGlobal(QPoint(3, 3)));
    f.link->OnTimer();
    EXPECT_TRUE(f.link->IsMouseOver());
    f.LeaveAndTick();
    EXPECT_FALSE(f.link->IsMouseOver());
    EXPECT_EQ(f.link->TextColour(), kLink);

    QTest::mouseClick(f.link, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_TRUE(f.link->IsVisited());
    EXPECT_EQ(f.link->TextColour(), kVisited);
    EXPECT_GT(f.PixelsOf(kVisited), 0);
    f.Hover();
    EXPECT_EQ(f.link->TextColour(), kHover);
}

TEST(LinkLabel, UnderlineModes) {
    struct Case {
        int mode;
        bool before, hovered, after;
    };
    const Case cases[] = {
        {CLinkLabel::kUnderlineHover, false, true, false},
        {CLinkLabel::kUnderlineNever, false, false, false},
        {CLinkLabel::kUnderlineAlways, true, true, true},
    };
    for (const Case& c : cases) {
        LinkFixture f;
        f.link->SetUnderlineMode(c.mode);
        EXPECT_EQ(f.link->IsUnderlined(), c.before) << c.mode;
        f.Hover();
        EXPECT_EQ(f.link->IsUnderlined(), c.hovered) << c.mode;
        f.LeaveAndTick();
        EXPECT_EQ(f.link->IsUnderlined(), c.after) << c.mode;
    }
}

TEST(LinkLabel, FailedOpenShowsWhyAndStaysUnvisited) {
    struct Case {
        int code;
        const char* text;
    };
    const Case cases[] = {
        {26, "A sharing violation occurred. "},
        {4, "Unknown Error (4) occurred."},
        {31, "There is no application associated\nwith the given filename extension."},
    };
    for (const Case& c : cases) {
        LinkFixture f;
        QString shown;
        int style = 0;
        SetMessageAnswerHook([&](const QString& text, int s) {
            shown = text;
            style = s;
            return 1;
        });
        QString opened;
        f.link->SetOpener([&](const QString& target) {
            opened = target;
            return c.code;
        });
        QTest::mouseClick(f.link, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
        SetMessageAnswerHook({});
        EXPECT_EQ(opened, "mailto:support@pelmark.example");
        EXPECT_EQ(shown, QString("Unable to open hyperlink:\n\n") + c.text);
        EXPECT_EQ(style, 48);
        EXPECT_FALSE(f.link->IsVisited());
        EXPECT_EQ(f.link->TextColour(), kLink);
    }
}

}  // namespace
