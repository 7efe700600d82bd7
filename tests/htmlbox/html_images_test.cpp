// Icons, bitmaps and strip frames in the flow, with their effects.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "htmlbox/drawer/vela_html_drawer.h"
#include "htmlbox/drawer/vela_image_handles.h"
#include "support/recording_canvas.h"

namespace {

QImage Filled(int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

class ImageTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (quint32 h : handles) CVelaImageHandles::Remove(h);
    }
    QString Handle(const QImage& image) {
        handles.push_back(CVelaImageHandles::Add(image));
        return QString("0x%1").arg(handles.back(), 0, 16);
    }
    void Layout(const QString& markup, const QRect& rect = QRect(0, 0, 300, 100)) {
        size = drawer.MeasureHtml(dc, markup);
        dc.Clear();
        drawer.DrawHtml(dc, rect);
    }
    CVelaHtmlDrawer drawer;
    RecordingCanvas dc;
    std::vector<quint32> handles;
    QSize size;
};

TEST_F(ImageTest, AnIconSitsOnTheBaselineOfItsLine) {
    const QString h = Handle(Filled(20, 20, Qt::red));
    Layout("ab<icon handle=" + h + ">c");
    // Line: 20 high above the baseline, the text's 3 below.
    EXPECT_EQ(size, QSize(14 + 20 + 7 + 1, 23 + 1));
    ASSERT_EQ(dc.images.size(), 1u);
    EXPECT_EQ(dc.images[0].x, 14);
    EXPECT_EQ(dc.images[0].y, 0);
    EXPECT_EQ(dc.images[0].image.size(), QSize(20, 20));
    EXPECT_EQ(dc.Find("ab")->y, 10);
    EXPECT_EQ(dc.Find("c")->x, 34);
    // A given handle is only borrowed.
    EXPECT_FALSE(CVelaImageHandles::Find(handles[0]).isNull());
}

TEST_F(ImageTest, MissingPicturesTakeNoSpace) {
    Layout("a<icon handle=0x7777><bmp file=/no/such.png><ilst>b<icon>");
    EXPECT_EQ(size, QSize(15, 14));
    EXPECT_TRUE(dc.images.empty());
}

TEST_F(ImageTest, IconFilesComeAtTheWantedShareOfTheSystemIconSize) {
    QTemporaryDir dir;
    const QString file = dir.filePath("big.png");
    ASSERT_TRUE(Filled(64, 64, Qt::green).save(file));
    Layout("<icon file='" + file + "' width=50% height=50%>");
    ASSERT_EQ(dc.images.size(), 1u);
    EXPECT_EQ(dc.images[0].image.size(), QSize(16, 16));
    Layout("<icon file='" + file + "'>");
    EXPECT_EQ(dc.images[0].image.size(), QSize(32, 32));
    // A bitmap keeps its own size, a percentage applying to it.
    Layout("<bmp file='" + file + "' width=25%>");
    EXPECT_EQ(dc.images[0].image.size(), QSize(16, 64));
}

TEST_F(ImageTest, MaskedBitmapsDrawTheirMaskColourClear) {
    QImage bitmap(2, 1, QImage::Format_RGB32);
    bitmap.setPixelColor(0, 0, QColor(255, 0, 255));
    bitmap.setPixelColor(1, 0, QColor(10, 20, 30));
    const QString h = Handle(bitmap);
    for (const QString mask : {"#ff00ff", "magenta"}) {
        Layout("<bmp handle=" + h + " mask=" + mask + ">");
        ASSERT_EQ(dc.images.size(), 1u);
        EXPECT_EQ(qAlpha(dc.images[0].image.pixel(0, 0)), 0);
        EXPECT_EQ(dc.images[0].image.pixelColor(1, 0), QColor(10, 20, 30));
    }
    Layout("<bmp handle=" + h + ">");
    EXPECT_EQ(qAlpha(dc.images[0].image.pixel(0, 0)), 255);
}

TEST_F(ImageTest, HotStyleAppliesWhileTheLinkIsHovered) {
    const QString h = Handle(Filled(10, 10, QColor(200, 0, 0)));
    const QString markup = "<a href=x><icon handle=" + h + " hotstyle=g></a>";
    Layout(markup);
    EXPECT_EQ(dc.images[0].image.pixelColor(5, 5), QColor(200, 0, 0));
    ASSERT_TRUE(drawer.UpdateHoverCursor(QPoint(5, 5)));
    Layout(markup);
    const int grey = int(0.299 * 200);
    EXPECT_EQ(dc.images[0].image.pixelColor(5, 5), QColor(grey, grey, grey));
}

TEST_F(ImageTest, AShadowAddsItsOffsetToThePlaceTaken) {
    const QString h = Handle(Filled(10, 10, Qt::blue));
    Layout("<icon handle=" + h + " style=s>x");
    EXPECT_EQ(size.width(), 10 + 4 + 7 + 1);
    ASSERT_EQ(dc.images.size(), 2u);
    EXPECT_EQ(dc.images[0].blend, VelaImageBlend::Multiply);
    EXPECT_EQ(dc.images[0].x, 4);
    EXPECT_EQ(dc.images[1].x, 0);
    EXPECT_EQ(dc.Find("x")->x, 14);
}

TEST_F(ImageTest, StripFramesCountRowByRow) {
    QImage strip(64, 16, QImage::Format_RGB32);
    for (int f = 0; f < 4; ++f) {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) strip.setPixelColor(f * 16 + x, y, QColor(f * 60, 0, 0));
    }
    const QString h = Handle(strip);
    Layout("<ilst handle=" + h + " cx=16 index=3>");
    ASSERT_EQ(dc.images.size(), 1u);
    EXPECT_EQ(dc.images[0].image.size(), QSize(16, 16));
    EXPECT_EQ(dc.images[0].image.pixelColor(0, 0), QColor(180, 0, 0));
    Layout("<ilst handle=" + h + " cx=16 index=4>");
    EXPECT_TRUE(dc.images.empty());
    EXPECT_EQ(size, QSize(1, 1));
    // With a speed the strip is listed for animation; its frame is the listed one.
    Layout("<ilst handle=" + h + " index=1 speed=5>");
    ASSERT_EQ(drawer.Animations().size(), 1u);
    EXPECT_EQ(drawer.Animations()[0].frames, 4);
    EXPECT_EQ(dc.images[0].image.pixelColor(0, 0), QColor(60, 0, 0));
}

TEST_F(ImageTest, RunawaySizesAreBounded) {
    const QString h = Handle(Filled(10, 10, Qt::black));
    Layout("<bmp handle=" + h + " width=99999% height=1000000><font size=99999px>x</font>");
    ASSERT_EQ(dc.images.size(), 1u);
    EXPECT_EQ(dc.images[0].image.size(), QSize(4096, 4096));
    ASSERT_EQ(dc.texts.size(), 1u);
    EXPECT_EQ(dc.texts[0].font.size, 1000);
}

TEST_F(ImageTest, PicturesWrapLikeWords) {
    const QString h = Handle(Filled(30, 13, Qt::black));
    drawer.SetMaxWidth(50);
    Layout("abc<icon handle=" + h + ">", QRect(0, 0, 50, 100));
    ASSERT_EQ(dc.images.size(), 1u);
    EXPECT_EQ(dc.images[0].x, 0);
    EXPECT_EQ(dc.images[0].y, 13);
}

}  // namespace
