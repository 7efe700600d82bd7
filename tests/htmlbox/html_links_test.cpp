// Link areas, hit testing, hover and clicks.

#include <gtest/gtest.h>

#include "htmlbox/drawer/vela_html_drawer.h"
#include "support/recording_canvas.h"

namespace {

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        CVelaHtmlDrawer::SetAddressOpener([this](const QString& a) {
            opened.push_back(a);
            return true;
        });
        drawer.SetRepaintTarget([this](int hovered) { repaints.push_back(hovered); });
        drawer.MeasureHtml(dc,
                           "go <a href='/tmp/my folder'>here</a> or <a msg=note>there</a>"
                           "<a>none</a>");
        drawer.DrawHtml(dc, QRect(0, 0, 400, 50));
    }
    void TearDown() override { CVelaHtmlDrawer::SetAddressOpener(nullptr); }

    CVelaHtmlDrawer drawer;
    RecordingCanvas dc;
    std::vector<QString> opened;
    std::vector<int> repaints;
};

TEST_F(LinkTest, EachLinkPartIsAnAreaWithItsKindIndexAndText) {
    const auto& areas = drawer.LinkAreas();
    ASSERT_EQ(areas.size(), 3u);
    EXPECT_EQ(areas[0].rect, QRect(21, 0, 28, 13));
    EXPECT_EQ(areas[0].kind, 1);
    EXPECT_EQ(areas[0].index, 0);
    EXPECT_EQ(areas[0].text, "/tmp/my folder");
    EXPECT_EQ(areas[1].rect, QRect(21 + 28 + 28, 0, 35, 13));
    EXPECT_EQ(areas[1].kind, 2);
    EXPECT_EQ(areas[1].index, 1);
    EXPECT_EQ(areas[2].text, "");
    // a:link: blue and not underlined.
    EXPECT_EQ(dc.Find("here")->colour, QColor(0, 0, 255));
    EXPECT_FALSE(dc.Find("here")->font.underline);
}

TEST_F(LinkTest, HitTestIncludesTheEdges) {
    EXPECT_EQ(drawer.HitTest(QPoint(21, 0)), 0);
    EXPECT_EQ(drawer.HitTest(QPoint(49, 13)), 0);
    EXPECT_EQ(drawer.HitTest(QPoint(20, 5)), -1);
    EXPECT_EQ(drawer.HitTest(QPoint(80, 5)), 1);
    EXPECT_EQ(drawer.HitTest(QPoint(80, 14)), -1);
}

TEST_F(LinkTest, HoverRedrawsTheLinkUnderlinedAndLeavingRestoresIt) {
    EXPECT_TRUE(drawer.UpdateHoverCursor(QPoint(30, 5)));
    EXPECT_EQ(drawer.HoveredLink(), 0);
    EXPECT_EQ(repaints, std::vector<int>{0});
    EXPECT_TRUE(drawer.UpdateHoverCursor(QPoint(31, 5)));  // same link: no repaint
    EXPECT_EQ(repaints.size(), 1u);
    dc.Clear();
    drawer.DrawHtml(dc, QRect(0, 0, 400, 50));
    EXPECT_TRUE(dc.Find("here")->font.underline);
    EXPECT_FALSE(dc.Find("there")->font.underline);

    EXPECT_FALSE(drawer.UpdateHoverCursor(QPoint(300, 40)));
    EXPECT_EQ(drawer.HoveredLink(), -2);
    EXPECT_EQ(repaints, (std::vector<int>{0, -2}));
    dc.Clear();
    drawer.DrawHtml(dc, QRect(0, 0, 400, 50));
    EXPECT_FALSE(dc.Find("here")->font.underline);
    // A link leading nowhere is no place for the hand.
    const QRect none = drawer.LinkAreas()[2].rect;
    EXPECT_FALSE(drawer.UpdateHoverCursor(none.center()));
}

TEST_F(LinkTest, ClickOpensAddressesAndNotifiesMessages) {
    std::vector<QString> notes;
    drawer.SetLinkNotifyTarget([&](const QString& t) { notes.push_back(t); });
    drawer.ClickAt(QPoint(25, 5));
    EXPECT_EQ(opened, std::vector<QString>{"/tmp/my folder"});
    drawer.ClickAt(QPoint(80, 5));
    EXPECT_EQ(notes, std::vector<QString>{"note"});
    drawer.ClickAt(drawer.LinkAreas()[2].rect.center());
    drawer.ClickAt(QPoint(300, 40));
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_EQ(notes.size(), 1u);
}

}  // namespace
