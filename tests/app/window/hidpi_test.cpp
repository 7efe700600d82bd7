// The window on a screen of two device pixels to the pixel: the pictures are
// the 2x renderings of their drawings, not the 1x ones blown up.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QSettings>
#include <QToolBar>

#include "app/art_pixmaps.h"
#include "app/main_frame.h"
#include "app/view/ravel_view.h"
#include "support/private_temp_dir.h"

namespace {

// The share of pixels of `part` equal to those of `art` (both in device pixels).
double SameShare(const QImage& part, const QImage& art) {
    const QImage a = part.convertToFormat(QImage::Format_RGB32);
    const QImage b = art.convertToFormat(QImage::Format_RGB32);
    if (a.size() != b.size()) return 0;
    qint64 same = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) same += a.pixel(x, y) == b.pixel(x, y);
    return double(same) / (double(a.width()) * a.height());
}

TEST(HiDpi, PicturesAreTheirTwiceSizeRenderings) {
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0);
    PrivateTempDir tmp;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, tmp.Path("config"));
    EXPECT_EQ(LoadArtPixmap(":/bitmap/316.png").devicePixelRatio(), 2.0);
    EXPECT_EQ(LoadArtPixmap(":/bitmap/316.png").size(), QSize(800, 144));
    EXPECT_EQ(LoadArtPixmap(":/bitmap/316.png").deviceIndependentSize(), QSizeF(400, 72));

    CMainFrame frame;
    frame.resize(1000, 700);
    frame.show();
    QApplication::processEvents();
    CRavelView* view = frame.GetView();
    ASSERT_NE(view, nullptr);

    // The header's left piece as drawn is the 2x picture, pixel for pixel.
    const QImage drawn = view->grab(QRect(0, 0, 400, 72)).toImage();
    ASSERT_EQ(drawn.size(), QSize(800, 144));
    QImage sharp(":/bitmap/316@2x.png");
    QImage blown = QImage(":/bitmap/316.png")
                       .scaled(800, 144, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_GT(SameShare(drawn, sharp), 0.99);
    EXPECT_LT(SameShare(drawn, blown), SameShare(drawn, sharp));

    // Buttons and toolbar offer their 2x images.
    const QPixmap select = view->SelectButton()->icon().pixmap(QSize(23, 20), 2.0);
    EXPECT_EQ(select.size(), QSize(46, 40));
    const QImage selectArt(":/png/331@2x.png");
    EXPECT_GT(SameShare(select.toImage(), selectArt), 0.99);
    const QPixmap tool = frame.Action(ID_FILE_SELECT_FILES)->icon().pixmap(QSize(48, 48), 2.0);
    EXPECT_EQ(tool.size(), QSize(96, 96));
    EXPECT_GT(SameShare(tool.toImage(), QImage(":/toolbar/338-0@2x.png")), 0.99);
}

}  // namespace

int main(int argc, char** argv) {
    // Set before the application exists, as a user's desktop would.
    qputenv("QT_SCALE_FACTOR", "2");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("PELMARK_NO_SPLASH", "1");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
