#include "htmlbox/rich_text_markup.h"

#include <gtest/gtest.h>

namespace {

TEST(MiniMarkup, BecomesEscapedRichText) {
    const struct {
        const char* markup;
        const char* rich;
    } cases[] = {
        {"plain", "plain"},
        {"a<<b", "a&lt;b"},
        {"a&lt;b", "a&lt;b"},
        {"&amp;lt;", "&lt;"},
        {"R&amp;D &copy;", "R&amp;D \xC2\xA9"},
        {"one\r\ntwo", "one<br>two"},
        {"a<br=2>b", "a<br><br>b"},
        {"<b>bold</i> still</b> not", "<b>bold still</b> not"},
        {"<B>upper</B>", "upper"},
        {"<b>open", "<b>open</b>"},
        {"<blink x=1>t</blink>", "t"},
        {"x < y", "x &nbsp;y"},  // a "<" that never closes is dropped
        {"a  b", "a &nbsp;b"},
        {"<font color=red face='Arial'>r</font>",
         "<font face=\"Arial\" color=\"#ff0000\">r</font>"},
        {"<center>mid</center>", "<div align=\"center\">mid</div>"},
        {"<hr>", "<hr>"},
        {"File(s) saving process has been completed.Saved file(s) location is:<br>"
         "<a href='/home/ann/R & D'>/home/ann/R & D</a>",
         "File(s) saving process has been completed.Saved file(s) location is:<br>"
         "<a href=\"/home/ann/R &amp; D\">/home/ann/R &amp; D</a>"},
        {"/tmp/<x>y", "/tmp/y"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MiniMarkupToRichText(QString::fromUtf8(c.markup)), QString::fromUtf8(c.rich))
            << c.markup;
}

TEST(MiniMarkup, LinksLeadToAddressesOrLocalFolders) {
    EXPECT_EQ(MessageLinkUrl("/home/ann/out"), QUrl::fromLocalFile("/home/ann/out"));
    EXPECT_EQ(MessageLinkUrl("/home/ann/a b#1"), QUrl::fromLocalFile("/home/ann/a b#1"));
    EXPECT_EQ(MessageLinkUrl("https://pelmark.example/help"), QUrl("https://pelmark.example/help"));
    EXPECT_EQ(MessageLinkUrl("mailto:support@pelmark.example"),
              QUrl("mailto:support@pelmark.example"));
}

}  // namespace
