// The style sheet, its declarations and the size and colour rules.

#include "htmlbox/drawer/style_sheet.h"

#include <gtest/gtest.h>

#include "htmlbox/drawer/colour_names.h"
#include "htmlbox/drawer/style_values.h"

namespace {

class StyleTest : public ::testing::Test {
protected:
    StyleTest() {
        ctx.colourNames = &names;
        ctx.fontHeight = [] { return 13; };
        ctx.xHeight = [] { return 13; };
    }
    VelaStyle Apply(const QString& block) {
        VelaStyle s;
        CVelaStyleSheet::ApplyDeclarations(block, s, ctx);
        return s;
    }
    CVelaColourNames names;
    VelaValueContext ctx;
};

TEST_F(StyleTest, DefaultSheetHoldsItsSeventeenSelectors) {
    CVelaStyleSheet sheet;
    EXPECT_EQ(sheet.Count(), 17);
    EXPECT_EQ(sheet.FindStyle("A:HOVER").value_or(""), "text-decoration:underline; color:blue");
    EXPECT_FALSE(sheet.FindStyle("hr").has_value());
    VelaStyle s;
    sheet.ApplyStyle("h6", s, ctx);
    EXPECT_EQ(s.fontSize, VelaMulDiv(16, 65, 100));
    EXPECT_EQ(s.textColour, VelaRGB(0x62, 0x62, 0x62));
    sheet.ApplyStyle("pre", s, ctx);
    EXPECT_EQ(s.face, "courier");  // blocks are lowered before they are read
    EXPECT_EQ(s.backMode, 2);
    EXPECT_EQ(s.backColour, VelaRGB(0xfb, 0xed, 0xbb));
}

TEST_F(StyleTest, SheetSyntax) {
    CVelaStyleSheet sheet;
    sheet.LoadStyleSheet(
        QString("x {color:red} x {font-weight:bold}\nh1, h2 {color:blue}"
                " broken {color:red  .dot {margin:3} empty {}"));
    VelaStyle s;
    sheet.ApplyStyle("x", s, ctx);
    EXPECT_EQ(s.textColour, VelaRGB(0, 0, 0));  // only the second block is kept
    EXPECT_EQ(s.weight, 700);
    // A list is one selector ending in a comma, and the rest is swallowed.
    EXPECT_TRUE(sheet.FindStyle("h1,").has_value());
    EXPECT_FALSE(sheet.FindStyle("h1").has_value());
    EXPECT_FALSE(sheet.FindStyle("h2").has_value());
    EXPECT_FALSE(sheet.FindStyle("empty").has_value());
    sheet.LoadStyleSheet(std::nullopt);
    EXPECT_EQ(sheet.Count(), 17);
}

TEST_F(StyleTest, Sizes) {
    struct Case {
        QString text;
        int current;
        bool font;
        int expected;
    };
    const Case cases[] = {
        {"10pt", 0, true, 13},  {"9pt", 0, true, 12},   {"3", 0, true, 12},
        {"+2", 0, true, 10},    {"-2", 0, true, 10},    {"65%", 13, true, 8},
        {"12px", 0, false, 12}, {"2em", 0, false, 26},  {"1in", 0, false, 96},
        {"1cm", 0, false, 37},  {"10mm", 0, false, 37}, {"1pc", 0, false, 16},
        {"0x10", 0, false, 16}, {"010", 0, false, 8},   {"", 5, false, 5},
        {"7", 0, false, 7},     {"7", 0, true, 36},     {"8", 0, true, 8},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadSize(c.text, c.current, c.font, ctx), c.expected) << c.text.toStdString();
    }
}

TEST_F(StyleTest, Colours) {
    const COLORREF keep = VelaRGB(1, 2, 3);
    EXPECT_EQ(ReadColour("#ff9900", keep, ctx), VelaRGB(255, 153, 0));
    EXPECT_EQ(ReadColour("#12345", keep, ctx), keep);
    EXPECT_EQ(ReadColour("#12345g", keep, ctx), keep);
    EXPECT_EQ(ReadColour("red", keep, ctx), VelaRGB(255, 0, 0));
    EXPECT_EQ(ReadColour("Red", keep, ctx), keep);                     // names are matched exactly
    EXPECT_EQ(ReadColour("0x0000ff", keep, ctx), VelaRGB(255, 0, 0));  // red in the low byte
    EXPECT_EQ(ReadColour("", keep, ctx), keep);
    EXPECT_EQ(ReadColour("darkseagreen", keep, ctx), VelaRGB(143, 188, 139));
    EXPECT_EQ(ReadColour("lightgrey", keep, ctx), VelaRGB(211, 211, 211));
    EXPECT_EQ(ReadColour("lightgray", keep, ctx), keep);
    EXPECT_EQ(ReadColour("grey", keep, ctx), keep);
    EXPECT_EQ(ReadColour("gray", keep, ctx), VelaRGB(128, 128, 128));
    EXPECT_TRUE(names.Find("buttonface").has_value());
    EXPECT_EQ(names.Count(), 140 + 28);
    ctx.coloursEnabled = false;
    ctx.disabledColour = VelaRGB(9, 9, 9);
    EXPECT_EQ(ReadColour("red", keep, ctx), VelaRGB(9, 9, 9));
}

TEST_F(StyleTest, Declarations) {
    // Upper case inside a block works: the block is lowered first.
    EXPECT_EQ(Apply("color:#FF9900").textColour, VelaRGB(255, 153, 0));
    EXPECT_EQ(Apply("background-color:transparent").backMode, 1);
    EXPECT_EQ(Apply("background-color:#fbedbb").backMode, 2);
    const VelaStyle zero = Apply("border-style:solid; border-width:0");
    EXPECT_EQ(zero.borderWidth, 0);
    EXPECT_EQ(zero.borderStyle, 0);
    const VelaStyle dotted = Apply("border-style:dotted");
    EXPECT_EQ(dotted.borderStyle, 3);
    EXPECT_EQ(dotted.borderWidth, 1);
    const VelaStyle deco = Apply("text-decoration:underline,overline line-through");
    EXPECT_TRUE(deco.underline && deco.overline && deco.strikeout);
    EXPECT_FALSE(Apply("text-decoration:underline; text-decoration:none").underline);
    const VelaStyle misc = Apply(
        "font-weight:lighter; font-style:oblique; text-align:right;"
        " vertical-align:middle; margin:6; padding:4; font-family:\"Times New\"");
    EXPECT_EQ(misc.weight, 100);
    EXPECT_TRUE(misc.italic);
    EXPECT_EQ(misc.align, 2);
    EXPECT_EQ(misc.valign, 1);
    EXPECT_EQ(misc.padding, 6);
    EXPECT_EQ(misc.spacing, 4);
    EXPECT_EQ(misc.face, "times new");
    EXPECT_EQ(Apply("font-weight:wild").weight, 400);  // unknown keyword: unchanged
    EXPECT_EQ(Apply("font-weight:600").weight, 600);
    EXPECT_EQ(Apply("border-width:8; border-width:thin").borderWidth, 6);
}

}  // namespace
