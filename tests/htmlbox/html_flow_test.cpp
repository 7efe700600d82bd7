// Text flow through the recording canvas: every character 7 px wide, every
// line of text 13 px high with ascent 10, so a run drawn on the first line of
// a rectangle at (L, T) sits at (L + 7 × characters before it, T).

#include <gtest/gtest.h>

#include "htmlbox/drawer/vela_html_drawer.h"
#include "support/recording_canvas.h"

namespace {

struct Run {
    int x, y;
    QString text;
};

std::vector<Run> Runs(const RecordingCanvas& dc) {
    std::vector<Run> runs;
    for (const auto& t : dc.texts) runs.push_back({t.x, t.y, t.text});
    return runs;
}

void ExpectRuns(const RecordingCanvas& dc, const std::vector<Run>& expected) {
    const auto runs = Runs(dc);
    ASSERT_EQ(runs.size(), expected.size()) << dc.AllText().toStdString();
    for (size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i].text, expected[i].text) << i;
        EXPECT_EQ(runs[i].x, expected[i].x) << runs[i].text.toStdString();
        EXPECT_EQ(runs[i].y, expected[i].y) << runs[i].text.toStdString();
    }
}

class FlowTest : public ::testing::Test {
protected:
    QSize Measure(const QString& text) { return drawer.MeasureHtml(dc, text); }
    void Draw(const QRect& rect) {
        dc.Clear();
        drawer.DrawHtml(dc, rect);
    }
    CVelaHtmlDrawer drawer;
    RecordingCanvas dc;
};

TEST_F(FlowTest, PlainTextMeasuresItsRunPlusOneAndDrawsAtTheTop) {
    EXPECT_EQ(Measure("Hello world"), QSize(77 + 1, 13 + 1));
    Draw(QRect(10, 20, 200, 50));
    ExpectRuns(dc, {{10, 20, "Hello world"}});
    // The body entry of the sheet: 10pt at 96 dpi is 13 px, Verdana, black.
    EXPECT_EQ(dc.texts[0].font.size, 13);
    EXPECT_EQ(dc.texts[0].font.face, "verdana");  // sheet blocks are read lowered
    EXPECT_EQ(dc.texts[0].colour, QColor(0, 0, 0));
}

TEST_F(FlowTest, EmptyTextAndEmptyLayout) {
    EXPECT_EQ(Measure(""), QSize(0, 0));
    EXPECT_EQ(Measure("<b></b>"), QSize(1, 1));
    Draw(QRect(0, 0, 100, 100));
    EXPECT_TRUE(dc.texts.empty());
}

TEST_F(FlowTest, WrapsAtBreakCharactersWithinTheMaximumWidth) {
    drawer.SetMaxWidth(70);
    EXPECT_EQ(Measure("aaaa bbbb cccc"), QSize(63 + 1, 26 + 1));
    Draw(QRect(0, 0, 70, 100));
    ExpectRuns(dc, {{0, 0, "aaaa bbbb"}, {0, 13, "cccc"}});
}

TEST_F(FlowTest, AWordWiderThanTheLineIsCutAndNeverLoops) {
    drawer.SetMaxWidth(70);
    const QString word(25, QChar('w'));
    EXPECT_EQ(Measure("ab " + word), QSize(70 + 1, 4 * 13 + 1));
    Draw(QRect(0, 0, 70, 100));
    // The word does not fit after "ab": it moves on and is cut at 10 characters.
    ExpectRuns(
        dc,
        {{0, 0, "ab"}, {0, 13, word.left(10)}, {0, 26, word.mid(10, 10)}, {0, 39, word.mid(20)}});
}

TEST_F(FlowTest, JustifiedLinesSpreadTheExtraWidthOverTheirSpaces) {
    drawer.SetMaxWidth(70);
    Measure("<justify>aa bb cc dd ee</justify>");
    Draw(QRect(0, 0, 70, 100));
    // "aa bb cc" is 56 px with 2 spaces: 7 more px each. The last line, ended
    // by the end of the text, stays as it is.
    ExpectRuns(dc, {{0, 0, "aa "}, {28, 0, "bb "}, {56, 0, "cc"}, {0, 13, "dd ee"}});
}

TEST_F(FlowTest, LinesEndedByABreakAreNeverJustified) {
    Measure("<justify>aa bb<br>cc</justify>");
    Draw(QRect(0, 0, 200, 100));
    ExpectRuns(dc, {{0, 0, "aa bb"}, {0, 13, "cc"}});
}

TEST_F(FlowTest, TabsMoveToTheNextStop) {
    Measure("a<t>b<t=2>c");
    Draw(QRect(5, 0, 300, 100));
    // "a" ends at 7: the first tab goes to 32; "b" ends at 39: the next stop
    // is 64, and one more tab gives 96.
    ExpectRuns(dc, {{5, 0, "a"}, {5 + 32, 0, "b"}, {5 + 96, 0, "c"}});
    drawer.SetTabWidth(10);
    Measure("\tx");
    Draw(QRect(0, 0, 300, 100));
    ExpectRuns(dc, {{10, 0, "x"}});
}

TEST_F(FlowTest, RightAndCentreAlignment) {
    Measure("<right>abc</right>");
    Draw(QRect(0, 0, 100, 50));
    ExpectRuns(dc, {{79, 0, "abc"}});
    Measure("<center>ab<br>abcd</center>");
    Draw(QRect(0, 0, 100, 50));
    ExpectRuns(dc, {{43, 0, "ab"}, {36, 13, "abcd"}});
}

TEST_F(FlowTest, LineFeedsBreakUnlessTheOptionIsOff) {
    EXPECT_EQ(Measure("ab\r\ncd"), QSize(15, 27));
    Draw(QRect(0, 0, 100, 50));
    ExpectRuns(dc, {{0, 0, "ab"}, {0, 13, "cd"}});
    drawer.SetNewlineAndTabAsTags(false);
    EXPECT_EQ(Measure("ab\ncd\te"), QSize(36, 14));
    Draw(QRect(0, 0, 100, 50));
    ExpectRuns(dc, {{0, 0, "abcde"}});
}

TEST_F(FlowTest, MultipleBreaksMoveDownByThatManyLines) {
    EXPECT_EQ(Measure("a<br=3>b"), QSize(8, 13 * 4 + 1));
    Draw(QRect(0, 0, 100, 100));
    ExpectRuns(dc, {{0, 0, "a"}, {0, 39, "b"}});
}

TEST_F(FlowTest, PercentageRuleTakesItsShareOfTheDrawingWidth) {
    // A line holding only the rule is thickness + 8 high and 1 px wide when measured.
    EXPECT_EQ(Measure("<hr width=50% size=3 color=red>"), QSize(2, 12));
    Draw(QRect(10, 0, 200, 50));
    ASSERT_EQ(dc.lines.size(), 1u);
    EXPECT_EQ(dc.lines[0].from, QPoint(10, 5));
    EXPECT_EQ(dc.lines[0].to, QPoint(10 + 99, 5));
    EXPECT_EQ(dc.lines[0].width, 3);
    EXPECT_EQ(dc.lines[0].colour, QColor(255, 0, 0));
}

TEST_F(FlowTest, PixelRuleAndDefaultColour) {
    Measure("<font color=#00ff00>x<hr width=20></font>");
    Draw(QRect(0, 0, 200, 50));
    ASSERT_EQ(dc.lines.size(), 1u);
    EXPECT_EQ(dc.lines[0].from.x(), 7);
    EXPECT_EQ(dc.lines[0].to.x(), 26);
    EXPECT_EQ(dc.lines[0].colour, QColor(0, 255, 0));
}

TEST_F(FlowTest, EscapedBracketsAndEntities) {
    struct Case {
        QString markup;
        QString shown;
    };
    const Case cases[] = {
        {"a<<b", "a<b"},
        {"a&lt;b", "a<b"},
        {"x<", "x<"},
        {"a<b", "ab"},  // a "<" with no ">" after it is dropped
        {"&copy;&euro;&bull;&nbsp;&quot;&gt;",
         QString(QChar(0xA9)) + QChar(0x20AC) + QChar(0x2022) + " \">"},
        {"&unknown; &amp", "&unknown; &amp"},
        {"it&#39;s &#x41;", "it's A"},
        // Entities are read once: an escaped ampersand stays an ampersand.
        {"&amp;lt;", "&lt;"},
    };
    for (const Case& c : cases) {
        Measure(c.markup);
        Draw(QRect(0, 0, 300, 50));
        EXPECT_EQ(dc.AllText(), c.shown) << c.markup.toStdString();
    }
}

TEST_F(FlowTest, EscapedPathsShowAsWritten) {
    const QString path = "/home/ann/<draft> & \"notes\" &lt; it's/deck.odp";
    Measure("Saved in " + VelaEscapeText(path) + ".");
    Draw(QRect(0, 0, 1000, 50));
    EXPECT_EQ(dc.AllText(), "Saved in " + path + ".");
    // The way the save job writes its destination into the markup.
    Measure("<a href='/d/it&#39;s &lt;a&amp;b&gt; &quot;x&quot;'>it&#39;s &lt;a&amp;b&gt;</a>");
    Draw(QRect(0, 0, 1000, 50));
    EXPECT_EQ(dc.AllText(), "it's <a&b>");
    ASSERT_FALSE(drawer.LinkAreas().empty());
    EXPECT_EQ(drawer.LinkAreas()[0].text, "/d/it's <a&b> \"x\"");
}

TEST_F(FlowTest, TagsCloseInOrderAndOnlyLowerCaseNamesAreKnown) {
    Measure("<b>x</i>y</b>z<B>w</B>");
    Draw(QRect(0, 0, 300, 50));
    ASSERT_EQ(dc.texts.size(), 4u);
    EXPECT_EQ(dc.texts[0].font.weight, 800);
    EXPECT_EQ(dc.texts[1].font.weight, 800);  // a stray </i> changes nothing
    EXPECT_EQ(dc.texts[2].font.weight, 400);
    EXPECT_EQ(dc.texts[3].font.weight, 400);  // <B> is not a tag
    Measure("<i><u>a</i>b</u>c");
    Draw(QRect(0, 0, 300, 50));
    ASSERT_EQ(dc.texts.size(), 3u);
    EXPECT_TRUE(dc.texts[1].font.italic);  // </i> did not match the open <u>
    EXPECT_TRUE(dc.texts[1].font.underline);
    EXPECT_TRUE(dc.texts[2].font.italic);  // </u> closed only the underline
    EXPECT_FALSE(dc.texts[2].font.underline);
}

TEST_F(FlowTest, FontAttributesAndSheetEntries) {
    Measure(
        "<font face=Arial size=5 color=red style=\"iu-b\" bkgnd=yellow>a</font>"
        "<h2>b</h2><code>c</code><span class=cpp-comment>d</span>");
    Draw(QRect(0, 0, 300, 50));
    ASSERT_EQ(dc.texts.size(), 4u);
    const auto& a = dc.texts[0];
    EXPECT_EQ(a.font.face, "Arial");
    EXPECT_EQ(a.font.size, 18);
    EXPECT_EQ(a.colour, QColor(255, 0, 0));
    EXPECT_TRUE(a.font.italic && a.font.underline);
    EXPECT_EQ(a.font.weight, 400);
    EXPECT_TRUE(a.opaque);
    EXPECT_EQ(a.background, QColor(255, 255, 0));
    EXPECT_EQ(dc.texts[1].colour, QColor(0xff, 0x99, 0x00));
    EXPECT_EQ(dc.texts[1].font.size, 13 * 96 / 72);
    EXPECT_EQ(dc.texts[1].font.weight, 700);
    EXPECT_EQ(dc.texts[2].font.face, "arial");
    EXPECT_EQ(dc.texts[2].colour, QColor(0x99, 0, 0));
    EXPECT_TRUE(dc.texts[3].font.italic);
    EXPECT_EQ(dc.texts[3].colour, QColor(0, 128, 0));
}

TEST_F(FlowTest, OverlineRunsAlongTheTopOfThePart) {
    Measure("<font style=o>abc</font><font style=bo>d</font>");
    Draw(QRect(0, 0, 300, 50));
    ASSERT_EQ(dc.lines.size(), 2u);
    EXPECT_EQ(dc.lines[0].from, QPoint(0, 0));
    EXPECT_EQ(dc.lines[0].to, QPoint(20, 0));
    EXPECT_EQ(dc.lines[0].width, 1);
    EXPECT_EQ(dc.lines[1].width, 2);
}

TEST_F(FlowTest, TextTransforms) {
    drawer.LoadStyleSheet(
        QString("body {font-size:10pt} .up {text-transform:uppercase} "
                ".cap {text-transform:capitalize}"));
    Measure("<span class=up>ab c</span> <span class=cap>hELLO wORLD</span>");
    Draw(QRect(0, 0, 300, 50));
    EXPECT_EQ(dc.AllText(), "AB C Hello World");
}

TEST_F(FlowTest, VerticalAlignmentOnALineOfMixedFonts) {
    // A 20 px high text (ascent 15) next to the 13 px one: the line is 15 + 5 high.
    struct Tall : RecordingCanvas {
        VelaTextExtent MeasureText(const VelaFont& f, const QString& t) override {
            if (f.size == 36) return {7 * int(t.size()), 20, 15};
            return RecordingCanvas::MeasureText(f, t);
        }
    } tall;
    EXPECT_EQ(drawer.MeasureHtml(tall,
                                 "<font size=7>X</font>a<top>b</top><bottom>c</bottom>"
                                 "<middle>d</middle>"),
              QSize(36, 21));
    drawer.DrawHtml(tall, QRect(0, 0, 100, 50));
    ASSERT_EQ(tall.texts.size(), 5u);
    EXPECT_EQ(tall.texts[0].y, 0);        // baseline: 20 - 5 - 15
    EXPECT_EQ(tall.texts[1].y, 5);        // baseline: 20 - 5 - 10
    EXPECT_EQ(tall.texts[2].y, 0);        // top
    EXPECT_EQ(tall.texts[3].y, 20 - 10);  // bottom: line height less the ascent
    EXPECT_EQ(tall.texts[4].y, (20 - 13) / 2);
}

TEST_F(FlowTest, DisabledColoursGreyEverythingAndClearBackgrounds) {
    drawer.EnableColours(false);
    drawer.SetDisabledColour(VelaRGB(1, 2, 3));
    Measure("a<font color=red bkgnd=yellow>b</font><a href=x>c</a>");
    Draw(QRect(0, 0, 300, 50));
    ASSERT_EQ(dc.texts.size(), 3u);
    for (const auto& t : dc.texts) {
        EXPECT_EQ(t.colour, QColor(1, 2, 3)) << t.text.toStdString();
        EXPECT_FALSE(t.opaque);
    }
}

TEST_F(FlowTest, ResourceStringsArePlacedLikeTextAndUnknownOnesTakeNoSpace) {
    drawer.SetStringLoader([](int id) { return id == 0x10 ? QString("sixteen") : QString(); });
    EXPECT_EQ(Measure("a<string idres=0x10>b<string idres=3>c"), QSize(70 + 1, 14));
    Draw(QRect(0, 0, 200, 50));
    ExpectRuns(dc, {{0, 0, "a"}, {7, 0, "sixteen"}, {56, 0, "b"}, {63, 0, "c"}});
}

TEST_F(FlowTest, DrawingWithoutAMatchingMeasurementStaysInBounds) {
    Measure("aa bb");
    // The line table holds one line; a drawing that wraps must not read past it.
    drawer.SetMaxWidth(14);
    Draw(QRect(0, 0, 14, 50));
    EXPECT_EQ(dc.AllText(), "aabb");
}

}  // namespace
