#include "app/controls/keld_transparent_static.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTest>

namespace {

int CountNot(const QImage& image, const QRect& area, QRgb colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += (image.pixel(x, y) | 0xFF000000) != colour;
    return n;
}

TEST(KeldTransparentStatic, ShowsTheParentBehindAndLeavesNoTraceOfALongerOldText) {
    QWidget parent;
    parent.resize(400, 60);
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, QColor(252, 230, 154));
    parent.setPalette(pal);
    parent.setAutoFillBackground(true);
    CKeldTransparentStatic label("WWWWWWWWWWWWWWWWWWWW", &parent);
    label.setGeometry(10, 10, 380, 30);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));

    EXPECT_EQ(label.alignment(), Qt::AlignLeft | Qt::AlignTop);
    EXPECT_FALSE(label.wordWrap());
    const QRgb yellow = qRgb(252, 230, 154);
    QImage before = parent.grab().toImage();
    const QRect tail(200, 10, 180, 30);  // where only the long text reached
    EXPECT_GT(CountNot(before, tail, yellow), 0);
    // Between the letters the label shows the parent's colour, not a background of its own.
    EXPECT_EQ(before.pixel(12, 38) | 0xFF000000, yellow);

    label.setText("i");
    QImage after = parent.grab().toImage();
    EXPECT_EQ(CountNot(after, tail, yellow), 0);
}

}  // namespace
