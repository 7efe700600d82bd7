// The QPainter canvas on real pictures, and the desktop's standard icons.

#include "htmlbox/drawer/painter_canvas.h"

#include <gtest/gtest.h>

#include <QPainter>

#include "htmlbox/drawer/vela_html_drawer.h"
#include "htmlbox/standard_icons.h"

namespace {

// The box of pixels in `image` that differ from white.
QRect Inked(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255)) box |= QRect(x, y, 1, 1);
    return box;
}

TEST(PainterCanvas, AFontsCellIsTheRecordsSize) {
    QImage image(10, 10, QImage::Format_RGB32);
    QPainter p(&image);
    CVelaPainterCanvas canvas(p);
    for (int size : {8, 13, 17, 30}) {
        VelaFont font;
        font.size = size;
        const VelaTextExtent e = canvas.MeasureText(font, "Hello");
        EXPECT_LE(e.height, size) << size;
        EXPECT_GE(e.height, size - 3) << size;
        EXPECT_GT(e.ascent, 0);
        EXPECT_GT(e.width, 0);
    }
}

TEST(PainterCanvas, MeasuredTextIsDrawnInsideItsBox) {
    QImage image(300, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    CVelaPainterCanvas canvas(p);
    CVelaHtmlDrawer drawer;
    const QSize size = drawer.MeasureHtml(canvas, "<font color=red>Measured text</font>");
    drawer.DrawHtml(canvas, QRect(QPoint(20, 10), size));
    p.end();
    const QRect inked = Inked(image);
    ASSERT_FALSE(inked.isNull());
    EXPECT_TRUE(QRect(QPoint(20, 10), size).contains(inked)) << inked.x() << "," << inked.y();
    const QColor c = image.pixelColor(inked.center());
    EXPECT_GE(c.red(), c.green());
}

TEST(PainterCanvas, SolidLinesCoverTheirEndPointsAndOpaqueRunsTheirBox) {
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    CVelaPainterCanvas canvas(p);
    canvas.DrawLine(QPoint(5, 4), QPoint(14, 4), Qt::black, 3, VelaPenStyle::Solid);
    p.end();
    EXPECT_EQ(Inked(image), QRect(5, 3, 10, 3));
}

TEST(StandardIcons, MessageIconsComeAtTheSystemIconSize) {
    for (int style : {0x10, 0x20, 0x30, 0x40, 0x24}) {
        const QImage icon = StandardMessageIcon(style);
        ASSERT_FALSE(icon.isNull()) << style;
        EXPECT_EQ(icon.size(), QSize(32, 32));
    }
    EXPECT_TRUE(StandardMessageIcon(0x00).isNull());
    EXPECT_TRUE(StandardMessageIcon(0x50).isNull());
    EXPECT_TRUE(StandardMessageIcon(0x80).isNull());
}

}  // namespace
