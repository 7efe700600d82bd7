// Backgrounds, lines and the palette picture, on real pictures where the
// colour of a pixel can be reasoned about.

#include <gtest/gtest.h>

#include <QPainter>

#include "htmlbox/drawer/painter_canvas.h"
#include "htmlbox/drawer/vela_draw_manager.h"
#include "support/recording_canvas.h"

namespace {

QImage Paint(int w, int h, const std::function<void(CVelaCanvas&)>& draw) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    CVelaPainterCanvas canvas(p);
    draw(canvas);
    p.end();
    return image;
}

const COLORREF kYellow = VelaRGB(253, 236, 81);
const COLORREF kLight = VelaRGB(254, 243, 169);

TEST(DrawManager, OutOfRangeEffectsFillWithTheBeginColour) {
    CVelaDrawManager dm;
    for (int effect : {0, -1, 16, 99}) {
        RecordingCanvas dc;
        dm.DrawEffectBackground(dc, effect, QRect(2, 3, 40, 20), VelaRGB(10, 20, 30), 0, 0, 0, 0);
        ASSERT_EQ(dc.fills.size(), 1u) << effect;
        EXPECT_EQ(dc.fills[0].rect, QRect(2, 3, 40, 20));
        EXPECT_EQ(dc.fills[0].colour, QColor(10, 20, 30));
    }
}

TEST(DrawManager, ANarrowGradientPaintsEachColumnOnce) {
    CVelaDrawManager dm;
    RecordingCanvas dc;
    dm.DrawEffectBackground(dc, kEffectHGradient, QRect(0, 0, 10, 5), VelaRGB(0, 0, 0), 0,
                            VelaRGB(255, 255, 255), 0, 0);
    ASSERT_EQ(dc.fills.size(), 10u);
    for (int x = 0; x < 10; ++x) EXPECT_EQ(dc.fills[size_t(x)].rect, QRect(x, 0, 1, 5));
    // Column 0 is band 6, the first whose end reaches it: 255 × 6 / 64.
    EXPECT_EQ(dc.fills[0].colour, QColor(23, 23, 23));
}

TEST(DrawManager, GradientBandsOnAPicture) {
    CVelaDrawManager dm;
    const QImage image = Paint(128, 64, [&](CVelaCanvas& dc) {
        dm.DrawEffectBackground(dc, kEffectVGradient, QRect(0, 0, 128, 64), VelaRGB(255, 0, 0), 0,
                                VelaRGB(0, 0, 255), 0, 0);
    });
    // 64 rows: row i is band i, (255 × (64 − i)) >> 6 red and (255 × i) >> 6 blue.
    EXPECT_EQ(image.pixelColor(5, 0), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(5, 32), QColor(127, 0, 127));
    EXPECT_EQ(image.pixelColor(5, 63), QColor(3, 0, 251));

    const QImage centred = Paint(100, 10, [&](CVelaCanvas& dc) {
        dm.DrawEffectBackground(dc, kEffectHCGradient, QRect(0, 0, 100, 10), VelaRGB(0, 0, 0), 0,
                                VelaRGB(255, 255, 255), 0, 0);
    });
    // 50 columns: band 0 is empty, so column 0 already has band 1.
    EXPECT_EQ(centred.pixelColor(0, 0), QColor(3, 3, 3));
    EXPECT_EQ(centred.pixelColor(99, 0), QColor(3, 3, 3));
    EXPECT_GT(centred.pixelColor(49, 0).red(), 240);
}

TEST(DrawManager, VerticalBumpIsYellowAtTheSidesAndLightInTheMiddle) {
    CVelaDrawManager dm;
    const QImage image = Paint(200, 40, [&](CVelaCanvas& dc) {
        dm.DrawEffectBackground(dc, kEffectVBump, QRect(0, 0, 200, 40), kYellow, kLight, kYellow, 0,
                                0);
    });
    EXPECT_EQ(image.pixelColor(0, 10), QColor(253, 236, 81));  // 256 wraps to slot 0
    const QColor middle = image.pixelColor(100, 10);
    EXPECT_EQ(middle.blue(), (127 * 169 + 81) / 128);  // slot 128
    EXPECT_LT(image.pixelColor(199, 10).blue(), 90);
    for (int y = 0; y < 40; ++y) {
        // The noise is 0 but for the rare 32767: rows agree within one slot.
        EXPECT_NEAR(image.pixelColor(150, y).blue(), image.pixelColor(150, 0).blue(), 2) << y;
    }
}

TEST(DrawManager, TexturePaletteRunsFromEndOverMiddleToBegin) {
    CVelaDrawManager dm;
    ASSERT_TRUE(dm.ComputeTexture(kEffectNoise, 8, 8, VelaRGB(200, 0, 0), VelaRGB(0, 100, 0),
                                  VelaRGB(0, 0, 50), 0, 0));
    const CPaletteDib& dib = dm.WorkBitmap();
    EXPECT_EQ(dib.Image().format(), QImage::Format_Indexed8);
    EXPECT_EQ(dib.Image().colorCount(), 256);
    EXPECT_EQ(dib.PaletteEntry(0), qRgb(0, 0, 50));
    EXPECT_EQ(dib.PaletteEntry(64), qRgb(0, 50, 25));
    EXPECT_EQ(dib.PaletteEntry(255), qRgb(200, 0, 0));
    EXPECT_EQ(dib.PaletteEntry(128), qRgb(200 * 1 / 128, 100 * 127 / 128, 0));
    EXPECT_EQ(dib.PixelIndex(3, 3), 128);  // noise of granularity 0 is 0

    ASSERT_TRUE(dm.ComputeTexture(kEffectNoise, 8, 8, VelaRGB(200, 0, 0), VelaRGB(0, 100, 0),
                                  VelaRGB(0, 0, 50), 0, 50));
    EXPECT_EQ(dm.WorkBitmap().PaletteEntry(0), qRgb(100, 0, 25));
}

TEST(DrawManager, EveryTextureFillsItsRectangle) {
    CVelaDrawManager dm;
    for (int effect = kEffectNoise; effect <= kEffectMetal; ++effect) {
        for (QSize size : {QSize(1, 1), QSize(5, 3), QSize(120, 60)}) {
            RecordingCanvas dc;
            dm.DrawEffectBackground(dc, effect, QRect(QPoint(4, 6), size), kYellow, kLight,
                                    VelaRGB(0, 0, 0), 5, 0);
            ASSERT_EQ(dc.images.size(), 1u) << effect;
            EXPECT_EQ(dc.images[0].image.size(), size);
            EXPECT_EQ(dc.images[0].x, 4);
            EXPECT_EQ(dc.images[0].y, 6);
        }
    }
}

TEST(DrawManager, HorizontalShadeRisesFromTheBottomRow) {
    CVelaDrawManager dm;
    ASSERT_TRUE(dm.ComputeTexture(kEffectHShade, 4, 10, 0, 0, 0, 0, 0));
    // Rows count from the bottom: 255 × R / 10.
    EXPECT_EQ(dm.WorkBitmap().PixelIndex(0, 9), 0);
    EXPECT_EQ(dm.WorkBitmap().PixelIndex(0, 0), 255 * 9 / 10);
}

TEST(PaletteDib, PixelsAndPaletteStayInBounds) {
    CPaletteDib dib;
    ASSERT_TRUE(dib.Create(4, 3));
    dib.Clear(7);
    dib.SetPixelIndex(-1, 0, 9);
    dib.SetPixelIndex(0, -1, 9);
    dib.SetPixelIndex(4, 0, 9);
    dib.SetPixelIndex(1, 2, 9);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(dib.PixelIndex(x, y), (x == 1 && y == 2) ? 9 : 7);
    dib.SetPaletteIndex(300, 1, 2, 3);
    dib.SetPaletteIndex(5, 10, 20, 30);
    EXPECT_EQ(dib.PaletteEntry(5), qRgb(10, 20, 30));
    dib.BlendPalette(VelaRGB(110, 120, 130), 250);  // clamped to 100
    EXPECT_EQ(dib.PaletteEntry(5), qRgb(110, 120, 130));
    EXPECT_EQ(dib.GetStride(), 4);
    EXPECT_FALSE(dib.Create(0, 5));
}

TEST(DrawManager, StyledLinesAndRectangles) {
    CVelaDrawManager dm;
    RecordingCanvas dc;
    dm.DrawStyledLine(dc, 0, 5, 50, 5, VelaRGB(1, 2, 3), 0, 1);
    dm.DrawStyledLine(dc, 0, 5, 50, 5, VelaRGB(1, 2, 3), 1, 0);
    EXPECT_TRUE(dc.lines.empty());
    dm.DrawStyledLine(dc, 0, 5, 50, 5, VelaRGB(1, 2, 3), 6, 2);
    dm.DrawStyledLine(dc, 7, 0, 7, 30, VelaRGB(1, 2, 3), 6, 1);
    dm.DrawStyledLine(dc, 0, 0, 9, 9, 0, 3, 1);
    ASSERT_EQ(dc.lines.size(), 5u);
    EXPECT_EQ(dc.lines[1].from, QPoint(0, 9));  // double: 2 × width below
    EXPECT_EQ(dc.lines[3].from, QPoint(9, 0));  // and right of a vertical line
    EXPECT_EQ(dc.lines[4].style, VelaPenStyle::Dot);

    dc.Clear();
    dm.DrawStyledRectangle(dc, QRect(0, 0, 10, 8), VelaRGB(255, 255, 255), VelaRGB(0, 0, 0), 1, 1);
    ASSERT_EQ(dc.lines.size(), 4u);
    EXPECT_EQ(dc.lines[0].from, QPoint(0, 7));
    EXPECT_EQ(dc.lines[0].to, QPoint(0, 0));
    EXPECT_EQ(dc.lines[0].colour, QColor(255, 255, 255));
    EXPECT_EQ(dc.lines[2].from, QPoint(9, 0));
    EXPECT_EQ(dc.lines[2].colour, QColor(0, 0, 0));
    dc.Clear();
    dm.DrawStyledRectangle(dc, QRect(0, 0, 20, 20), 0, 0, 6, 1);
    ASSERT_EQ(dc.lines.size(), 8u);
    EXPECT_EQ(dc.lines[4].from, QPoint(2, 17));
}

TEST(DrawManager, PlainShadowFallsByTheOffset) {
    CVelaDrawManager dm;
    dm.Shadow().gradient = false;
    QImage red(10, 10, QImage::Format_ARGB32);
    red.fill(QColor(255, 0, 0));
    const QImage image = Paint(30, 30, [&](CVelaCanvas& dc) {
        dm.DrawIconWithEffects(dc, 2, 2, 10, 10, red, kImageShadow, true);
    });
    EXPECT_EQ(image.pixelColor(5, 5), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(14, 14), QColor(128, 128, 128));  // in the shadow only
    EXPECT_EQ(image.pixelColor(16, 16), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(13, 3), QColor(255, 255, 255));
}

TEST(DrawManager, ImageEffectsGreyMaskAndBlur) {
    CVelaDrawManager dm;
    QImage picture(4, 1, QImage::Format_RGB32);
    picture.setPixelColor(0, 0, QColor(255, 0, 255));
    picture.setPixelColor(1, 0, QColor(200, 100, 0));
    picture.setPixelColor(2, 0, QColor(200, 100, 40));
    picture.setPixelColor(3, 0, QColor(240, 240, 240));
    QImage image = Paint(4, 1, [&](CVelaCanvas& dc) {
        dm.DrawBitmapWithEffects(dc, 0, 0, 4, 1, picture, true, VelaRGB(255, 0, 255), kImageGrey,
                                 false);
    });
    EXPECT_EQ(image.pixelColor(0, 0), QColor(255, 255, 255));  // the mask colour is clear
    const int grey = int(0.299 * 200 + 0.587 * 100);
    EXPECT_EQ(image.pixelColor(1, 0), QColor(grey, grey, grey));
    image = Paint(4, 1, [&](CVelaCanvas& dc) {
        dm.DrawBitmapWithEffects(dc, 0, 0, 4, 1, picture, false, 0, kImageDarken | kImageLighten,
                                 false);
    });
    EXPECT_EQ(image.pixelColor(0, 0), QColor(238, 0, 238));    // 255 × 0.75 × 1.25, truncated
    EXPECT_EQ(image.pixelColor(3, 0), QColor(225, 225, 225));  // 240 × 0.75 × 1.25

    // The gradient shadow of a picture is blurred: lighter at its rim than inside.
    QImage block(20, 20, QImage::Format_ARGB32);
    block.fill(Qt::black);
    RecordingCanvas dc;
    dm.DrawIconWithEffects(dc, 0, 0, 20, 20, block, kImageGradientShadow, true);
    ASSERT_EQ(dc.images.size(), 2u);
    EXPECT_EQ(dc.images[0].blend, VelaImageBlend::Multiply);
    EXPECT_EQ(dc.images[0].x, 4);
    const QImage& shadow = dc.images[0].image;
    EXPECT_EQ(qRed(shadow.pixel(10, 10)), 128);
    EXPECT_GT(qRed(shadow.pixel(0, 10)), qRed(shadow.pixel(5, 10)));
    EXPECT_EQ(qRed(shadow.pixel(0, 0)), (48 * 255 + 128) / 49);  // one grey pixel in its box
}

TEST(DrawManager, EffectNames) {
    EXPECT_EQ(CVelaDrawManager::EffectFromName("vbump", -1), 12);
    EXPECT_EQ(CVelaDrawManager::EffectFromName("transparent", 3), -1);
    EXPECT_EQ(CVelaDrawManager::EffectFromName("3hgradient", -1), 5);
    EXPECT_EQ(CVelaDrawManager::EffectFromName("9", -1), 9);
    EXPECT_EQ(CVelaDrawManager::EffectFromName("", 4), 4);
}

}  // namespace
