// Tables: the message box's icon-beside-text table, spans, padding, spacing,
// borders and backgrounds. Recording canvas: 7 px per character, 13 px lines.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "htmlbox/drawer/vela_html_drawer.h"
#include "htmlbox/drawer/vela_image_handles.h"
#include "support/recording_canvas.h"

namespace {

class TableTest : public ::testing::Test {
protected:
    void SetUp() override {
        QImage icon(32, 32, QImage::Format_ARGB32);
        icon.fill(QColor(0, 0, 255));
        handle = CVelaImageHandles::Add(icon);
    }
    void TearDown() override { CVelaImageHandles::Remove(handle); }
    QString IconTable(const QString& text) {
        return QString(
                   "<table cellpadding=%1><tr><td width=%2><icon handle=0x%3></td><td>%4</td>"
                   "</tr></table>")
            .arg(5)
            .arg(32)
            .arg(handle, 0, 16)
            .arg(text);
    }
    void Draw(const QRect& rect) {
        dc.Clear();
        drawer.DrawHtml(dc, rect);
    }
    CVelaHtmlDrawer drawer;
    RecordingCanvas dc;
    quint32 handle = 0;
};

TEST_F(TableTest, TheMessageBoxTablePutsTheIconBesideTheText) {
    // Icon column 32 + 2 × 5; text column 35 + 10; one pixel between them.
    EXPECT_EQ(drawer.MeasureHtml(dc, IconTable("Hello")), QSize(42 + 45 + 1 + 1, 42 + 1));
    Draw(QRect(14, 14, 88, 42));
    ASSERT_EQ(dc.images.size(), 1u);
    EXPECT_EQ(dc.images[0].x, 14 + 5);
    EXPECT_EQ(dc.images[0].y, 14 + 5);
    ASSERT_EQ(dc.texts.size(), 1u);
    EXPECT_EQ(dc.texts[0].x, 14 + 42 + 1 + 5);
    EXPECT_EQ(dc.texts[0].y, 14 + 5);
}

TEST_F(TableTest, ExtraWidthGoesToTheColumnsWithoutAGivenWidth) {
    drawer.MeasureHtml(dc, IconTable("<right>Hi</right>"));
    Draw(QRect(0, 0, 200, 60));
    // The text column is 24 + 133 wide; its content 5 px in from both sides.
    ASSERT_EQ(dc.texts.size(), 1u);
    EXPECT_EQ(dc.texts[0].x, 43 + 157 - 5 - 14);
    EXPECT_EQ(dc.images[0].x, 5);
}

TEST_F(TableTest, AWideColumnSpanWidensBothColumnsTheOddPixelToTheSecond) {
    const QString table =
        "<table><tr><td colspan=2 width=101>x</td></tr><tr><td>a</td><td>b</td></tr></table>";
    // Padding 2: the spanning cell is 105 wide; a and b are 11 each, and the
    // 83 px they lack go 41 and 42.
    EXPECT_EQ(drawer.MeasureHtml(dc, table), QSize(52 + 53 + 1 + 1, 17 + 17 + 1 + 1));
    Draw(QRect(0, 0, 106, 40));
    ASSERT_EQ(dc.texts.size(), 3u);
    EXPECT_EQ(dc.texts[0].x, 2);
    EXPECT_EQ(dc.texts[0].y, 2);
    EXPECT_EQ(dc.texts[1].x, 2);
    EXPECT_EQ(dc.texts[1].y, 18 + 2);
    EXPECT_EQ(dc.texts[2].x, 52 + 1 + 2);
    // Every column has a given width: a wider drawing moves the table instead.
    drawer.MeasureHtml(dc, "<center>" + table);
    Draw(QRect(0, 0, 206, 40));
    // The centring also holds inside the 48 px cell.
    EXPECT_EQ(dc.texts[1].x, 50 + 2 + (48 - 7) / 2);
}

TEST_F(TableTest, SpacingPaddingAndBorders) {
    const QString table =
        "<table border=2 cellspacing=3 cellpadding=4 bordercolorlight=red "
        "bordercolordark=blue><tr><td>ab</td><td bgcolor=#00ff00>c</td></tr></table>";
    // Cells: 14 + 2 × (4 + 1) and 7 + 10 (their border is 1 wide); three
    // spacings, one separator and the table's border on both sides.
    EXPECT_EQ(drawer.MeasureHtml(dc, table),
              QSize(24 + 17 + 3 * 3 + 1 + 4 + 1, 23 + 2 * 3 + 4 + 1));
    Draw(QRect(0, 0, 55, 33));
    ASSERT_EQ(dc.texts.size(), 2u);
    EXPECT_EQ(dc.texts[0].x, 2 + 3 + 5);
    EXPECT_EQ(dc.texts[0].y, 2 + 3 + 5);
    EXPECT_EQ(dc.texts[1].x, 2 + 3 + 24 + 3 + 1 + 5);
    // The table's outline: light left and top, dark right and bottom; the
    // cells' the other way round.
    ASSERT_GE(dc.lines.size(), 4u);
    EXPECT_EQ(dc.lines[0].colour, QColor(255, 0, 0));
    EXPECT_EQ(dc.lines[0].width, 2);
    EXPECT_EQ(dc.lines[2].colour, QColor(0, 0, 255));
    EXPECT_EQ(dc.lines[4].colour, QColor(0, 0, 255));
    EXPECT_EQ(dc.lines[4].width, 1);
    // The second cell's background is a solid fill of its rectangle.
    ASSERT_EQ(dc.fills.size(), 1u);
    EXPECT_EQ(dc.fills[0].rect, QRect(2 + 3 + 24 + 3 + 1, 2 + 3, 17, 23));
    EXPECT_EQ(dc.fills[0].colour, QColor(0, 255, 0));
}

TEST_F(TableTest, RowSpansAndVerticalAlignment) {
    const QString table =
        "<table cellpadding=0><tr><td rowspan=2 valign=middle>m</td><td>a</td></tr>"
        "<tr><td>b</td></tr></table>";
    EXPECT_EQ(drawer.MeasureHtml(dc, table), QSize(7 + 7 + 1 + 1, 13 + 13 + 1 + 1));
    Draw(QRect(0, 0, 15, 27));
    ASSERT_EQ(dc.texts.size(), 3u);
    EXPECT_EQ(dc.texts[0].text, "m");
    EXPECT_EQ(dc.texts[0].y, (27 - 13) / 2);
    EXPECT_EQ(dc.texts[2].text, "b");
    EXPECT_EQ(dc.texts[2].x, 8);
    EXPECT_EQ(dc.texts[2].y, 14);
}

TEST_F(TableTest, TextAroundNestedAndEscapedTables) {
    const QString markup =
        "top<table cellpadding=0><tr><td>x<table cellpadding=0><tr><td>in</td>"
        "</tr></table><<table></td></tr></table>end";
    EXPECT_EQ(drawer.MeasureHtml(dc, markup), QSize(49 + 1, 13 * 5 + 1));
    Draw(QRect(0, 0, 100, 100));
    EXPECT_EQ(dc.AllText(), "topxin<table>end");
    EXPECT_EQ(dc.Find("in")->y, 26);
    EXPECT_EQ(dc.Find("end")->y, 52);
}

TEST_F(TableTest, BrokenTablesNeitherCrashNorLoop) {
    const QString cases[] = {
        "<table>",
        "<table><tr><td>a",
        "<table><td>a</td></table>b",
        "<table><tr><td colspan=99 rowspan=99>a</td><td>b</td></tr><tr></tr></table>",
        "</table></tr></td>x",
        "<table><tr><td><table><tr><td>deep",
    };
    for (const QString& markup : cases) {
        const QSize size = drawer.MeasureHtml(dc, markup);
        Draw(QRect(QPoint(0, 0), size));
        EXPECT_GE(size.width(), 1) << markup.toStdString();
    }
    drawer.MeasureHtml(dc, "<table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table>");
    Draw(QRect(0, 0, 100, 100));
    EXPECT_EQ(dc.AllText(), "abc");
}

TEST_F(TableTest, BackgroundPicturesAreTiledFromTheTopLeftAndCutAtTheEdges) {
    QTemporaryDir dir;
    const QString file = dir.filePath("tile.png");
    QImage tile(10, 10, QImage::Format_RGB32);
    tile.fill(Qt::darkCyan);
    ASSERT_TRUE(tile.save(file));
    // 25 x 12 in all: two whole tiles and a half one on top, their bottoms below.
    const QString table = "<table cellpadding=0 background=\"file:'" + file +
                          "'\"><tr><td width=25 height=12></td></tr></table>";
    drawer.MeasureHtml(dc, table);
    Draw(QRect(0, 0, 25, 12));
    std::vector<QRect> tiles;
    for (const auto& image : dc.images)
        tiles.push_back(QRect(QPoint(image.x, image.y), image.image.size()));
    // The cell inherits the background, so the tiles come twice.
    ASSERT_EQ(tiles.size(), 12u);
    const std::vector<QRect> expected = {QRect(0, 0, 10, 10),  QRect(10, 0, 10, 10),
                                         QRect(20, 0, 5, 10),  QRect(0, 10, 10, 2),
                                         QRect(10, 10, 10, 2), QRect(20, 10, 5, 2)};
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(tiles[i], expected[i]) << i;
    drawer.EnableColours(false);
    drawer.MeasureHtml(dc, table);
    Draw(QRect(0, 0, 25, 12));
    EXPECT_TRUE(dc.images.empty());
}

TEST_F(TableTest, RunawayNestingAndSizesStayBounded) {
    QString deep;
    for (int i = 0; i < 3000; ++i) deep += "<table><tr><td>";
    deep += "core";
    const QSize size = drawer.MeasureHtml(dc, "top" + deep);
    Draw(QRect(QPoint(0, 0), size));
    EXPECT_EQ(dc.Find("top")->y, 0);
    EXPECT_EQ(dc.Find("core"), nullptr);  // deeper than any message nests

    drawer.MeasureHtml(dc,
                       "<table width=99999999 height=99999999 bgeffect=noise bgcolor=red>"
                       "<tr><td>x</td></tr></table>");
    Draw(QRect(0, 0, 100, 100));
    // The table's texture and its cell's, which inherits the effect.
    ASSERT_EQ(dc.images.size(), 2u);
    for (const auto& image : dc.images) {
        EXPECT_LE(image.image.width(), 8192);
        EXPECT_LE(image.image.height(), 8192);
    }
}

TEST_F(TableTest, CellsWrapWithinTheMaximumWidth) {
    drawer.SetMaxWidth(100);
    // The icon column takes 42 and the separator 1; the text cell's text
    // wraps at 100 - 43 - 10 = 47 px, 6 characters.
    const QSize size = drawer.MeasureHtml(dc, IconTable("aaaa bbbb cccc"));
    EXPECT_LE(size.width(), 101);
    Draw(QRect(0, 0, 100, 60));
    ASSERT_EQ(dc.texts.size(), 3u);
    EXPECT_EQ(dc.texts[1].text, "bbbb");
    EXPECT_EQ(dc.texts[1].y, 5 + 13);
}

}  // namespace
