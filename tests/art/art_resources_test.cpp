// The pictures are reached through the resource library alone (no explicit
// resource initialisation), at the exact sizes the window lays them out with.

#include "art_resources.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QSet>
#include <QString>
#include <algorithm>
#include <ostream>
#include <utility>

namespace {

struct Picture {
    const char* path;
    int width;
    int height;
};

void PrintTo(const Picture& p, std::ostream* os) {
    *os << p.path;
}

const Picture kPictures[] = {
    {":/bitmap/311.png", 64, 62},    {":/bitmap/312.png", 820, 62},
    {":/bitmap/315.png", 100, 72},   {":/bitmap/316.png", 400, 72},
    {":/bitmap/319.png", 460, 260},  {":/bitmap/327.png", 360, 334},
    {":/bitmap/330.png", 250, 50},   {":/bitmap/351.png", 60, 20},
    {":/bitmap/352.png", 850, 300},  {":/png/331.png", 23, 20},
    {":/png/332.png", 23, 20},       {":/png/333.png", 23, 20},
    {":/png/334.png", 23, 20},       {":/png/335.png", 23, 20},
    {":/png/336.png", 23, 20},       {":/png/337.png", 20, 20},
    {":/png/359.png", 20, 20},       {":/toolbar/338.png", 336, 48},
    {":/toolbar/338-0.png", 48, 48}, {":/toolbar/338-1.png", 48, 48},
    {":/toolbar/338-2.png", 48, 48}, {":/toolbar/338-3.png", 48, 48},
    {":/toolbar/338-4.png", 48, 48}, {":/toolbar/338-5.png", 48, 48},
    {":/toolbar/338-6.png", 48, 48}, {":/cursor/354.png", 32, 32},
    {":/icon/128.png", 256, 256},    {":/icon/128-48.png", 48, 48},
    {":/icon/128-16.png", 16, 16},
};

QImage Load(const char* path) {
    return QImage(QString::fromLatin1(path)).convertToFormat(QImage::Format_ARGB32);
}

bool FullyOpaque(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 255) return false;
    return true;
}

// Lightest and darkest HSL lightness (0..255) inside a rectangle.
std::pair<int, int> LightnessRange(const QImage& image, int x0, int y0, int x1, int y1) {
    int low = 255;
    int high = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const int l = QColor(image.pixel(x, y)).lightness();
            low = std::min(low, l);
            high = std::max(high, l);
        }
    }
    return {low, high};
}

class ArtPicture : public ::testing::TestWithParam<Picture> {};

TEST_P(ArtPicture, LoadsAtItsSizeAndShowsSomething) {
    const Picture p = GetParam();
    const QImage image = Load(p.path);
    ASSERT_FALSE(image.isNull()) << p.path << " is not in the resources";
    EXPECT_EQ(image.width(), p.width);
    EXPECT_EQ(image.height(), p.height);

    // A drawing that failed to render comes out as one flat colour or empty.
    QSet<QRgb> colours;
    int visible = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (qAlpha(c) > 0) ++visible;
            colours.insert(c);
        }
    }
    EXPECT_GE(colours.size(), 3) << p.path;
    EXPECT_GT(visible, image.width() * image.height() / 5) << p.path;
}

INSTANTIATE_TEST_SUITE_P(AllPictures, ArtPicture, ::testing::ValuesIn(kPictures));

TEST(ArtSplash, IsOpaqueAndHasNoKeyColour) {
    const QImage splash = Load(":/bitmap/319.png");
    ASSERT_FALSE(splash.isNull());
    EXPECT_TRUE(FullyOpaque(splash));
    for (int y = 0; y < splash.height(); ++y)
        for (int x = 0; x < splash.width(); ++x)
            ASSERT_NE(splash.pixel(x, y) & 0xFFFFFF, 0xFF00FFu) << "magenta at " << x << "," << y;
}

// The view stretches the header filler and the footer strip sideways and puts
// the left pieces beside them: every row must be one colour, and the pieces
// must meet it without a seam.
TEST(ArtBands, StretchedPiecesAreUniformAlongRowsAndJoinTheirNeighbours) {
    const QImage filler = Load(":/bitmap/315.png");
    const QImage header = Load(":/bitmap/316.png");
    const QImage strip = Load(":/bitmap/312.png");
    const QImage corner = Load(":/bitmap/311.png");
    for (const QImage* band : {&filler, &header, &strip, &corner}) {
        ASSERT_FALSE(band->isNull());
        EXPECT_TRUE(FullyOpaque(*band));
    }
    for (const QImage* band : {&filler, &strip}) {
        for (int y = 0; y < band->height(); ++y)
            for (int x = 1; x < band->width(); ++x)
                ASSERT_EQ(band->pixel(x, y), band->pixel(0, y)) << "row " << y << " column " << x;
    }
    for (int y = 0; y < header.height(); ++y)
        EXPECT_EQ(header.pixel(header.width() - 1, y), filler.pixel(0, y)) << "header row " << y;
    for (int y = 0; y < corner.height(); ++y)
        EXPECT_EQ(corner.pixel(corner.width() - 1, y), strip.pixel(0, y)) << "footer row " << y;
    // The header's last row leads into the view's yellow below it.
    EXPECT_EQ(filler.pixel(0, filler.height() - 1) & 0xFFFFFF, 0xFCE69Au);
}

// Black text lies on these areas: the hint pane on the footer, the About texts
// and OK button on its background, the file-list rows over the list picture.
TEST(ArtBands, TextAreasAreLightAndCalm) {
    const QImage strip = Load(":/bitmap/312.png");
    const QImage about = Load(":/bitmap/327.png");
    const QImage list = Load(":/bitmap/352.png");
    ASSERT_FALSE(strip.isNull());
    ASSERT_FALSE(about.isNull());
    ASSERT_FALSE(list.isNull());

    struct Area {
        const QImage* image;
        int x0, y0, x1, y1;
    };
    const Area areas[] = {
        {&strip, 0, 10, 820, 60},
        {&about, 70, 105, 330, 230},
        {&about, 130, 295, 230, 330},
        {&list, 0, 0, 850, 300},
    };
    for (const Area& a : areas) {
        const auto [low, high] = LightnessRange(*a.image, a.x0, a.y0, a.x1, a.y1);
        EXPECT_GE(low, 200) << "dark pixels at " << a.x0 << "," << a.y0;
        EXPECT_LE(high - low, 40) << "busy area at " << a.x0 << "," << a.y0;
    }
}

TEST(ArtStrips, ToolbarStripIsTheSevenSingleImagesInOrder) {
    const QImage strip = Load(":/toolbar/338.png");
    ASSERT_EQ(strip.width(), 7 * 48);
    for (int k = 0; k < 7; ++k) {
        const QString path = QStringLiteral(":/toolbar/338-%1.png").arg(k);
        const QImage single = QImage(path).convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(single.isNull()) << path.toStdString();
        EXPECT_EQ(strip.copy(k * 48, 0, 48, 48), single) << path.toStdString();
    }
}

TEST(ArtStrips, ImagesOfAStripDifferFromEachOther) {
    struct Strip {
        const char* path;
        int cell;
        int count;
    };
    for (const Strip& s : {Strip{":/bitmap/351.png", 20, 3}, Strip{":/toolbar/338.png", 48, 7}}) {
        const QImage strip = Load(s.path);
        ASSERT_FALSE(strip.isNull()) << s.path;
        for (int a = 0; a < s.count; ++a)
            for (int b = a + 1; b < s.count; ++b)
                EXPECT_NE(strip.copy(a * s.cell, 0, s.cell, s.cell),
                          strip.copy(b * s.cell, 0, s.cell, s.cell))
                    << s.path << " images " << a << " and " << b;
    }
}

TEST(ArtCursor, HotSpotIsTheTopOfTheFinger) {
    const QImage cursor = Load(":/cursor/354.png");
    ASSERT_FALSE(cursor.isNull());
    ASSERT_GE(kLinkCursorHotX, 0);
    ASSERT_LT(kLinkCursorHotX, cursor.width());
    ASSERT_GE(kLinkCursorHotY, 0);
    ASSERT_LT(kLinkCursorHotY, cursor.height());
    EXPECT_GE(qAlpha(cursor.pixel(kLinkCursorHotX, kLinkCursorHotY)), 128);
    // Nothing of the hand lies above the hot spot: it is where the hand points.
    for (int y = 0; y < kLinkCursorHotY; ++y)
        for (int x = 0; x < cursor.width(); ++x)
            EXPECT_LT(qAlpha(cursor.pixel(x, y)), 128) << x << "," << y;
    // and the pointing finger is the only part of the hand on that row
    int first = -1;
    int last = -1;
    for (int x = 0; x < cursor.width(); ++x) {
        if (qAlpha(cursor.pixel(x, kLinkCursorHotY)) >= 128) {
            if (first < 0) first = x;
            last = x;
        }
    }
    EXPECT_LE(last - first, 6);
    EXPECT_LE(first, kLinkCursorHotX);
    EXPECT_GE(last, kLinkCursorHotX);
}

}  // namespace
