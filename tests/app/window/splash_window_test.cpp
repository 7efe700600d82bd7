// The splash: its shape from the key colour, its place, its timer, a click
// hiding it, and the switch that keeps it out of tests.

#include "app/splash_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include "app/main_frame.h"

namespace {

const QRgb kKey = qRgb(255, 0, 255);

QImage Picture(int w, int h, bool keyCorners) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(qRgb(40, 80, 120));
    if (keyCorners) {
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                image.setPixel(x, y, kKey);
                image.setPixel(w - 1 - x, h - 1 - y, kKey);
            }
    }
    return image;
}

TEST(SplashWindow, KeyColourCutsTheShape) {
    const QRegion cut = CSplashWindow::CreateRegionFromBitmap(Picture(20, 10, true), kKey);
    EXPECT_FALSE(cut.contains(QPoint(0, 0)));
    EXPECT_FALSE(cut.contains(QPoint(2, 1)));
    EXPECT_TRUE(cut.contains(QPoint(3, 0)));
    EXPECT_TRUE(cut.contains(QPoint(0, 2)));
    EXPECT_FALSE(cut.contains(QPoint(19, 9)));
    EXPECT_FALSE(cut.contains(QPoint(17, 8)));
    EXPECT_TRUE(cut.contains(QPoint(16, 9)));
    EXPECT_TRUE(cut.contains(QPoint(10, 5)));
    EXPECT_EQ(cut.boundingRect(), QRect(0, 0, 20, 10));

    // A row holding one key pixel at its end still counts the run before it.
    QImage lastPixel = Picture(5, 1, false);
    lastPixel.setPixel(4, 0, kKey);
    EXPECT_TRUE(CSplashWindow::CreateRegionFromBitmap(lastPixel, kKey)
                    .xored(QRegion(0, 0, 4, 1))
                    .isEmpty());

    const QRegion plain = CSplashWindow::CreateRegionFromBitmap(Picture(20, 10, false), kKey);
    EXPECT_TRUE(plain.xored(QRegion(0, 0, 20, 10)).isEmpty());
}

TEST(SplashWindow, ProgramSplashIsCentredAndPlainAndGoesByItself) {
    auto* splash = new CSplashWindow;
    QPointer<CSplashWindow> alive(splash);
    ASSERT_TRUE(splash->Create(nullptr, QString(), 50, 15));
    EXPECT_EQ(splash->objectName(), "SplashWindowClass");
    ASSERT_TRUE(splash->SetBitmap(":/bitmap/319.png", 255, 0, 255));
    EXPECT_EQ(splash->BitmapSize(), QSize(460, 260));
    // Picture 319 holds no key colour: the whole rectangle stays.
    EXPECT_TRUE(splash->Shape().xored(QRegion(0, 0, 460, 260)).isEmpty());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(splash->Position(), QPoint(screen.left() + (screen.width() - 460) / 2,
                                         screen.top() + (screen.height() - 260) / 2));
    splash->Show();
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(splash->geometry(), QRect(splash->Position(), QSize(460, 260)));
    EXPECT_TRUE(splash->windowFlags() & Qt::WindowStaysOnTopHint);
    // The fade in and out and the timer run in the event loop; the object goes with its window.
    QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), 5000);
}

TEST(SplashWindow, KeyComponentOfMinusOneKeepsTheRectangleAndAKeyHidesIt) {
    auto* splash = new CSplashWindow;
    QPointer<CSplashWindow> alive(splash);
    ASSERT_TRUE(splash->Create(nullptr, "Loading", 0, SPLASH_HIDE_ON_CLICK));
    ASSERT_TRUE(splash->SetBitmap(Picture(40, 20, true), 255, -1, 255));
    EXPECT_FALSE(splash->IsShaped());
    EXPECT_TRUE(splash->mask().isEmpty());
    splash->Show();
    // Timeout 0: it stays until something hides it.
    QTest::qWait(100);
    ASSERT_FALSE(alive.isNull());
    EXPECT_TRUE(splash->isVisible());
    QTest::keyClick(splash, Qt::Key_Space);
    QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), 5000);
}

TEST(SplashWindow, ShapedWindowAndMissingPicture) {
    CSplashWindow shaped;
    ASSERT_TRUE(shaped.Create(nullptr, QString(), 0, 0));
    ASSERT_TRUE(shaped.SetBitmap(Picture(20, 10, true), 255, 0, 255));
    EXPECT_FALSE(shaped.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(shaped.mask().contains(QPoint(10, 5)));

    CSplashWindow missing;
    ASSERT_TRUE(missing.Create(nullptr, QString(), 0, 0));
    EXPECT_FALSE(missing.SetBitmap(":/bitmap/no-such-picture.png", 255, 0, 255));
    EXPECT_EQ(missing.BitmapSize(), QSize(0, 0));
}

TEST(SplashWindow, FrameShowsItUnlessTheEnvironmentSaysNo) {
    // The test program turns the splash off for every other test.
    ASSERT_FALSE(CSplashWindow::SplashEnabled());
    {
        CMainFrame frame;
        EXPECT_EQ(frame.findChild<CSplashWindow*>(), nullptr);
    }
    qunsetenv("PELMARK_NO_SPLASH");
    {
        CMainFrame frame;
        auto* splash = frame.findChild<CSplashWindow*>();
        ASSERT_NE(splash, nullptr);
        EXPECT_TRUE(splash->isVisible());
        EXPECT_EQ(splash->Style(), 15u);
        EXPECT_EQ(splash->Timeout(), 2000);
        EXPECT_EQ(splash->size(), QSize(460, 260));
    }
    qputenv("PELMARK_NO_SPLASH", "1");
}

}  // namespace
