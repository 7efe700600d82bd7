#include "app/controls/est_progress_ctrl.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLocale>
#include <set>

namespace {

class EstProgressCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = QLocale();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        bar.SetClock([this] { return now; });
    }
    void TearDown() override { QLocale::setDefault(saved); }

    QLocale saved;
    QDateTime now{QDate(2026, 3, 2), QTime(10, 0, 0)};
    CEstProgressCtrl bar;
};

TEST_F(EstProgressCtrlTest, QuarterDoneAfterThirtySecondsEndsTwoMinutesAfterTheStart) {
    bar.SetRange(0, 4);
    bar.SetPos(1);  // first sight of progress: the start
    now = now.addSecs(30);
    bar.Render();  // a paint moves the estimate
    EXPECT_EQ(bar.GetProgressText(), "25.00% complete. Estimated completion: 10:02:00 AM");
    EXPECT_EQ(bar.EstimatedEnd(), QDateTime(QDate(2026, 3, 2), QTime(10, 2, 0)));
}

TEST_F(EstProgressCtrlTest, FullOnTheFirstPaintEndsNow) {
    now = QDateTime(QDate(2026, 3, 2), QTime(15, 4, 5));
    bar.SetRange(0, 4);
    bar.SetPos(4);
    bar.Render();
    EXPECT_EQ(bar.GetProgressText(), "100.00% complete. Estimated completion: 3:04:05 PM");
}

TEST_F(EstProgressCtrlTest, NoPositionMeansNoCaption) {
    bar.SetRange(0, 4);
    bar.SetPos(0);
    now = now.addSecs(30);
    bar.Render();
    EXPECT_EQ(bar.GetProgressText(), "");
}

TEST_F(EstProgressCtrlTest, EmptyRangeGivesNoCaptionAndNoFill) {
    bar.resize(100, 20);
    QPalette pal = bar.palette();
    pal.setColor(QPalette::Button, QColor(200, 200, 200));
    pal.setColor(QPalette::Highlight, QColor(0, 0, 255));
    bar.setPalette(pal);
    bar.SetRange(0, 0);
    bar.SetPos(3);  // kept inside the range
    EXPECT_EQ(bar.GetPos(), 0);
    const QImage image = bar.Render();
    EXPECT_EQ(bar.GetProgressText(), "");
    for (int x = 0; x < image.width(); ++x)
        ASSERT_EQ(image.pixel(x, 10), qRgb(200, 200, 200)) << "x = " << x;
}

TEST_F(EstProgressCtrlTest, SetRangeForgetsTheEstimateButGoingBackDoesNot) {
    bar.SetRange(0, 4);
    bar.SetPos(2);
    now = now.addSecs(10);
    bar.Render();
    ASSERT_FALSE(bar.GetProgressText().isEmpty());

    bar.SetPos(0);
    bar.Render();
    // The old estimate stays; only the fraction shown follows the position.
    EXPECT_EQ(bar.GetProgressText(), "0.00% complete. Estimated completion: 10:00:20 AM");

    bar.SetRange(0, 10);
    EXPECT_EQ(bar.GetProgressText(), "");
    // A new start: the first positive fraction after the reset.
    now = now.addSecs(100);
    bar.SetPos(5);
    now = now.addSecs(10);
    bar.Render();
    EXPECT_EQ(bar.GetProgressText(), "50.00% complete. Estimated completion: 10:02:10 AM");
}

TEST_F(EstProgressCtrlTest, FillEndsAtWidthTimesFractionAndCaptionIsExclusiveOr) {
    QPalette pal = bar.palette();
    const QColor face(200, 200, 200), high(0, 0, 255);
    pal.setColor(QPalette::Button, face);
    pal.setColor(QPalette::Highlight, high);
    bar.setPalette(pal);
    bar.resize(601, 60);
    bar.SetRange(0, 2);
    bar.SetPos(1);
    const QImage image = bar.grab().toImage().convertToFormat(QImage::Format_RGB32);

    // 601 × 0.5 truncates to 300: columns 0..299 filled.
    EXPECT_EQ(image.pixel(299, 1), high.rgb());
    EXPECT_EQ(image.pixel(300, 1), face.rgb());

    // Text pixels are the colour beneath XOR the inverse highlight: white over the
    // fill, face ^ 0xFFFF00 elsewhere; no other colours appear.
    const QRgb overFill = qRgb(255, 255, 255);
    const QRgb overFace = qRgb(200 ^ 255, 200 ^ 255, 200 ^ 0);
    bool sawOverFill = false, sawOverFace = false;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y) | 0xFF000000;
            if (x < 300) {
                ASSERT_TRUE(c == high.rgb() || c == overFill) << x << "," << y;
                sawOverFill |= c == overFill;
            } else {
                ASSERT_TRUE(c == face.rgb() || c == overFace) << x << "," << y;
                sawOverFace |= c == overFace;
            }
        }
    }
    EXPECT_TRUE(sawOverFill);
    EXPECT_TRUE(sawOverFace);
}

TEST(CompletionTimeText, HasSecondsAndNoZone) {
    const QDateTime t(QDate(2026, 3, 2), QTime(13, 2, 5));
    EXPECT_EQ(FormatCompletionTime(t, QLocale(QLocale::English, QLocale::UnitedStates)),
              "1:02:05 PM");
    EXPECT_EQ(FormatCompletionTime(t, QLocale(QLocale::German, QLocale::Germany)), "13:02:05");
}

}  // namespace
